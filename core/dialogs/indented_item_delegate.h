// Draws a list item moved right by its indent level (the item's IndentRole, 0 when unset), two blanks of the
// list's font a level. The item's text stays the bare name, so the list's type-ahead finds it by its name.
#pragma once

#include <QStyledItemDelegate>

class IndentedItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int IndentRole = Qt::UserRole + 2;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    static int indent(const QStyleOptionViewItem& option, const QModelIndex& index);
};
