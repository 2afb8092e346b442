// Test helpers for windows that show modal dialogs and message boxes: act on the next modal dialog from
// inside its exec(), and record every message box while answering it.
#pragma once

#include "platform/widgets/message_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace sorvanta::test {

// Calls act with the next modal dialog once it runs; gives up after 30 seconds (a deadline, not a count of
// ticks, so a loaded machine only makes it wait longer).
inline void onNextModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [timer, waited, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && waited->elapsed() < 30000)
            return;
        timer->stop();
        timer->deleteLater();
        if (modal)
            act(modal);
    });
    timer->start(5);
}

struct ShownBox {
    QString text;
    QString caption;
    unsigned flags;
};

// Answers every message box with answer and keeps what was shown; restores the real box when it goes.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = IDOK) : m_answer(answer)
    {
        setMessageBoxResponder([this](const QString& text, const QString& caption, unsigned flags) {
            boxes.push_back({text, caption, flags});
            return m_answer;
        });
    }
    ~MessageBoxRecorder() { setMessageBoxResponder(nullptr); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void answerWith(int answer) { m_answer = answer; }

    std::vector<ShownBox> boxes;

private:
    int m_answer;
};

}  // namespace sorvanta::test
