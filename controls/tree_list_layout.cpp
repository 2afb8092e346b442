// The tree list's geometry: see tree_list_layout.h.

#include "controls/tree_list_layout.h"

QStringList splitColumnParts(QStringView text, QStringView separator, int columnCount)
{
    QStringList parts;
    QStringView rest = text;
    for (int column = 0; column < columnCount; ++column) {
        const qsizetype at = separator.isEmpty() ? -1 : rest.indexOf(separator);
        if (column == columnCount - 1 || at < 0) {
            parts.append(rest.toString());
            rest = QStringView();
        } else {
            parts.append(rest.left(at).toString());
            rest = rest.mid(at + separator.size());
        }
    }
    return parts;
}

QList<int> columnLinePositions(const QList<int>& widths, int scroll)
{
    QList<int> positions;
    int right = 0;
    for (qsizetype column = 0; column + 1 < widths.size(); ++column) {
        right += widths.at(column);
        positions.append(right - 2 - scroll);
    }
    return positions;
}
