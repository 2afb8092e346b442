// The address-book import's model: see address_book_import.h.

#include "lists/address_book_import.h"

#include "lists/address_book_file.h"
#include "lists/book_list_file.h"
#include "platform/string_grid.h"
#include "platform/string_grid_delimited.h"
#include "platform/string_list.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

// Appends the current contact as a row of the catalogue's columns, flattened for the list; answers the
// number of cells that had to be.
int appendContact(StringGrid& grid, const TAbook& record, const QByteArray& listDelimiter)
{
    const QStringList cells = abookCatalogueRow(record);
    std::vector<QByteArray> utf8(cells.size());
    std::vector<QByteArrayView> views(cells.size());
    int changed = 0;
    QByteArray flattened;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        utf8[i] = cells.at(i).toUtf8();
        if (flattenListCell(utf8[i], listDelimiter, flattened)) {
            utf8[i] = flattened;
            ++changed;
        }
        views[i] = utf8[i];
    }
    grid.appendRowUtf8(views);
    return changed;
}

}  // namespace

std::optional<QList<BookEntry>> readBookEntries(const QString& folder, QString* error)
{
    if (!QFileInfo(bookListPath(folder)).isFile())
        return std::nullopt;   // opening a missing list would create it
    TListABFile list(folder);
    if (!list.Store->Loaded) {
        if (error)
            *error = list.Store->loadError;
        return std::nullopt;
    }
    QList<BookEntry> entries;
    for (list.First(); !list.Eof(); list.Next())
        entries.append({list.DisplayName(), list.Id});
    std::stable_sort(entries.begin(), entries.end(), [](const BookEntry& a, const BookEntry& b) {
        return ansiCompareText(a.name, b.name) < 0;
    });
    return entries;
}

BookImportResult importAddressBook(StringGrid& grid, const QString& folder, int bookId,
                                   const ImportProgress& progress, const QString& listDelimiter)
{
    const QByteArray delimiter = listDelimiter.toUtf8();
    BookImportResult result;
    TABookFile book(folder, bookId);
    result.bookFile = book.Store->FileName;
    if (!book.Store->Loaded) {
        result.readError = book.Store->loadError;
        return result;
    }
    result.bookLines = book.Count();
    const auto goOn = [&] { return !progress || progress(result.rowsWritten, result.bookLines); };
    if (book.Eof())
        return result;
    if (!goOn()) {
        result.stopped = true;
        return result;
    }
    // Rows from 1 on are replaced whole: appending after row 0 gives the same grid as overwriting them, through
    // the grid's bulk path.
    grid.bulkChange([&] {
        grid.setRowCount(1);
        grid.setColumnCount(std::max(grid.columnCount(), AbookColumnCount));
        while (!book.Eof()) {
            result.cellsChanged += appendContact(grid, book.Record, delimiter);
            ++result.rowsWritten;
            book.Next();
            if (!goOn() && !book.Eof()) {
                result.stopped = true;
                break;
            }
        }
    });
    return result;
}
