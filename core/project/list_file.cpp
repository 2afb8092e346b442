// The list file and the list grid: see list_file.h. The splitting and joining are the string grid's own bulk
// paths (platform/string_grid_delimited.h); this file adds the grid's layout and the column rules.

#include "core/project/list_file.h"

#include "core/base/text_helpers.h"
#include "core/base/window_host.h"
#include "platform/atomic_file.h"
#include "platform/string_grid.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <optional>

namespace {

const QString kTabName = QStringLiteral("Tab");
const QString kSpaceName = QStringLiteral("Space");

// The grid as an empty list: row 0 for the titles and one empty record row, one column.
void makeEmptyList(StringGrid& grid)
{
    grid.setRowCount(1);
    grid.setColumnCount(1);
    grid.clear();
}

// Reads the whole file; a missing file leaves result.fileFound false without an error.
std::optional<QByteArray> readWholeFile(const QString& fileName, ListLoadResult& result)
{
    if (!QFileInfo(fileName).isFile())
        return std::nullopt;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        result.readError = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.readError = file.errorString();
        return std::nullopt;
    }
    result.fileFound = true;
    return bytes;
}

// The number of lines, for the gauge: the line ends, and a last line without one.
int countLines(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return 0;
    const char end = bytes.contains('\n') ? '\n' : '\r';
    const qsizetype ends = std::count(bytes.cbegin(), bytes.cend(), end);
    const bool openLastLine = !bytes.endsWith('\n') && !bytes.endsWith('\r');
    return int(std::min<qsizetype>(ends + (openLastLine ? 1 : 0), INT_MAX));
}

}  // namespace

ListFileBytes ReadListBytes(const QString& fileName)
{
    ListFileBytes file;
    file.bytes = readWholeFile(fileName, file.result);
    file.lineCount = file.bytes ? countLines(*file.bytes) : 0;
    return file;
}

ListLoadResult FillListGrid(StringGrid& grid, const ListFileBytes& file, const QString& delimiter,
                            const ReadProgress& progress)
{
    ListLoadResult result = file.result;
    grid.bulkChange([&] {
        makeEmptyList(grid);
        if (file.bytes) {
            const ReadProgress watched = [&](int linesRead) {
                const bool goOn = !progress || progress(linesRead);
                result.stopped = result.stopped || !goOn;
                return goOn;
            };
            result.records = appendDelimitedFileBytes(grid, *file.bytes, delimiter, watched);
        }
        if (grid.rowCount() < 2)
            grid.setRowCount(2);
        TitleListColumns(grid);
    });
    return result;
}


QStringList DelimiterItems()
{
    return {",", ".", "/", "\\", "|", "+", "=", "-", ":", ";", "<", ">", "@", "!",
            "~", "#", "$", "%", "^", "&", "*", "(", ")", "{", "}", kTabName, kSpaceName};
}

QString DelimiterName(const QString& delimiter)
{
    if (delimiter == QLatin1String("\t"))
        return kTabName;
    if (delimiter == QLatin1String(" "))
        return kSpaceName;
    return delimiter;
}

QString DelimiterFromName(const QString& name)
{
    if (name == kTabName)
        return QStringLiteral("\t");
    if (name == kSpaceName)
        return QStringLiteral(" ");
    if (name.size() == 1)
        return name;
    const QString bare = name.trimmed();
    if (bare.compare(kTabName, Qt::CaseInsensitive) == 0)
        return QStringLiteral("\t");
    if (bare.compare(kSpaceName, Qt::CaseInsensitive) == 0)
        return QStringLiteral(" ");
    if (!bare.isEmpty())
        return bare.left(1);
    return name.isEmpty() ? QStringLiteral(";") : name.left(1);   // only blanks or tabs: the first of them
}

DelimiterChange DecideDelimiterChange(const QString& current, const QString& item, bool listFileExists,
                                      bool modified, const QString& question, const QString& caption)
{
    if (DelimiterFromName(item) == current)
        return DelimiterChange::Unchanged;
    if (!listFileExists)
        return DelimiterChange::Set;
    if (modified && ShowMessageBox(question, caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return DelimiterChange::Refused;
    return DelimiterChange::SetAndReload;
}

void SplitListLine(const QString& delimiter, const QString& line, QStringList& fields)
{
    fields = splitListLine(line, delimiter);
}

ListLoadResult ReadListFile(StringGrid& grid, const QString& fileName, const QString& delimiter,
                            const ReadProgress& progress)
{
    return FillListGrid(grid, ReadListBytes(fileName), delimiter, progress);
}

bool isEmptyList(const StringGrid& grid)
{
    if (grid.rowCount() != 2)
        return false;
    for (int column = 0; column < grid.columnCount(); ++column)
        if (!trimBlanks(grid.cell(column, 1)).isEmpty())
            return false;
    return true;
}

int listRecordCount(const StringGrid& grid)
{
    return isEmptyList(grid) ? 0 : std::max(grid.rowCount() - 1, 0);
}

// Both write and read row 0 whole: cell by cell would re-encode or re-walk the row once per column.
void TitleListColumns(StringGrid& grid)
{
    QStringList titles;
    titles.reserve(grid.columnCount());
    for (int column = 0; column < grid.columnCount(); ++column)
        titles.append(QStringLiteral("Column#") + QString::number(column + 1));
    grid.setRowCells(0, titles);
}

QStringList ListColumnTitles(const StringGrid& grid)
{
    return grid.rowCells(0);
}

void ClampColumnChoices(int columnCount, int& column, int& columnA)
{
    if (column < 0 || column >= columnCount)
        column = 0;
    if (columnA < 0 || columnA > columnCount)
        columnA = 0;
}

bool SaveListFile(const StringGrid& grid, const QString& fileName, const QString& delimiter, QString* error,
                  int* cellsChanged)
{
    AtomicFile file(fileName);
    const bool written = file.open() && writeDelimitedLines(file, grid, delimiter, 1, cellsChanged) && file.commit();
    if (!written && error)
        *error = file.errorString();
    return written;
}

QString CleanEmailAddress(const QString& cell)
{
    if (!cell.contains('@'))
        return cell;
    QString text = cell;
    for (const QChar mark : {QChar('<'), QChar('>'), QChar('"'), QChar('"')}) {
        const qsizetype at = text.indexOf(mark);
        if (at >= 0)
            text.remove(at, 1);
    }
    for (qsizetype blank = text.indexOf(' '); blank >= 0; blank = text.indexOf(' ')) {
        if (text.indexOf('@') > blank)
            text.remove(0, blank + 1);   // a display name before the address
        else
            text.truncate(blank);        // words after the address
    }
    return text;
}

void CleanEmailColumn(StringGrid& grid, int column)
{
    if (column < 0 || column >= grid.columnCount())
        return;
    for (int row = 1; row < grid.rowCount(); ++row) {
        if (!grid.cellUtf8(column, row).contains('@'))
            continue;
        const QString cell = grid.cell(column, row);
        const QString cleaned = CleanEmailAddress(cell);
        if (cleaned != cell)
            grid.setCell(column, row, cleaned);
    }
}
