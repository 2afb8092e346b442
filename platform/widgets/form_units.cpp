// Form sizes scaled to a font: see form_units.h.

#include "platform/widgets/form_units.h"

#include <QFontMetrics>

namespace {

constexpr int designCharacterWidth = 6;
constexpr int designLineHeight = 13;

}  // namespace

int formWidth(int formPixels, const QFontMetrics& metrics)
{
    return formPixels * metrics.averageCharWidth() / designCharacterWidth;
}

int formHeight(int formPixels, const QFontMetrics& metrics)
{
    return formPixels * metrics.height() / designLineHeight;
}
