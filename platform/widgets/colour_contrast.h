// Contrast of text against its background as WCAG 2 measures it (relative luminance of sRGB, ratio 1..21),
// and the choice between a colour a form fixes and the desktop palette's: the fixed colour stays only while it
// keeps the ratio of ordinary text (4.5:1), so a dark desktop never gets navy on dark grey.
#pragma once

#include <QColor>
#include <QPalette>

// The ratio WCAG asks of ordinary text.
inline constexpr double readableContrast = 4.5;

// (lighter + 0.05) / (darker + 0.05) of the two colours' relative luminances; alpha is ignored.
double contrastRatio(const QColor& first, const QColor& second);

// wanted when it keeps the readable ratio with other, else fallback: a fixed text colour against the
// background it is drawn on (fallback the palette's text), or a fixed background against the text drawn on it
// (fallback a background of the palette).
QColor readableOr(const QColor& wanted, const QColor& other, const QColor& fallback);

// The silver (192, 192, 192) the forms give read-only and empty boxes, while palette's textRole reads on it;
// else palette's window colour (a dark palette's light text on silver would not read).
QColor readableSilver(const QPalette& palette, QPalette::ColorRole textRole);
