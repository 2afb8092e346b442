// Contrast of two colours: see colour_contrast.h.

#include "platform/widgets/colour_contrast.h"

#include <algorithm>
#include <cmath>

namespace {

// WCAG 2's linearisation of one sRGB channel.
double linearChannel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double relativeLuminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linearChannel(rgb.redF()) + 0.7152 * linearChannel(rgb.greenF())
           + 0.0722 * linearChannel(rgb.blueF());
}

}  // namespace

double contrastRatio(const QColor& first, const QColor& second)
{
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableOr(const QColor& wanted, const QColor& other, const QColor& fallback)
{
    return contrastRatio(wanted, other) >= readableContrast ? wanted : fallback;
}

QColor readableSilver(const QPalette& palette, QPalette::ColorRole textRole)
{
    return readableOr(QColor(192, 192, 192), palette.color(textRole), palette.color(QPalette::Window));
}
