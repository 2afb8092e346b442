// Glyph pictures of the explorer button, without a window: the transparent colour (the top-left pixel's),
// the grey glyph shaded from the normal one by brightness class, and the embossed look of a disabled glyph.
// Any image is accepted: a null image gives a null result, other formats are converted first.
#pragma once

#include <QColor>
#include <QImage>

enum TExplorerButtonShadingType { stLight, stMedium, stDark };

// Brightness class of a pixel whose red + green + blue add up to sum (0 to 765).
enum class ShadeClass {
    White,      // brighter than the type's white threshold
    Highlight,  // the button's highlight colour
    Shadow,     // the button's shadow colour
    Black,      // at most the type's black threshold
};

ShadeClass shadeClass(int sum, TExplorerButtonShadingType type);

// The glyph as ARGB32 with its transparent pixels cleared: every pixel of the top-left pixel's colour, and
// every pixel already without alpha. Other pixels keep their colour and alpha.
QImage transparentGlyph(const QImage& bitmap);

// The grey glyph: each pixel that is not transparent becomes white, highlight, shadow or black by its
// brightness class under type, keeping its alpha; transparent pixels stay clear.
QImage shadedGlyph(const QImage& bitmap, TExplorerButtonShadingType type, QColor highlight, QColor shadow);

// The disabled look of a glyph without a picture of its own: one pixel wider and taller, its opaque pixels
// in highlight one pixel right and down, then in shadow in place.
QImage embossedGlyph(const QImage& bitmap, QColor highlight, QColor shadow);
