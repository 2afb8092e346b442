// Colour and size values of the HTML toolbar, and the ".hcr" files that keep a colour dialog's custom
// colours. An ".hcr" file holds one line per custom colour, "ColorA" to "ColorP" (the colour dialog's 16),
// each "=" and six hexadecimal digits in the order blue, green, red, as the old platform stored colour
// numbers, so files brought over keep their colours. Reading takes what is valid and ignores the rest.
#pragma once

#include <QColor>
#include <QList>
#include <QString>

// "#" and the red, green and blue parts as two upper-case hexadecimal digits each.
QString HtmlColourText(const QColor& colour);

// The "FontSize" value of the size box's index (index 0, "8", is size 1) and the index of a queried value;
// -1 when the value is empty or not one of the box's seven sizes.
int FontSizeValue(int index);
int FontSizeIndex(const QString& value);

inline constexpr int CustomColourCount = 16;

// The text of an ".hcr" file for colours (the first CustomColourCount are written; missing ones as white).
QString CustomColoursText(const QList<QColor>& colours);
// The colours of an ".hcr" file's text: starts from current and replaces each slot a valid line names.
QList<QColor> ParseCustomColours(const QString& text, QList<QColor> current);
