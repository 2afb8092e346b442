// Explorer button layout: see explorer_button_layout.h.

#include "controls/explorer_button_layout.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

// Halves as the layout rules do, truncating toward zero, so a content larger than the button starts
// above or left of it by the same amount on both sides.
int half(int value)
{
    return value / 2;
}

}  // namespace

ExplorerButtonRects explorerButtonRects(QSize button, QSize caption, QSize glyph)
{
    const int captionRoom = button.width() - 4;
    const bool hasCaption = !caption.isEmpty() && captionRoom > 0;
    const bool hasGlyph = !glyph.isEmpty();
    const int captionWidth = hasCaption ? std::min(caption.width(), captionRoom) : 0;
    const int captionHeight = hasCaption ? caption.height() : 0;
    const int glyphHeight = hasGlyph ? glyph.height() : 0;
    const int gap = hasCaption && hasGlyph ? 2 : 0;

    const int top = half(button.height() - (captionHeight + glyphHeight + gap));
    ExplorerButtonRects rects;
    if (hasGlyph)
        rects.glyph = QRect(half(button.width() - glyph.width()), top, glyph.width(), glyph.height());
    if (hasCaption)
        rects.caption = QRect(half(button.width() - captionWidth), top + glyphHeight + gap, captionWidth, captionHeight);
    return rects;
}

QString fittedCaption(const QString& caption, const QFont& font, int buttonWidth)
{
    return QFontMetrics(font).elidedText(caption, Qt::ElideRight, std::max(0, buttonWidth - 4),
                                         explorerCaptionFlags);
}
