// Find and replace over one column of a list grid: each (old, new) pair is applied to every non-empty cell,
// and the search starts again at the cell's start after every replacement. That rule can grow a cell for
// ever (old "ab", new "bbaa"), so it runs within a bound on steps and growth; beyond it the pair is applied
// once, left to right, to the cell as it stood before the pair. Also the pair file (one pair a line).
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class StringGrid;

struct ReplacePair {
    QString oldValue;
    QString newValue;
};

// cell with every pair applied in order. Without caseSensitive, old values match without regard to letter
// case (Unicode case folding, as Remove duplicates compares); a pair whose values are equal under that rule, or
// whose old value is empty, is skipped.
QString replaceInCell(const QString& cell, const std::vector<ReplacePair>& pairs, bool caseSensitive);

// The pairs of the pair grid's rows 1 .. RowCount-1 (columns 0 and 1).
std::vector<ReplacePair> pairsOfGrid(const StringGrid& pairGrid);

// Told the rows done so far every few thousand rows; false stops there (the rows done stay).
using RowProgress = std::function<bool(int rowsDone)>;
// Applies pairs to column column of rows 1 .. RowCount-1; empty cells are left alone. Answers the rows changed.
int replaceInColumn(StringGrid& grid, int column, const std::vector<ReplacePair>& pairs, bool caseSensitive,
                    const RowProgress& progress = {});

// The pair grid from the lines of a pair file: row i+1 holds line i's items (SplitText at delimiter), an
// empty line a blank row; at least two columns and as many as the widest line; titles oldTitle, newTitle.
void showPairLines(StringGrid& pairGrid, const QStringList& lines, QChar delimiter, const QString& oldTitle,
                   const QString& newTitle);
// Rows 1 .. RowCount-1 as pair-file lines: the cells joined by delimiter.
QStringList pairLines(const StringGrid& pairGrid, QChar delimiter);
// A pair file's save name: ".txt" appended when the name has no extension or ends in ".".
QString pairFileSaveName(const QString& chosen);
