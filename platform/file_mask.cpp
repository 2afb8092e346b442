// Windows-style file-mask matching: see file_mask.h. Blanks around each ";"-separated mask are ignored and
// empty masks match nothing.

#include "platform/file_mask.h"

#include <QStringList>

namespace {

// "*" and "?" matching without case; the greedy walk with one back-track point is linear enough for names.
bool matchesOneMask(QStringView name, QStringView mask)
{
    if (mask == u"*.*" || mask == u"*")
        return true;
    qsizetype n = 0, m = 0, starMask = -1, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || mask[m].toCaseFolded() == name[n].toCaseFolded())) {
            ++m;
            ++n;
        } else if (starMask >= 0) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

}  // namespace

bool matchesFileMask(const QString& fileName, const QString& mask)
{
    for (QStringView part : QStringView(mask).split(u';')) {
        part = part.trimmed();
        if (!part.isEmpty() && matchesOneMask(fileName, part))
            return true;
    }
    return false;
}
