// Indented list items: see indented_item_delegate.h.

#include "core/dialogs/indented_item_delegate.h"

void IndentedItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    QStyleOptionViewItem moved = option;
    moved.rect.setLeft(option.rect.left() + indent(option, index));
    QStyledItemDelegate::paint(painter, moved, index);
}

QSize IndentedItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(option, index), 0);
}

int IndentedItemDelegate::indent(const QStyleOptionViewItem& option, const QModelIndex& index)
{
    return index.data(IndentRole).toInt() * 2 * option.fontMetrics.horizontalAdvance(QLatin1Char(' '));
}
