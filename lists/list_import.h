// Writing imported records into the list grid: an empty list (two rows, row 1 blank) is filled from row 1,
// any other list is appended to; new columns get the titles "Column#n", the old ones keep theirs. Rows go
// through the grid's bulk append, every cell flattened for the list's delimiter (its line breaks and
// delimiters become blanks, so the saved list keeps each record on its line). An import that adds nothing, or
// fails part-way, leaves the list as it was. No windows: the caller is told the rows written every few
// hundred rows and may pump events then.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class ImportText;
class StringGrid;

// Told the number of rows written so far.
using ImportProgress = std::function<void(int rowsWritten)>;

// Where an import of count records starts and the row count it leaves; count 0 changes nothing.
struct ImportPlacement {
    int firstRow = 0;
    int rowCount = 0;
};
ImportPlacement placeImport(const StringGrid& grid, int count);

struct ImportResult {
    bool ok = true;
    QString error;      // why the import failed; the list is as it was
    int rowsWritten = 0;
    int cellsChanged = 0;   // cells whose line breaks or list delimiters became blanks
};

// How the wizard cuts text: delimited (the delimiter characters, consecutive ones as one) or by a break mask.
struct TextCut {
    bool fixedWidth = false;
    QString delimiters;
    bool consecutiveAsOne = false;
    QString mask;
};

// listDelimiter below: the delimiter of the list the cells go into (";" as a new project's).

// The text's lines from startRow (1-based, 1 when below 2) to the last: one row per record (a quoted field
// may take several lines), empty lines as blank rows. A start row past the last line writes nothing.
ImportResult importText(StringGrid& grid, const ImportText& text, int startRow, const TextCut& cut,
                        const ImportProgress& progress = {}, const QString& listDelimiter = QStringLiteral(";"));

// The records of a table from startRow (1-based among the records shown, deleted ones left out), one row
// each with the text of every field. The table is opened read-only; it never changes. A field that cannot be
// read leaves its cell empty; a table that does not open, or fails part-way, imports nothing.
ImportResult importTable(StringGrid& grid, const QString& fileName, int startRow, const ImportProgress& progress = {},
                         const QString& listDelimiter = QStringLiteral(";"));
