// Dragging merge placeholders inside the project editor. A PlaceholderDragStarter watches a widget (the list
// grid's viewport, the merge-field chooser) and starts a drag once the mouse has moved 10 pixels with the left
// button down; the drag carries the placeholder text under the MIME type of its source, so that each drop
// target takes only the sources it accepts.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

class QEvent;
class QMimeData;
class QWidget;

enum class PlaceholderSource { ListGrid, MergeChooser };

QMimeData* placeholderMimeData(PlaceholderSource source, const QString& placeholder);
// The placeholder a drag from source carries, nullopt when it comes from elsewhere.
std::optional<QString> placeholderFrom(const QMimeData* data, PlaceholderSource source);

// For a drag-enter, drag-move or drop event that carries a placeholder from source: accepts the event and
// answers the placeholder. Other events and sources give nullopt and are left alone.
std::optional<QString> acceptPlaceholderDrag(QEvent* event, PlaceholderSource source);

class PlaceholderDragStarter : public QObject {
    Q_OBJECT

public:
    // watched: the widget whose mouse events start the drag; placeholder: the text at the start of the drag.
    // With holdPress the press is kept from watched (a combo box would open its list at once) and a release
    // without a drag calls clicked instead.
    PlaceholderDragStarter(QWidget* watched, PlaceholderSource source, std::function<QString()> placeholder,
                           bool holdPress = false, std::function<void()> clicked = {});

    static constexpr int DragDistance = 10;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startDrag(QWidget* source);

    PlaceholderSource m_source;
    std::function<QString()> m_placeholder;
    std::function<void()> m_clicked;
    bool m_holdPress;
    bool m_pressed = false;
    QPoint m_pressPoint;
};
