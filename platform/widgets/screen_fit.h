// Windows that fit the screen they open on. The room a window has is the screen's free area less what the
// desktop adds around it: the window manager's title bar and borders, and a panel the screen may not report
// (about three quarters of an inch of the height and a sixth of an inch of the width in all). A window whose
// content can be taller than that room puts the content in a scroll area that still asks for the content's
// whole size, so the window is as large as its content where the room allows and scrolls where it does not.
#pragma once

#include <QScrollArea>
#include <QSize>

class QWidget;

// The size window can take on its screen without being cut off.
QSize roomOnScreen(const QWidget* window);

// Resizes window to wished (at least its size hint) within its room on screen.
void fitToScreen(QWidget* window, const QSize& wished);

// A frameless scroll area around content (which it owns) whose size hint is the content's whole size; a plain
// scroll area caps its wish at a few dozen lines of its font.
class ContentScrollArea : public QScrollArea {
    Q_OBJECT

public:
    explicit ContentScrollArea(QWidget* content, QWidget* parent = nullptr);

    QSize sizeHint() const override;
};
