// HtmlScriptSending: see html_script_sending.h.

#include "core/editor/html_script_sending.h"

#include "core/editor/html_engine.h"

#include <QPointer>

HtmlScriptSending::HtmlScriptSending(HtmlEnginePage& engine, const QString& script, int timeoutMs, Answer answer,
                                     QObject* parent)
    : QObject(parent), m_engine(engine), m_script(script), m_answer(std::move(answer))
{
    m_resendTimer.setSingleShot(true);
    connect(&m_resendTimer, &QTimer::timeout, this, &HtmlScriptSending::send);
    m_timeoutTimer.setSingleShot(true);
    connect(&m_timeoutTimer, &QTimer::timeout, this, [this] { finish(std::nullopt); });
    m_timeoutTimer.start(timeoutMs);
    send();
}

void HtmlScriptSending::send()
{
    QPointer<HtmlScriptSending> self(this);
    m_engine.runScript(m_script, [self](const QVariant& value) {
        if (self)
            self->finish(value);
    });
    m_resendTimer.start(m_resendWaitMs);
    m_resendWaitMs *= 2;
}

void HtmlScriptSending::finish(const std::optional<QVariant>& value)
{
    if (m_finished)
        return;
    m_finished = true;
    m_resendTimer.stop();
    m_timeoutTimer.stop();
    deleteLater();
    const Answer answer = m_answer;   // the answer may delete this object (a new load of the page, say)
    answer(value);
}
