// Draws a font box's item: its glyph 2 pixels from the left (none for fonts of neither type, with 20 pixels
// kept), the name 6 pixels after it, both centred vertically. The item is one pixel taller than the text and at
// least as tall as the glyph less one, and never below 9 pixels.
#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

// The font type bits of an item, as the old font enumeration reported them.
enum FontTypeBits {
    RasterFontType = 1,
    DeviceFontType = 2,
    TrueTypeFontType = 4,
};

class FontItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int TypeBitsRole = Qt::UserRole + 1;

    FontItemDelegate(const QPixmap& trueTypeGlyph, const QPixmap& deviceGlyph, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const QPixmap* glyphOf(int typeBits) const;

    QPixmap m_trueTypeGlyph;
    QPixmap m_deviceGlyph;
};
