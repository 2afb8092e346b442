// SendStatusDelegate: draws the result grid's state column with the row status picture (good, bad,
// sending; none for waiting) 20 pixels right of the cell's left edge, then the cell's text as usual. The
// state column is at least wide enough for the picture.
#pragma once

#include <QStyledItemDelegate>

class SendStatusDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
