// One script on its way to the HTML page's engine. The engine now and then drops the answer to a script, most
// often just after a load, so the script is sent again after 1, 2, 4 ... s while it has no answer; a script
// sent here must therefore leave the page the same however often it runs. The first answer, or nullopt once
// the time-out has passed, goes to the answer function, once; then the object deletes itself. Deleted
// earlier (with its parent, say), it calls nothing.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <optional>

class HtmlEnginePage;

class HtmlScriptSending : public QObject {
public:
    static constexpr int FirstResendWaitMs = 1000;

    using Answer = std::function<void(const std::optional<QVariant>& value)>;
    HtmlScriptSending(HtmlEnginePage& engine, const QString& script, int timeoutMs, Answer answer, QObject* parent);

private:
    void send();
    void finish(const std::optional<QVariant>& value);

    HtmlEnginePage& m_engine;
    const QString m_script;
    const Answer m_answer;
    QTimer m_resendTimer;
    QTimer m_timeoutTimer;
    int m_resendWaitMs = FirstResendWaitMs;
    bool m_finished = false;
};
