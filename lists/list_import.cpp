// Writing imported records into the list grid: see list_import.h.

#include "lists/list_import.h"

#include "core/project/list_file.h"
#include "dbase/dbf.h"
#include "dbase/dbf_error.h"
#include "lists/delimited_records.h"
#include "lists/import_splitters.h"
#include "lists/import_text_file.h"
#include "platform/string_grid.h"
#include "platform/string_grid_delimited.h"

#include <new>
#include <vector>

namespace {

constexpr int ProgressRows = 256;

// Appends rows to a list and puts it back as it was when the import writes nothing or fails: an empty list
// loses its blank row 1 to the first record, and keeps it when no record comes. Cells are flattened for the
// list's delimiter on the way.
class ListAppender {
public:
    ListAppender(StringGrid& grid, const QString& listDelimiter)
        : m_grid(grid)
        , m_listDelimiter(listDelimiter.toUtf8())
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
        m_fieldViews.clear();
        for (const QString& field : fields)
            m_utf8.push_back(field.toUtf8());
        for (const QByteArray& bytes : m_utf8)
            m_fieldViews.emplace_back(bytes);
        appendUtf8(m_fieldViews);
    }

    void appendUtf8(const std::vector<QByteArrayView>& fields)
    {
        m_flattened.resize(std::max(m_flattened.size(), fields.size()));
        m_cells.clear();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (flattenListCell(fields[i], m_listDelimiter, m_flattened[i])) {
                m_cells.emplace_back(m_flattened[i]);
                ++m_cellsChanged;
            } else {
                m_cells.push_back(fields[i]);
            }
        }
        m_grid.appendRowUtf8(m_cells);
        ++m_rowsWritten;
    }

    int rowsWritten() const { return m_rowsWritten; }
    int cellsChanged() const { return m_cellsChanged; }

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
        m_cellsChanged = 0;
    }

private:
    StringGrid& m_grid;
    const QByteArray m_listDelimiter;
    const int m_oldRowCount;
    const int m_oldColumnCount;
    const bool m_wasEmpty;
    QStringList m_oldFirstRow;
    int m_rowsWritten = 0;
    int m_cellsChanged = 0;
    std::vector<QByteArray> m_utf8;
    std::vector<QByteArrayView> m_fieldViews;
    std::vector<QByteArray> m_flattened;
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
ImportResult appendToList(StringGrid& grid, const QString& listDelimiter, Fill&& fill)
{
    ImportResult result;
    ListAppender appender(grid, listDelimiter);
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
    result.cellsChanged = appender.cellsChanged();
    return result;
}

// Delimited lines from first on: one row per record.
void appendDelimited(ListAppender& appender, const ImportText& text, int first, const TextCut& cut,
                     const ImportProgress& progress)
{
    DelimitedRecordReader reader(text, cut.delimiters, cut.consecutiveAsOne);
    for (int line = first; line < text.lineCount();) {
        line += reader.read(line);
        appender.appendUtf8(reader.cells());
        reportProgress(progress, appender.rowsWritten());
    }
}

void appendFixedWidth(ListAppender& appender, const ImportText& text, int first, const QString& mask,
                      const ImportProgress& progress)
{
    for (int line = first; line < text.lineCount(); ++line) {
        const QString lineText = text.line(line);
        appender.append(lineText.isEmpty() ? QStringList() : splitFixedWidthLine(lineText, mask));
        reportProgress(progress, appender.rowsWritten());
    }
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

ImportPlacement placeImport(const StringGrid& grid, int count)
{
    const int firstRow = isEmptyList(grid) ? 1 : grid.rowCount();
    if (count <= 0)
        return {firstRow, grid.rowCount()};
    return {firstRow, firstRow + count};
}

ImportResult importText(StringGrid& grid, const ImportText& text, int startRow, const TextCut& cut,
                        const ImportProgress& progress, const QString& listDelimiter)
{
    const int first = std::max(startRow, 1) - 1;
    if (first >= text.lineCount())
        return {};
    return appendToList(grid, listDelimiter, [&](ListAppender& appender) {
        if (cut.fixedWidth)
            appendFixedWidth(appender, text, first, cut.mask, progress);
        else
            appendDelimited(appender, text, first, cut, progress);
    });
}

ImportResult importTable(StringGrid& grid, const QString& fileName, int startRow, const ImportProgress& progress,
                         const QString& listDelimiter)
{
    TDbf table;
    table.setTableName(fileName);
    table.setReadOnly(true);
    try {
        table.Open();
    } catch (const EDbfError& failure) {
        return {false, failure.message(), 0, 0};
    }
    if (table.RecordCount() == 0)
        return {};
    return appendToList(grid, listDelimiter, [&](ListAppender& appender) {
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
