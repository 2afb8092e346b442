// Glyph pictures of the explorer button: see glyph_shading.h.

#include "controls/glyph_shading.h"

namespace {

struct ShadeThresholds {
    int whiteAbove;
    int highlightAbove;
    int blackAtMost;
};

ShadeThresholds thresholds(TExplorerButtonShadingType type)
{
    switch (type) {
    case stLight:
        return {205, 127, 68};
    case stMedium:
        return {553, 231, 57};
    case stDark:
        return {335, 274, 175};
    }
    Q_UNREACHABLE();
}

QColor classColour(ShadeClass shade, QColor highlight, QColor shadow)
{
    switch (shade) {
    case ShadeClass::White:
        return Qt::white;
    case ShadeClass::Highlight:
        return highlight;
    case ShadeClass::Shadow:
        return shadow;
    case ShadeClass::Black:
        return Qt::black;
    }
    Q_UNREACHABLE();
}

QRgb withAlpha(QColor colour, int alpha)
{
    return qRgba(colour.red(), colour.green(), colour.blue(), alpha);
}

}  // namespace

ShadeClass shadeClass(int sum, TExplorerButtonShadingType type)
{
    // The tests run in this order: white first, then highlight, then black.
    const ShadeThresholds limits = thresholds(type);
    if (sum > limits.whiteAbove)
        return ShadeClass::White;
    if (sum > limits.highlightAbove)
        return ShadeClass::Highlight;
    if (sum <= limits.blackAtMost)
        return ShadeClass::Black;
    return ShadeClass::Shadow;
}

QImage transparentGlyph(const QImage& bitmap)
{
    if (bitmap.isNull())
        return {};
    QImage glyph = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = glyph.pixel(0, 0);
    for (int y = 0; y < glyph.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(y));
        for (int x = 0; x < glyph.width(); ++x) {
            if (line[x] == key || qAlpha(line[x]) == 0)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return glyph;
}

QImage shadedGlyph(const QImage& bitmap, TExplorerButtonShadingType type, QColor highlight, QColor shadow)
{
    QImage glyph = transparentGlyph(bitmap);
    for (int y = 0; y < glyph.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(y));
        for (int x = 0; x < glyph.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            if (alpha == 0)
                continue;
            const int sum = qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]);
            line[x] = withAlpha(classColour(shadeClass(sum, type), highlight, shadow), alpha);
        }
    }
    return glyph;
}

QImage embossedGlyph(const QImage& bitmap, QColor highlight, QColor shadow)
{
    const QImage glyph = transparentGlyph(bitmap);
    if (glyph.isNull())
        return {};
    QImage embossed(glyph.width() + 1, glyph.height() + 1, QImage::Format_ARGB32);
    embossed.fill(Qt::transparent);
    for (const auto& [offset, colour] : {std::pair{1, highlight}, std::pair{0, shadow}}) {
        for (int y = 0; y < glyph.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(glyph.constScanLine(y));
            auto* target = reinterpret_cast<QRgb*>(embossed.scanLine(y + offset));
            for (int x = 0; x < glyph.width(); ++x) {
                if (qAlpha(line[x]) != 0)
                    target[x + offset] = withAlpha(colour, qAlpha(line[x]));
            }
        }
    }
    return embossed;
}
