// The address-book import without its window: the books a folder's list names, sorted for the book tree, and
// the copy of one book into a list grid, one row per contact and one column per catalogue column. The grid
// changes only once a row is written: an empty book, or a stop before the first row, leaves it as it was.
// Written rows replace the grid's rows from row 1 (row 0, the titles, stays); the grid keeps at least 54
// columns, and in every written row the columns beyond the 54th are empty. Cells are flattened for the list's
// delimiter (line breaks and delimiters become blanks), so the saved list keeps each contact on its line.
#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class StringGrid;

struct BookEntry {
    QString name;   // the display name
    int id = 0;
};

// The books of folder's list by display name without regard to case, duplicates kept; nullopt when the folder
// has no book list or it cannot be read (*error says why when it exists).
std::optional<QList<BookEntry>> readBookEntries(const QString& folder, QString* error = nullptr);

struct BookImportResult {
    int bookLines = 0;     // the contacts in the book
    int rowsWritten = 0;
    bool stopped = false;  // the progress asked to stop before the last contact
    QString bookFile;      // the book's full file name
    QString readError;     // the book could be neither read nor created
    int cellsChanged = 0;  // cells whose line breaks or list delimiters became blanks
};

// Told the rows written so far and the contacts in the book: once before the first row (0) and after every row.
// false stops before the next row.
using ImportProgress = std::function<bool(int rowsWritten, int bookLines)>;

// Copies book bookId of folder (0 or an unknown id: "Default") into grid.
BookImportResult importAddressBook(StringGrid& grid, const QString& folder, int bookId,
                                   const ImportProgress& progress = {},
                                   const QString& listDelimiter = QStringLiteral(";"));
