// RenderWindowHider: see render_window_hider.h.

#include "platform/widgets/render_window_hider.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

RenderWindowHider::RenderWindowHider(QObject* parent) : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
    hideRenderWindows();
}

void RenderWindowHider::hideRenderWindows()
{
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        const bool neverOnScreen = !window->handle();
        if (window->inherits("QQuickWindow") && neverOnScreen && window->type() != Qt::Popup)
            window->setFlags((window->flags() & ~Qt::WindowType_Mask) | Qt::Popup);
    }
}

bool RenderWindowHider::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ChildAdded && watched->isWidgetType() && !m_lookPending) {
        m_lookPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_lookPending = false;
                hideRenderWindows();
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
