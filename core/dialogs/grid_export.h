// Spreadsheet export in place of driving a spreadsheet program: the rows go into a new .xlsx workbook beside
// the send logs (first row the titles, the other cells stored as text), which the desktop then opens in its
// spreadsheet program. When writing fails, the caller's message is shown with why (on a full disk, the
// workbook's path and the system's reason); when no program opens the workbook (xdg-open cannot start, or ends
// with a failure), the message also says where it was saved.
// At most 1,048,576 rows and 16,384 columns, 32,767 characters per cell, the format's own limits.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class StringGrid;

// A sheet's rows, read one at a time in order, so a large grid is never copied whole. sheetRowsOf keeps a
// reference: the rows or the grid must outlive the SheetRows.
struct SheetRows {
    int count = 0;
    std::function<QStringList(int row)> row;
    QString sheetName;   // empty: the format's default name
};

SheetRows sheetRowsOf(const QList<QStringList>& rows);
// Every row of grid, row 0 (the titles) first.
SheetRows sheetRowsOf(const StringGrid& grid);

// Writes the workbook to path (its sheet named rows.sheetName); false with *error on failure: the path and the
// system's reason when the file system failed, else the library's reason.
bool writeXlsxFile(const QString& path, const SheetRows& rows, QString* error = nullptr);

// Opens a written workbook with the desktop's program. Answers false when nothing could be started; when the
// opener started but then fails, failedLater is called once, from the event loop.
using SpreadsheetOpener = std::function<bool(const QString& path, const std::function<void()>& failedLater)>;
// Tests install their own opener; nullptr restores the desktop's (xdg-open, failing on its exit status).
void setSpreadsheetOpener(SpreadsheetOpener opener);

// Writes rows to a new workbook in the program folder's "logs" and opens it. When writing fails, shows
// failureText and below it the reason, with caption (the window's own message texts) and an error icon; when
// nothing opens the workbook, now or later, the same message followed by the workbook's path. Answers whether
// the workbook was written and its opener started.
bool ExportToSpreadsheet(const SheetRows& rows, const QString& failureText, const QString& caption);
