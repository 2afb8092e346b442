// The attachment box's items: see attachment_item_delegate.h.

#include "core/project/attachment_item_delegate.h"

#include "transport/mime/attachment_record.h"

#include <QApplication>
#include <QPainter>

QString AttachmentCaption(const AttachmentRecord& record)
{
    if (record.description.isEmpty())
        return record.displayName;
    return record.displayName + QStringLiteral(" (") + record.description + QLatin1Char(')');
}

void AttachmentItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QIcon icon = item.icon;
    item.text.clear();
    item.icon = QIcon();
    item.features &= ~QStyleOptionViewItem::HasDecoration;
    const QStyle* style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    const int iconSize = TextIndent - 2;
    icon.paint(painter, QRect(option.rect.left() + 1, option.rect.top() + (option.rect.height() - iconSize) / 2,
                              iconSize, iconSize));
    const QRect textRect = option.rect.adjusted(TextIndent, 0, 0, 0);
    painter->save();
    painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                : QPalette::Text));
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QSize AttachmentItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), ItemHeight));
    return size;
}
