// keepLinesVisible: see editing_area.h.

#include "platform/widgets/editing_area.h"

#include <QFrame>

void keepLinesVisible(QWidget* area, int lines)
{
    const auto* frame = qobject_cast<const QFrame*>(area);
    const int border = frame ? 2 * frame->frameWidth() : 0;
    area->setMinimumHeight(lines * area->fontMetrics().lineSpacing() + border);
}
