// Captions with accelerator marks: see accelerator_text.h.

#include "controls/accelerator_text.h"

QString captionWithoutAccelerators(const QString& caption)
{
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) {
            plain += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
            plain += QLatin1Char('&');
            ++i;
        }
    }
    return plain;
}
