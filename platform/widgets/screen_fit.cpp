// Windows that fit their screen: see screen_fit.h.

#include "platform/widgets/screen_fit.h"

#include <QScreen>
#include <QScrollBar>
#include <QWidget>

QSize roomOnScreen(const QWidget* window)
{
    const QScreen* screen = window->screen();
    const double dpi = screen->logicalDotsPerInch();
    return screen->availableGeometry().size() - QSize(qRound(dpi / 6), qRound(dpi * 3 / 4));
}

void fitToScreen(QWidget* window, const QSize& wished)
{
    window->resize(wished.expandedTo(window->sizeHint()).boundedTo(roomOnScreen(window)));
}

ContentScrollArea::ContentScrollArea(QWidget* content, QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(content);
}

// The vertical scroll bar's width is asked for too: where the window is capped in height the bar appears,
// and the content keeps its width instead of scrolling sideways as well.
QSize ContentScrollArea::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return widget()->sizeHint() + QSize(frame + verticalScrollBar()->sizeHint().width(), frame);
}
