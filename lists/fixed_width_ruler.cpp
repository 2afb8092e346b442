// Drawing of the fixed-width grid: see fixed_width_ruler.h.

#include "lists/fixed_width_ruler.h"

#include "lists/import_preview_models.h"
#include "platform/widgets/colour_contrast.h"

#include <QPainter>

void FixedWidthRulerDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    const QRect cell = option.rect;
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->save();
    if (index.row() == 0) {
        paintRuler(painter, option.palette, cell, index.column(), text);
    } else {
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(cell, Qt::AlignCenter, text);
    }
    if (index.data(FixedWidthModel::BreakRole).toBool()) {
        painter->setPen(QPen(option.palette.color(QPalette::Text), 2));
        painter->drawLine(cell.topRight(), cell.bottomRight());
    }
    painter->restore();
}

void FixedWidthRulerDelegate::paintRuler(QPainter* painter, const QPalette& palette, const QRect& cell, int column,
                                         const QString& number)
{
    // Grey while the ticks and numbers in the palette's button text read on it, else the palette's button face.
    const QColor ink = palette.color(QPalette::ButtonText);
    painter->fillRect(cell, readableOr(QColor(Qt::lightGray), ink, palette.color(QPalette::Button)));
    const int position = column + 1;
    const int length = position % 5 == 0 ? 5 : 2;
    painter->setPen(QPen(ink, position % 10 == 0 ? 2 : 1));
    const int x = cell.center().x();
    painter->drawLine(x, cell.bottom() - length, x, cell.bottom());
    if (!number.isEmpty()) {
        painter->setPen(ink);
        // The number is wider than one column: it ends at this cell's edge and reaches over the columns to
        // its left, which the view has painted already.
        const QRect above(cell.right() - 40, cell.top(), 40, cell.height() - length);
        painter->drawText(above, Qt::AlignRight | Qt::AlignVCenter, number);
    }
}
