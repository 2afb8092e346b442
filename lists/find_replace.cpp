// Find and replace: see find_replace.h.

#include "lists/find_replace.h"

#include "core/base/text_helpers.h"
#include "platform/string_grid.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

constexpr int kProgressRows = 4096;

// Case folding as Remove duplicates does it. It keeps the length of every character, so a place found in the
// folded text is the same place in the text itself.
QString folded(const QString& text)
{
    return text.toCaseFolded();
}

// The pair once over cell, left to right, each search after the text just inserted.
QString replaceOnce(const QString& cell, const QString& oldKey, const QString& newValue, bool caseSensitive)
{
    const QString searched = caseSensitive ? cell : folded(cell);
    QString result;
    qsizetype from = 0;
    for (qsizetype found; (found = searched.indexOf(oldKey, from)) >= 0; from = found + oldKey.size()) {
        result += QStringView(cell).sliced(from, found - from);
        result += newValue;
    }
    result += QStringView(cell).sliced(from);
    return result;
}

// The pair applied by the restart rule, or nullopt when that rule passes its bound without ending.
std::optional<QString> replaceRestarting(const QString& cell, const QString& oldKey, const QString& newValue,
                                         bool caseSensitive)
{
    const qsizetype maxSteps = 2 * cell.size() + 16;
    const qsizetype maxLength = 4 * cell.size() + 1024;
    const QString newKey = caseSensitive ? newValue : folded(newValue);
    QString text = cell;
    QString searched = caseSensitive ? cell : folded(cell);
    for (qsizetype steps = 0;; ++steps) {
        const qsizetype found = searched.indexOf(oldKey);
        if (found < 0)
            return text;
        if (steps >= maxSteps || text.size() - oldKey.size() + newValue.size() > maxLength)
            return std::nullopt;
        text.replace(found, oldKey.size(), newValue);
        searched.replace(found, oldKey.size(), newKey);
    }
}

}  // namespace

QString replaceInCell(const QString& cell, const std::vector<ReplacePair>& pairs, bool caseSensitive)
{
    QString text = cell;
    for (const ReplacePair& pair : pairs) {
        const QString oldKey = caseSensitive ? pair.oldValue : folded(pair.oldValue);
        const QString newKey = caseSensitive ? pair.newValue : folded(pair.newValue);
        if (oldKey.isEmpty() || oldKey == newKey)
            continue;
        if (std::optional<QString> replaced = replaceRestarting(text, oldKey, pair.newValue, caseSensitive))
            text = *std::move(replaced);
        else
            text = replaceOnce(text, oldKey, pair.newValue, caseSensitive);
    }
    return text;
}

std::vector<ReplacePair> pairsOfGrid(const StringGrid& pairGrid)
{
    std::vector<ReplacePair> pairs;
    for (int row = 1; row < pairGrid.rowCount(); ++row)
        pairs.push_back({pairGrid.cell(0, row), pairGrid.cell(1, row)});
    return pairs;
}

int replaceInColumn(StringGrid& grid, int column, const std::vector<ReplacePair>& pairs, bool caseSensitive,
                    const RowProgress& progress)
{
    int changed = 0;
    for (int row = 1; row < grid.rowCount(); ++row) {
        if (progress && row % kProgressRows == 0 && !progress(row))
            break;
        const QString cell = grid.cell(column, row);
        if (cell.isEmpty())
            continue;
        const QString replaced = replaceInCell(cell, pairs, caseSensitive);
        if (replaced != cell) {
            grid.setCell(column, row, replaced);
            ++changed;
        }
    }
    if (progress)
        progress(grid.rowCount() - 1);
    return changed;
}

void showPairLines(StringGrid& pairGrid, const QStringList& lines, QChar delimiter, const QString& oldTitle,
                   const QString& newTitle)
{
    std::vector<QStringList> rows;
    int columns = 2;
    for (const QString& line : lines) {
        rows.push_back(splitTextItems(delimiter, line));
        columns = std::max(columns, int(rows.back().size()));
    }
    pairGrid.setRowCount(1);
    pairGrid.setColumnCount(columns);
    pairGrid.setRowCount(std::max<int>(2, int(rows.size()) + 1));
    pairGrid.clear();
    pairGrid.setCell(0, 0, oldTitle);
    pairGrid.setCell(1, 0, newTitle);
    for (std::size_t i = 0; i < rows.size(); ++i)
        pairGrid.setRowCells(int(i) + 1, rows[i]);
}

QStringList pairLines(const StringGrid& pairGrid, QChar delimiter)
{
    QStringList lines;
    for (int row = 1; row < pairGrid.rowCount(); ++row)
        lines.append(pairGrid.rowCells(row).join(delimiter));
    return lines;
}

QString pairFileSaveName(const QString& chosen)
{
    const QString name = QFileInfo(chosen).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || dot == name.size() - 1)
        return chosen + QStringLiteral(".txt");
    return chosen;
}
