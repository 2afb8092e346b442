// Where the explorer button puts its glyph and caption: the glyph above the caption, both centred, the
// pair centred from top to bottom; a caption too wide ends in an ellipsis. Window-free; sizes come from the
// caller's measurement.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QFont;

struct ExplorerButtonRects {
    QRect glyph;    // empty without a glyph
    QRect caption;  // empty without a caption; never wider than the button less 4 pixels
};

// The rectangles in a button of size button for a caption measured as caption (empty: none) and a glyph of
// size glyph (empty: none). A 2-pixel gap separates the two only when both are there.
ExplorerButtonRects explorerButtonRects(QSize button, QSize caption, QSize glyph);

// Flags of the caption's one line: "&" marks the accelerator, "&&" shows one "&".
constexpr int explorerCaptionFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;

// The caption as drawn in a button of that width: whole when it fits the width less 4 pixels, else cut
// with an ellipsis at its end.
QString fittedCaption(const QString& caption, const QFont& font, int buttonWidth);
