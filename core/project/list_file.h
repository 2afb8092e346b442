// The list file and the list grid sg1: one record a line, fields split at the project delimiter and trimmed,
// no quoting, empty lines skipped; row 0 of the grid holds the titles "Column#n". A load reports its lines to a
// progress callback that may stop it, keeping the rows read so far (the window that runs it shows the progress:
// core/editor/list_loader.h); saving writes every row but row 0 with CR LF after each line, atomically. Also the delimiter box's names, the column choices after a load and the
// e-mail cleaning run before verification and sending. The column boxes themselves belong to the editor.
#pragma once

#include "platform/string_grid_delimited.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class StringGrid;

// The delimiter box's items: "," "." ... "}" "Tab" "Space".
QStringList DelimiterItems();
// The name a delimiter has in the box and in the project file: a tab is "Tab", a blank "Space", any other
// character itself.
QString DelimiterName(const QString& delimiter);
// The delimiter of a box item or a stored value: exactly "Tab" is a tab and exactly "Space" a blank; any other
// value that is not one character becomes the nearest valid delimiter (blanks around it dropped, "tab" and
// "space" in any case, else its first character; ";" when nothing is left), so a separator is always one
// character.
QString DelimiterFromName(const QString& name);

// What choosing item in the delimiter box does to a project whose delimiter is current.
enum class DelimiterChange {
    Unchanged,      // the item is the current delimiter
    Set,            // take the new delimiter; there is no list file to load again
    SetAndReload,   // take it, load the list file again and mark the project modified
    Refused,        // the user kept the unsaved list: the box shows the current delimiter again
};
// A modified project asks question (caption, Yes/No) before its list file is loaded again, because the load
// drops the grid's unsaved changes.
DelimiterChange DecideDelimiterChange(const QString& current, const QString& item, bool listFileExists,
                                      bool modified, const QString& question, const QString& caption);

// Fills fields (cleared first) with the trimmed fields of line.
void SplitListLine(const QString& delimiter, const QString& line, QStringList& fields);

struct ListLoadResult {
    bool fileFound = false;   // false: the file is missing, or unreadable (readError says why)
    QString readError;
    int records = 0;          // record rows now in the grid
    bool stopped = false;     // the reading was stopped before the end
};

// A list file read whole, before it fills a grid; lineCount is for a progress gauge.
struct ListFileBytes {
    ListLoadResult result;            // fileFound and readError
    std::optional<QByteArray> bytes;  // none: missing or unreadable
    int lineCount = 0;
};
ListFileBytes ReadListBytes(const QString& fileName);
// Makes grid the list of file's bytes, as ReadListFile does.
ListLoadResult FillListGrid(StringGrid& grid, const ListFileBytes& file, const QString& delimiter,
                            const ReadProgress& progress = {});

// Makes grid the list of the file: first an empty list (RowCount 2, ColCount 1), then one row per record,
// ColCount the widest record; row 0 titled. progress is told the lines read and may stop the reading.
ListLoadResult ReadListFile(StringGrid& grid, const QString& fileName, const QString& delimiter,
                            const ReadProgress& progress = {});
// Two rows whose row 1 is blank after trimming every cell: the grid of an empty list.
bool isEmptyList(const StringGrid& grid);
// The records the user sees: RowCount - 1, and 0 for an empty list.
int listRecordCount(const StringGrid& grid);

// Row 0 of every column := "Column#" and the 1-based column number.
void TitleListColumns(StringGrid& grid);
// The texts of row 0: the items of the e-mail and merge-field boxes (the attachment box puts "None" first).
QStringList ListColumnTitles(const StringGrid& grid);
// The column choices after a load for a list of columnCount columns: column (0-based e-mail column) := 0 when it
// is not a column of the list (a negative one too); columnA (0 none, k = column k from 1) := 0 when it is
// negative or beyond the last column.
void ClampColumnChoices(int columnCount, int& column, int& columnA);

// Rows 1 .. RowCount-1, each row's cells joined with delimiter, CR LF after every line, UTF-8, written
// atomically. A cell's line breaks and delimiters are written as blanks (the grid keeps them), so the file
// reads back with every record on its line; *cellsChanged, when given, tells how many cells were changed so.
// On failure answers false, keeps the old file and sets *error.
bool SaveListFile(const StringGrid& grid, const QString& fileName, const QString& delimiter,
                  QString* error = nullptr, int* cellsChanged = nullptr);

// An address cell made bare: the first "<", the first ">" and the first two double quotes removed, then, while
// a blank is left, the words before the address or after it cut off. A text without "@" is returned as it is.
QString CleanEmailAddress(const QString& cell);
// CleanEmailAddress on cell (column, r) of every record row; nothing happens when column is negative.
void CleanEmailColumn(StringGrid& grid, int column);
