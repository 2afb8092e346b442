// Placeholder drags: see placeholder_drag.h.

#include "core/editor/placeholder_drag.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWidget>

namespace {

QString mimeType(PlaceholderSource source)
{
    switch (source) {
    case PlaceholderSource::ListGrid: return QStringLiteral("application/x-sorvanta-list-column");
    case PlaceholderSource::MergeChooser: return QStringLiteral("application/x-sorvanta-merge-field");
    }
    Q_UNREACHABLE();
}

}  // namespace

QMimeData* placeholderMimeData(PlaceholderSource source, const QString& placeholder)
{
    auto* data = new QMimeData;
    data->setData(mimeType(source), placeholder.toUtf8());
    return data;
}

std::optional<QString> placeholderFrom(const QMimeData* data, PlaceholderSource source)
{
    if (!data || !data->hasFormat(mimeType(source)))
        return std::nullopt;
    return QString::fromUtf8(data->data(mimeType(source)));
}

std::optional<QString> acceptPlaceholderDrag(QEvent* event, PlaceholderSource source)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return std::nullopt;
    auto* drop = static_cast<QDropEvent*>(event);
    std::optional<QString> placeholder = placeholderFrom(drop->mimeData(), source);
    if (placeholder)
        drop->acceptProposedAction();
    return placeholder;
}

PlaceholderDragStarter::PlaceholderDragStarter(QWidget* watched, PlaceholderSource source,
                                               std::function<QString()> placeholder, bool holdPress,
                                               std::function<void()> clicked)
    : QObject(watched),
      m_source(source),
      m_placeholder(std::move(placeholder)),
      m_clicked(std::move(clicked)),
      m_holdPress(holdPress)
{
    watched->installEventFilter(this);
}

bool PlaceholderDragStarter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        m_pressed = true;
        m_pressPoint = mouse->position().toPoint();
        return m_holdPress;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_pressed || !(mouse->buttons() & Qt::LeftButton)
            || (mouse->position().toPoint() - m_pressPoint).manhattanLength() < DragDistance)
            return false;
        m_pressed = false;
        startDrag(static_cast<QWidget*>(watched));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const bool click = m_pressed && m_holdPress;
        m_pressed = false;
        if (click && m_clicked)
            m_clicked();
        return click;
    }
    default:
        return false;
    }
}

void PlaceholderDragStarter::startDrag(QWidget* source)
{
    auto* drag = new QDrag(source);
    drag->setMimeData(placeholderMimeData(m_source, m_placeholder()));
    drag->exec(Qt::CopyAction);
}
