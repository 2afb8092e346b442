// Result rows by outcome: see result_rows.h.

#include "core/sending/result_rows.h"

#include "core/sending/send_engine.h"
#include "platform/string_grid.h"

#include <QFileInfo>

#include <vector>

namespace {

constexpr int kRowBits = saveAllRows;
constexpr int kFormatBits[] = {saveAddressOnly, saveListFields, saveResultFields, saveListAndResultFields};

bool isDnsFailure(int code)
{
    return code == -1 || code == -9;
}

bool isUserRefusal(int code)
{
    return code == 550 || code == 551 || code == 553;
}

QString listRowText(const StringGrid& list, int row, const QString& delimiter)
{
    if (row >= list.rowCount())
        return QString();
    return list.rowCells(row).join(delimiter);
}

QString resultCells(const StringGrid& results, int row, int first, const QString& delimiter)
{
    QStringList cells;
    for (int column = first; column <= colComment; ++column)
        cells.append(results.cell(column, row));
    return cells.join(delimiter);
}

void leaveOneBlankRow(StringGrid& grid)
{
    if (grid.rowCount() < 2)
        grid.setRowCount(2);
}

}  // namespace

int normalizedSaveOptions(int options)
{
    if ((options & kRowBits) == 0)
        options |= kRowBits;
    if (options < saveAddressOnly)
        options += saveListAndResultFields;
    return options;
}

QString resultFileName(const QString& chosen)
{
    return QFileInfo(chosen).suffix().isEmpty() && !QFileInfo(chosen).fileName().endsWith(u'.')
               ? chosen + QStringLiteral(".txt")
               : chosen;
}

int resultCode(const StringGrid& results, int row)
{
    bool ok = false;
    const int code = results.cell(colCode, row).trimmed().toInt(&ok);
    return ok ? code : 0;
}

bool resultRowSelected(int options, int status, int code)
{
    if ((options & kRowBits) == kRowBits)
        return true;
    if ((options & saveSentRows) && status == rowGood)
        return true;
    if (status != rowBad)
        return false;
    return ((options & saveDnsErrorRows) && isDnsFailure(code)) || ((options & saveSmtpUserRows) && isUserRefusal(code))
           || ((options & saveOtherErrorRows) && code >= 1);
}

QString resultLine(int options, const StringGrid& results, const StringGrid& list, int row, const QString& delimiter)
{
    for (int format : kFormatBits) {
        if (!(options & format))
            continue;
        switch (format) {
        case saveAddressOnly:
            return results.cell(colEmail, row);
        case saveListFields:
            return listRowText(list, row, delimiter);
        case saveResultFields:
            return resultCells(results, row, colEmail, delimiter);
        case saveListAndResultFields:
            return listRowText(list, row, delimiter) + delimiter + resultCells(results, row, colState, delimiter);
        }
    }
    return QString();
}

QStringList resultFileLines(int options, const StringGrid& results, const StringGrid& list, const QString& delimiter)
{
    QStringList lines;
    for (int row = 1; row < results.rowCount(); ++row) {
        if (!resultRowSelected(options, results.rowStatus(row), resultCode(results, row)))
            continue;
        const QString line = resultLine(options, results, list, row, delimiter);
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

bool codeListed(const QString& codes, const QString& code)
{
    if (code.isEmpty())
        return false;
    return codes.split(u';', Qt::SkipEmptyParts).contains(code);
}

bool resultRowRemoved(int mode, const QString& codes, int status, const QString& code)
{
    return ((mode & deleteSentRows) && status == rowGood) || ((mode & deleteUnsentRows) && status == rowBad)
           || ((mode & deleteByCode) && codeListed(codes, code));
}

bool rowsPaired(const StringGrid& results, const StringGrid& list, int emailColumn)
{
    if (results.rowCount() != list.rowCount())
        return false;
    for (int row = 1; row < results.rowCount(); ++row)
        if (results.cellUtf8(colEmail, row) != list.cellUtf8(emailColumn, row))
            return false;
    return true;
}

int removeResultRows(StringGrid& results, StringGrid& list, int mode, const QString& codes)
{
    std::vector<bool> removed(std::size_t(results.rowCount()), false);
    int count = 0;
    for (int row = 1; row < results.rowCount(); ++row) {
        if (resultRowRemoved(mode, codes, results.rowStatus(row), results.cell(colCode, row))) {
            removed[std::size_t(row)] = true;
            ++count;
        }
    }
    results.removeMarkedRows(removed);
    list.removeMarkedRows(removed);
    leaveOneBlankRow(results);
    leaveOneBlankRow(list);
    return count;
}
