// The font box's item drawing.

#include "controls/font_item_delegate.h"

#include <QApplication>
#include <QPainter>

namespace {

constexpr int kGlyphLeft = 2;
constexpr int kGlyphSpace = 20;
constexpr int kTextGap = 6;
constexpr int kLowestItem = 9;

}  // namespace

FontItemDelegate::FontItemDelegate(const QPixmap& trueTypeGlyph, const QPixmap& deviceGlyph, QObject* parent)
    : QStyledItemDelegate(parent), m_trueTypeGlyph(trueTypeGlyph), m_deviceGlyph(deviceGlyph)
{
}

const QPixmap* FontItemDelegate::glyphOf(int typeBits) const
{
    if (typeBits & TrueTypeFontType)
        return &m_trueTypeGlyph;
    if (typeBits & DeviceFontType)
        return &m_deviceGlyph;
    return nullptr;
}

void FontItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    const QRect rect = option.rect;
    int textLeft = rect.left() + kGlyphLeft + kGlyphSpace;
    if (const QPixmap* glyph = glyphOf(index.data(TypeBitsRole).toInt())) {
        const int top = rect.top() + (rect.height() - glyph->height()) / 2;
        painter->drawPixmap(rect.left() + kGlyphLeft, top, *glyph);
        textLeft = rect.left() + kGlyphLeft + glyph->width() + kTextGap;
    }
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect textRect(textLeft, rect.top(), std::max(rect.right() - textLeft, 0), rect.height());
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
}

QSize FontItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const int height = std::max({option.fontMetrics.height() + 1, m_trueTypeGlyph.height() - 1, kLowestItem});
    size.setHeight(height);
    size.setWidth(kGlyphLeft + kGlyphSpace + kTextGap + option.fontMetrics.horizontalAdvance(index.data().toString()));
    return size;
}
