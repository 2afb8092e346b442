// Window messages as Qt events: see window_message.h.

#include "platform/window_message.h"

#include <QCoreApplication>
#include <QObject>

WindowMessage::WindowMessage(int message, qintptr w, qintptr l)
    : QEvent(eventType()), msg(message), wParam(w), lParam(l)
{
}

QEvent::Type WindowMessage::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

WindowMessage* WindowMessage::from(QEvent* event)
{
    return event && event->type() == eventType() ? static_cast<WindowMessage*>(event) : nullptr;
}

bool WindowMessage::post(QObject* target, int msg, qintptr wParam, qintptr lParam)
{
    if (!target)
        return false;
    QCoreApplication::postEvent(target, new WindowMessage(msg, wParam, lParam));
    return true;
}

qintptr WindowMessage::send(QObject* target, int msg, qintptr wParam, qintptr lParam)
{
    if (!target)
        return 0;
    WindowMessage message(msg, wParam, lParam);
    QCoreApplication::sendEvent(target, &message);
    return message.result;
}
