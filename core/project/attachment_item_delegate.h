// How the project editor's attachment box draws an item: the record's display name, followed by " (",
// its description and ")" when it has one, 18 pixels right of the item's left edge; the space before it holds
// the item's icon (its content type's, core/project/attachment_icons.h). The item's text is that caption; its PathRole
// holds the file path that the project file stores.
#pragma once

#include <QStyledItemDelegate>

struct AttachmentRecord;

QString AttachmentCaption(const AttachmentRecord& record);

class AttachmentItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int PathRole = Qt::UserRole + 1;
    static constexpr int TextIndent = 18;
    static constexpr int ItemHeight = 16;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
