// Spreadsheet export: see grid_export.h.

#include "core/dialogs/grid_export.h"

#include "core/base/window_host.h"
#include "platform/clock.h"
#include "platform/desktop_open.h"
#include "platform/message_box_flags.h"
#include "platform/program_folder.h"
#include "platform/string_grid.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <cerrno>

namespace {

bool openWithDesktop(const QString& path, const std::function<void()>& failedLater)
{
    openWithXdgOpen(path, [failedLater](DesktopOpenFailure) { failedLater(); });
    return true;
}

SpreadsheetOpener& spreadsheetOpener()
{
    static SpreadsheetOpener opener = openWithDesktop;
    return opener;
}

// Writes the cells; the first lxw error, or LXW_NO_ERROR.
lxw_error writeSheet(lxw_workbook* workbook, const SheetRows& rows)
{
    const QByteArray sheetName = rows.sheetName.toUtf8();
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, sheetName.isEmpty() ? nullptr : sheetName.constData());
    lxw_format* text = workbook_add_format(workbook);
    if (!sheet || !text)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    format_set_num_format(text, "@");
    for (int row = 0; row < rows.count; ++row) {
        const QStringList cells = rows.row(row);
        for (int column = 0; column < cells.size(); ++column) {
            const QByteArray value = cells.at(column).toUtf8();
            // Titles stay general; the data cells are text, so "0012" or "1/2" reach the sheet unchanged.
            lxw_error error = worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), value.constData(),
                                                     row == 0 ? nullptr : text);
            if (error != LXW_NO_ERROR)
                return error;
        }
    }
    return LXW_NO_ERROR;
}

// Failures of the file system, whose errno the library leaves as the system's reason.
bool isFileError(lxw_error error)
{
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return true;
    default:
        return false;
    }
}

// "path: No space left on device" where the system said why; else the library's own words.
QString failureReason(const QString& path, lxw_error error, int systemError)
{
    if (isFileError(error) && systemError != 0)
        return path + QStringLiteral(": ") + qt_error_string(systemError);
    return QString::fromUtf8(lxw_strerror(error));
}

// A new workbook beside the send logs ("logs/export_dd-mm-yy_hh-nn-ss.xlsx" in the program folder), where the
// user finds it again when no program opens it; empty when the folder cannot be made.
QString newWorkbookPath()
{
    const QString folder = programFolderPath() + QStringLiteral("logs");
    if (!QDir().mkpath(folder))
        return QString();
    const QString stem = folder + QStringLiteral("/export_")
                         + Clock::instance().now().toString(QStringLiteral("dd-MM-yy_hh-mm-ss"));
    QString path = stem + QStringLiteral(".xlsx");
    for (int copy = 2; QFile::exists(path); ++copy)
        path = stem + QStringLiteral("_%1.xlsx").arg(copy);
    return path;
}

}  // namespace

SheetRows sheetRowsOf(const QList<QStringList>& rows)
{
    return {int(rows.size()), [&rows](int row) { return rows.at(row); }, QString()};
}

SheetRows sheetRowsOf(const StringGrid& grid)
{
    return {grid.rowCount(), [&grid](int row) { return grid.rowCells(row); }, QString()};
}

bool writeXlsxFile(const QString& path, const SheetRows& rows, QString* error)
{
    if (rows.count > LXW_ROW_MAX) {
        if (error)
            *error = QStringLiteral("%1 rows do not fit a sheet").arg(rows.count);
        return false;
    }
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;   // rows go to disk as they are written
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook* workbook = workbook_new_opt(fileName.constData(), &options);
    if (!workbook) {
        if (error)
            *error = QStringLiteral("the workbook cannot be created");
        return false;
    }
    // errno is taken right after the step that failed: the library leaves the system's reason there.
    errno = 0;
    const lxw_error written = writeSheet(workbook, rows);
    const int writeErrno = errno;
    errno = 0;
    const lxw_error closed = workbook_close(workbook);   // frees the workbook in every case
    const int closeErrno = errno;
    const bool writeFailed = written != LXW_NO_ERROR;
    if (writeFailed || closed != LXW_NO_ERROR) {
        QFile::remove(path);
        if (error)
            *error = writeFailed ? failureReason(path, written, writeErrno) : failureReason(path, closed, closeErrno);
        return false;
    }
    return true;
}

void setSpreadsheetOpener(SpreadsheetOpener opener)
{
    spreadsheetOpener() = opener ? std::move(opener) : openWithDesktop;
}

bool ExportToSpreadsheet(const SheetRows& rows, const QString& failureText, const QString& caption)
{
    const QString path = newWorkbookPath();
    QString reason;
    if (path.isEmpty() || !writeXlsxFile(path, rows, &reason)) {
        ShowMessageBox(reason.isEmpty() ? failureText : failureText + QStringLiteral("\n\n") + reason, caption,
                       MB_OK | MB_ICONERROR);
        return false;
    }
    const auto notOpened = [failureText, caption, path] {
        ShowMessageBox(failureText + QStringLiteral("\n\nThe workbook was saved as %1").arg(path), caption,
                       MB_OK | MB_ICONERROR);
    };
    if (spreadsheetOpener()(path, notOpened))
        return true;
    notOpened();
    return false;
}
