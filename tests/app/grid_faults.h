// Grids and lists that do not follow their font, found on a shown window: a column narrower than its title
// needs (the title is cut: "Return Addres") and a row in sight lower than one line of the view's font (its
// descenders are clipped). A column the user can scroll to is measured like the others: its title is cut there.
#pragma once

#include "tests/app/layout_faults.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <QTreeView>

namespace sorvanta::test {

// The width a header section needs to show its title unelided, as the header measures it when it paints: the
// text, the style's margin on either side, the header's own 4 pixels, and the sort arrow where it is shown.
inline int titleWidth(const QHeaderView* header, int column, const QString& title)
{
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    int width = header->fontMetrics().horizontalAdvance(title) + 2 * margin + 4;
    if (header->isSortIndicatorShown() && header->sortIndicatorSection() == column)
        width += header->height() / 2 + 2 * margin;
    return width;
}

// Columns of view's horizontal header that are shown narrower than their titles need.
inline QStringList columnTitleFaults(const QHeaderView* header, const QAbstractItemView* view)
{
    QStringList faults;
    const QAbstractItemModel* model = header->model();
    if (!model || header->isHidden())
        return faults;
    for (int column = 0; column < header->count(); ++column) {
        const QString title = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        if (header->isSectionHidden(column) || title.trimmed().isEmpty())
            continue;
        const int needed = titleWidth(header, column, title);
        if (header->sectionSize(column) < needed)
            faults << QStringLiteral("column title cut off (%1 px wide, needs %2): \"%3\" of ")
                          .arg(header->sectionSize(column)).arg(needed).arg(title)
                          + widgetPath(view);
    }
    return faults;
}

// The first row of view in sight that is lower than a line of its font, if any.
inline QString rowHeightFault(const QAbstractItemView* view)
{
    const QAbstractItemModel* model = view->model();
    if (!model || model->rowCount() == 0 || model->columnCount() == 0)
        return {};
    const int line = view->fontMetrics().height();
    const QModelIndex first = view->indexAt(QPoint(1, 1));
    for (int row = first.isValid() ? first.row() : 0; row < model->rowCount(); ++row) {
        const QRect cell = view->visualRect(model->index(row, 0));
        if (!cell.intersects(view->viewport()->rect()))
            break;   // below the last row in sight
        if (cell.height() < line)
            return QStringLiteral("row %1 lower than a line (%2 px high, needs %3): ")
                       .arg(row).arg(cell.height()).arg(line)
                   + widgetPath(view);
    }
    return {};
}

// Every grid or list fault of window's visible views, one line each.
inline QStringList gridFaults(const QWidget* window)
{
    QStringList faults;
    for (const QAbstractItemView* view : window->findChildren<QAbstractItemView*>()) {
        if (!view->isVisible() || qobject_cast<const QHeaderView*>(view))
            continue;
        if (const auto* table = qobject_cast<const QTableView*>(view))
            faults << columnTitleFaults(table->horizontalHeader(), view);
        else if (const auto* tree = qobject_cast<const QTreeView*>(view))
            faults << columnTitleFaults(tree->header(), view);
        if (const QString fault = rowHeightFault(view); !fault.isEmpty())
            faults << fault;
    }
    return faults;
}

}  // namespace sorvanta::test
