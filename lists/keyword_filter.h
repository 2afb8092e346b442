// The keyword filter without its window: keyword files (one keyword record a line, cut at the window's
// delimiter, written with ";" after every cell), matching a list column against the keywords ("Is equal
// exactly": equal but for letter case, folded as Remove duplicates folds it ("Ä" equals "ä"), one hash
// look-up per row; "Contains keywords": letters compared exactly, one pass per cell over a multi-pattern
// matcher), splitting the list into kept and removed rows, and the ".del" file.
#pragma once

#include "platform/string_grid.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class FoldedValueSet;
class SubstringMatcher;

enum class KeywordMatch { Exact, Contains };

// The keywords of one column of the keyword grid, ready to test cells against.
class KeywordMatcher {
public:
    KeywordMatcher(const StringGrid& keywords, int keywordColumn, KeywordMatch mode);
    ~KeywordMatcher();
    bool matches(QByteArrayView cellUtf8) const;

private:
    KeywordMatch m_mode;
    std::unique_ptr<FoldedValueSet> m_exact;
    std::unique_ptr<SubstringMatcher> m_contains;
};

struct KeywordFileResult {
    bool ok = true;          // false: the file exists but could not be read (error says why)
    QString error;
};
// Makes keywords the table of the file: row 0 "Column#n", one row per line with at least one item (empty lines
// take none), as many columns as the widest line; a missing file gives one blank row.
KeywordFileResult loadKeywordFile(StringGrid& keywords, const QString& fileName, QChar delimiter);
// Rows 1 .. RowCount-1, each cell followed by ";", CR LF after every row.
QByteArray keywordFileBytes(const StringGrid& keywords);
// ".txt" appended unless the name already ends in ".txt" in any letter case.
QString keywordFileSaveName(const QString& chosen);
// ".del" appended unless the name already ends in ".del" in any letter case.
QString removedRowsFileName(const QString& chosen);

// Told the rows examined so far every few thousand rows; the filter is not stopped half-way.
using FilterProgress = std::function<void(int rowsDone)>;
// The rows 1 .. RowCount-1 of list whose cell in listColumn matches (index = row).
std::vector<bool> matchingRows(const StringGrid& list, int listColumn, const KeywordMatcher& matcher,
                               const FilterProgress& progress = {});
// Moves the marked rows of list (whole rows, in order) into a new grid of the list's column count, from its
// row 0, and removes them from list; no row kept leaves list with RowCount 2 and row 1 blank.
StringGrid takeMarkedRows(StringGrid& list, const std::vector<bool>& marked);
// Every row of removed (from row 0), each cell followed by ";", CR LF after every row.
QByteArray removedRowsBytes(const StringGrid& removed);
