// SendStatusDelegate: the row status picture in the result grid's state column (send_status_delegate.h).

#include "core/sending/send_status_delegate.h"

#include "core/sending/send_engine.h"
#include "platform/string_grid_model.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int pictureLeft = 20;
constexpr int pictureSize = 16;

QIcon statusIcon(int status)
{
    QStyle* style = QApplication::style();
    switch (status) {
    case rowGood: return style->standardIcon(QStyle::SP_DialogApplyButton);
    case rowBad: return style->standardIcon(QStyle::SP_DialogCancelButton);
    case rowSending: return style->standardIcon(QStyle::SP_BrowserReload);
    case rowUnknown: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    default: return {};
    }
}

}  // namespace

void SendStatusDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    if (index.column() != colState)
        return;
    const QIcon icon = statusIcon(index.data(StringGridModel::RowStatusRole).toInt());
    if (icon.isNull())
        return;
    const int size = qMin(pictureSize, option.rect.height());
    const QRect target(option.rect.left() + pictureLeft, option.rect.top() + (option.rect.height() - size) / 2, size,
                       size);
    icon.paint(painter, target);
}

QSize SendStatusDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (index.column() == colState)
        size.setWidth(qMax(size.width(), pictureLeft + pictureSize + 2));
    return size;
}
