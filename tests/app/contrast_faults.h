// Text a user cannot read for want of contrast, found on a shown window: every visible, enabled label and grid
// or list cell in sight (measured on the window's pixels) and edit holding text (measured on its palette, which
// the style paints it with: its pixels hold the blinking caret) must reach WCAG's 4.5:1 between its text and
// the background it is drawn on. Disabled widgets are left out (WCAG exempts inactive controls), and so is text
// in a pair of the desktop palette's own colours (text on field, on window, on selection): that is the
// desktop's choice, not the program's.
#pragma once

#include "platform/widgets/colour_contrast.h"
#include "tests/app/layout_faults.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>

#include <optional>

namespace sorvanta::test {

struct ShownColours {
    QColor background;
    QColor text;
};

// The colours of area in image: the commonest pixel is the background, the pixel of most contrast with it the
// text (anti-aliased glyphs still reach their own colour in their stems). Nothing when area is one colour.
inline std::optional<ShownColours> shownColours(const QImage& image, const QRect& area)
{
    QHash<QRgb, int> counts;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y) | 0xFF000000u];
    if (counts.size() < 2)
        return std::nullopt;
    QRgb background = counts.constBegin().key();
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        if (it.value() > counts.value(background))
            background = it.key();
    QRgb text = background;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        if (contrastRatio(QColor(it.key()), QColor(background)) > contrastRatio(QColor(text), QColor(background)))
            text = it.key();
    return ShownColours{QColor(background), QColor(text)};
}

inline bool desktopPair(const ShownColours& colours)
{
    const QPalette palette = QGuiApplication::palette();
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
        {QPalette::Base, QPalette::Text},           {QPalette::AlternateBase, QPalette::Text},
        {QPalette::Window, QPalette::WindowText},   {QPalette::Button, QPalette::ButtonText},
        {QPalette::Highlight, QPalette::HighlightedText},
    };
    for (const auto& [background, text] : pairs)
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            if (colours.background == palette.color(group, background) && colours.text == palette.color(group, text))
                return true;
    return false;
}

inline QString contrastFault(const std::optional<ShownColours>& colours, const QString& what)
{
    if (!colours || desktopPair(*colours))
        return {};
    const double ratio = contrastRatio(colours->text, colours->background);
    if (ratio >= readableContrast)
        return {};
    return QStringLiteral("text hard to read (%1:1, %2 on %3): ")
               .arg(ratio, 0, 'f', 1)
               .arg(colours->text.name(), colours->background.name())
           + what;
}

// The part of widget the user sees, in window's coordinates.
inline QRect shownArea(const QWidget* widget, const QWidget* window, const QRect& part)
{
    const QRect seen = part & widget->visibleRegion().boundingRect();
    return seen.translated(widget->mapTo(window, QPoint(0, 0)));
}

// Cells of view in sight that show text, each as its area in window's coordinates and its path.
inline QList<QPair<QRect, QString>> cellsInSight(const QAbstractItemView* view, const QWidget* window)
{
    QList<QPair<QRect, QString>> cells;
    const QAbstractItemModel* model = view->model();
    const QWidget* viewport = view->viewport();
    if (!model)
        return cells;
    const QModelIndex first = view->indexAt(QPoint(1, 1));
    for (int row = first.isValid() ? first.row() : 0; row < model->rowCount(); ++row) {
        bool rowInSight = false;
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex index = model->index(row, column);
            const QRect cell = view->visualRect(index) & viewport->rect();
            if (cell.isEmpty())
                continue;
            rowInSight = true;
            const QString text = index.data(Qt::DisplayRole).toString();
            if (text.trimmed().isEmpty())
                continue;
            // Inside the grid lines and the focus frame.
            cells.append({shownArea(viewport, window, cell.adjusted(2, 1, -2, -1)),
                          QStringLiteral("cell %1,%2 \"%3\" of ").arg(row).arg(column).arg(text) + widgetPath(view)});
        }
        if (!rowInSight && row > first.row())
            break;   // below the last row in sight
    }
    return cells;
}

// Every visible text of window that does not reach the readable contrast, one line each.
inline QStringList contrastFaults(QWidget* window)
{
    const QImage image = window->grab().toImage();
    QStringList faults;
    const auto check = [&](const std::optional<ShownColours>& colours, const QString& what) {
        if (const QString fault = contrastFault(colours, what); !fault.isEmpty())
            faults << fault;
    };
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible() || !widget->isEnabled() || widget->window() != window)
            continue;
        if (const auto* label = qobject_cast<const QLabel*>(widget);
            label && label->pixmap().isNull() && !label->text().trimmed().isEmpty())
            check(shownColours(image, shownArea(label, window, label->contentsRect())), widgetPath(label));
        else if (const auto* edit = qobject_cast<const QLineEdit*>(widget); edit && !edit->text().isEmpty())
            check(ShownColours{edit->palette().color(QPalette::Base), edit->palette().color(QPalette::Text)},
                  widgetPath(edit));
        else if (const auto* view = qobject_cast<const QAbstractItemView*>(widget);
                 view && !qobject_cast<const QHeaderView*>(view))
            for (const auto& [area, what] : cellsInSight(view, window))
                check(shownColours(image, area), what);
    }
    return faults;
}

}  // namespace sorvanta::test
