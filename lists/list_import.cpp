// Writing imported records into the list grid: see list_import.h.

#include "lists/list_import.h"

#include "core/base/text_helpers.h"
#include "dbase/dbf.h"
#include "dbase/dbf_error.h"
#include "platform/string_grid.h"

#include <new>
#include <vector>

namespace {

constexpr int ProgressRows = 256;

// Appends rows to a list and puts it back as it was when the import writes nothing or fails: an empty list
// loses its blank row 1 to the first record, and keeps it when no record comes.
class ListAppender {
public:
    explicit ListAppender(StringGrid& grid)
        : m_grid(grid)
        , m_oldRowCount(grid.rowCount())
        , m_oldColumnCount(grid.columnCount())
        , m_wasEmpty(isEmptyList(grid))
    {
        if (m_wasEmpty) {
            m_oldFirstRow = grid.rowCells(1);
            grid.setRowCount(1);
        }
    }

    void append(const QStringList& fields)
    {
        m_utf8.clear();
        m_cells.clear();
        for (const QString& field : fields)
            m_utf8.push_back(field.toUtf8());
        for (const QByteArray& bytes : m_utf8)
            m_cells.emplace_back(bytes);
        m_grid.appendRowUtf8(m_cells);
        ++m_rowsWritten;
    }

    int rowsWritten() const { return m_rowsWritten; }

    // Titles the new columns; a list that got no row is put back.
    void finish()
    {
        if (m_rowsWritten == 0) {
            restore();
            return;
        }
        for (int column = m_oldColumnCount; column < m_grid.columnCount(); ++column)
            m_grid.setCell(column, 0, QStringLiteral("Column#%1").arg(column + 1));
    }

    void restore()
    {
        m_grid.setRowCount(std::max(m_oldRowCount, 1));
        m_grid.setColumnCount(m_oldColumnCount);
        if (m_wasEmpty)
            m_grid.setRowCells(1, m_oldFirstRow);
        m_rowsWritten = 0;
    }

private:
    StringGrid& m_grid;
    const int m_oldRowCount;
    const int m_oldColumnCount;
    const bool m_wasEmpty;
    QStringList m_oldFirstRow;
    int m_rowsWritten = 0;
    std::vector<QByteArray> m_utf8;
    std::vector<QByteArrayView> m_cells;
};

void reportProgress(const ImportProgress& progress, int rowsWritten)
{
    if (progress && rowsWritten % ProgressRows == 0)
        progress(rowsWritten);
}

// Runs fill with an appender inside one bulk change of the grid; a failure puts the list back and becomes
// the result's error.
template <typename Fill>
ImportResult appendToList(StringGrid& grid, Fill&& fill)
{
    ImportResult result;
    ListAppender appender(grid);
    try {
        grid.bulkChange([&] { fill(appender); });
        appender.finish();
    } catch (const EDbfError& failure) {
        result.ok = false;
        result.error = failure.message();
    } catch (const std::bad_alloc&) {
        result.ok = false;
        result.error = QStringLiteral("Not enough memory to import the file.");
    }
    if (!result.ok)
        grid.bulkChange([&] { appender.restore(); });
    result.rowsWritten = appender.rowsWritten();
    return result;
}

// The field's text; a field that cannot be read gives an empty cell.
QString fieldText(TField& field)
{
    try {
        return field.AsString();
    } catch (const EDbfError&) {
        return QString();
    }
}

}  // namespace

bool isEmptyList(const StringGrid& grid)
{
    if (grid.rowCount() != 2)
        return false;
    for (int column = 0; column < grid.columnCount(); ++column)
        if (!trimBlanks(grid.cell(column, 1)).isEmpty())
            return false;
    return true;
}

ImportPlacement placeImport(const StringGrid& grid, int count)
{
    const int firstRow = isEmptyList(grid) ? 1 : grid.rowCount();
    if (count <= 0)
        return {firstRow, grid.rowCount()};
    return {firstRow, firstRow + count};
}

ImportResult importTextLines(StringGrid& grid, const QStringList& lines, int startRow, const LineSplitter& split,
                             const ImportProgress& progress)
{
    const qsizetype first = std::max(startRow, 1) - 1;
    if (first >= lines.size())
        return {};
    return appendToList(grid, [&](ListAppender& appender) {
        for (qsizetype line = first; line < lines.size(); ++line) {
            appender.append(lines[line].isEmpty() ? QStringList() : split(lines[line]));
            reportProgress(progress, appender.rowsWritten());
        }
    });
}

ImportResult importTable(StringGrid& grid, const QString& fileName, int startRow, const ImportProgress& progress)
{
    TDbf table;
    table.setTableName(fileName);
    table.setReadOnly(true);
    try {
        table.Open();
    } catch (const EDbfError& failure) {
        return {false, failure.message(), 0};
    }
    if (table.RecordCount() == 0)
        return {};
    return appendToList(grid, [&](ListAppender& appender) {
        for (int skipped = 1; skipped < startRow && !table.Eof(); ++skipped)   // a read error here is caught too
            table.Next();
        QStringList fields;
        for (; !table.Eof(); table.Next()) {
            fields.clear();
            for (int i = 0; i < table.FieldCount(); ++i)
                fields.append(fieldText(table.Fields(i)));
            appender.append(fields);
            reportProgress(progress, appender.rowsWritten());
        }
    });
}
