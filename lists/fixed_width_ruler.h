// Drawing of the fixed-width grid sgFix: row 0 is a grey ruler with a tick under every column, a longer one
// under every fifth and a thick one under every tenth, with the column number above it; the other rows show
// their character centred; a vertical line marks a break after a column.
#pragma once

#include <QStyledItemDelegate>

class FixedWidthRulerDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    static void paintRuler(QPainter* painter, const QPalette& palette, const QRect& cell, int column,
                           const QString& number);
};
