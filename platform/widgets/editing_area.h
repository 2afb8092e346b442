// The smallest height an editing area (a text editor, the HTML page, a result grid) may be squeezed to:
// enough for a few lines of its own font, so that a large font on a small screen still leaves room to work.
// Where the window then outgrows its place, the area around it scrolls (the MDI area does).
#pragma once

class QWidget;

inline constexpr int kEditingAreaLines = 8;

// area's minimum height := lines of its font, its frame and margins included. Call it once area has its font.
void keepLinesVisible(QWidget* area, int lines = kEditingAreaLines);
