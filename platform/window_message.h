// Window messages between windows, in place of PostMessage/SendMessage with WM_USER numbers.
// A WindowMessage is a QEvent carrying (msg, wParam, lParam) and a result. post() queues it (FIFO, like the
// message queue); send() dispatches it synchronously and returns the handler's result. A receiving QObject
// overrides event(), recognises the message with WindowMessage::from() and calls the handler named after it.
#pragma once

#include <QEvent>
#include <QtGlobal>

class QObject;

constexpr int WM_USER = 1024;

class WindowMessage : public QEvent {
public:
    WindowMessage(int msg, qintptr wParam, qintptr lParam);

    static QEvent::Type eventType();
    // The message inside an event, or nullptr when the event is something else.
    static WindowMessage* from(QEvent* event);

    // Queues the message for target; returns false when target is null.
    static bool post(QObject* target, int msg, qintptr wParam = 0, qintptr lParam = 0);
    // Delivers the message to target now and returns its result (0 when target is null or ignores it).
    static qintptr send(QObject* target, int msg, qintptr wParam = 0, qintptr lParam = 0);

    int msg;
    qintptr wParam;
    qintptr lParam;
    qintptr result = 0;
};
