// Test helpers for windows that show modal dialogs and message boxes: act on the next modal dialog from
// inside its exec(), and record every message box while answering it.
#pragma once

#include "platform/message_box.h"

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace sorvanta::test {

// Calls act with the next modal dialog once it runs; gives up after about two seconds.
inline void onNextModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && ++*tries < 400)
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
