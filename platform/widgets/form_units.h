// Sizes the forms give in pixels (column widths, row heights) were laid out for the old platform's default
// dialog font at 96 DPI, whose characters take 6 x 13 pixels. These scale such a size to the font a widget
// shows, so that a higher DPI or a larger desktop font widens the column and heightens the row with the text
// instead of cutting it.
#pragma once

class QFontMetrics;

// formPixels wide at the design font, in pixels of the font measured by metrics.
int formWidth(int formPixels, const QFontMetrics& metrics);
// formPixels high at the design font, in pixels of the font measured by metrics.
int formHeight(int formPixels, const QFontMetrics& metrics);
