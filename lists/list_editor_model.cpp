// The list editor's working copy: see list_editor_model.h.

#include "lists/list_editor_model.h"

#include "core/project/list_file.h"
#include "platform/string_list.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

std::optional<QByteArray> readWholeFile(const QString& fileName, QString& error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

ListEditorModel::ListEditorModel(const QString& listFileName, const QString& delimiter)
    : m_listFileName(listFileName)
    , m_delimiter(delimiter)
{
}

void ListEditorModel::copyIn(const StringGrid& caller)
{
    m_grid = caller;
    if (m_grid.rowCount() < 2)
        m_grid.setRowCount(2);
    title(std::max(caller.columnCount(), 1));
    m_modified = false;   // the first titling is not an edit
}

void ListEditorModel::copyBack(StringGrid& caller)
{
    const QStringList titles = caller.rowCells(0);   // the caller's row 0 is its own
    caller = m_grid;
    caller.setRowCells(0, titles);
    m_changed = true;
}

bool ListEditorModel::save(StringGrid& caller)
{
    if (!m_modified)
        return false;
    copyBack(caller);
    m_modified = false;
    return true;
}

bool ListEditorModel::close(StringGrid& caller)
{
    if (m_modified)
        copyBack(caller);
    return m_changed;
}

void ListEditorModel::title(int count)
{
    m_columnSetting = std::max(count, 1);
    m_grid.setColumnCount(m_columnSetting);
    QStringList titles;   // row 0 set whole: cell by cell would re-encode the row once per column
    titles.reserve(m_columnSetting);
    for (int column = 0; column < m_columnSetting; ++column)
        titles.append(QStringLiteral("Column ") + QString::number(column + 1));
    m_grid.setRowCells(0, titles);
}

void ListEditorModel::setColumnCount(int count)
{
    title(count);
    m_modified = true;
}

int ListEditorModel::columnsHoldingData() const
{
    int columns = 0;
    std::vector<QByteArrayView> cells;
    for (int row = 1; row < m_grid.rowCount() && columns < m_grid.columnCount(); ++row) {
        m_grid.rowUtf8(row, cells);
        for (int column = int(cells.size()); column > columns; --column) {
            if (!cells[std::size_t(column) - 1].isEmpty()) {
                columns = column;
                break;
            }
        }
    }
    return columns;
}

void ListEditorModel::newList()
{
    m_grid.bulkChange([&] {
        m_grid.setRowCount(2);
        m_grid.setColumnCount(m_columnSetting);
        m_grid.clear();
    });
    m_modified = true;
}

ListFileOutcome ListEditorModel::open(const QString& fileName, const ReadProgress& progress)
{
    ListFileOutcome outcome;
    if (!QFileInfo(fileName).isFile()) {
        newList();
    } else {
        std::optional<QByteArray> bytes = readWholeFile(fileName, outcome.error);
        if (!bytes)
            return {false, outcome.error, false};
        m_grid.bulkChange([&] {
            m_grid.setRowCount(1);
            m_grid.setColumnCount(1);
            m_grid.clear();
            const ReadProgress watched = [&](int linesRead) {
                const bool goOn = !progress || progress(linesRead);
                outcome.stopped = outcome.stopped || !goOn;
                return goOn;
            };
            appendDelimitedFileBytes(m_grid, *bytes, m_delimiter, watched);
            bytes.reset();
            if (m_grid.rowCount() < 2)
                m_grid.setRowCount(2);
            title(m_grid.columnCount());   // the widest line's fields, so none is lost
        });
    }
    m_modified = fileName != m_listFileName;
    return outcome;
}

ListFileOutcome ListEditorModel::saveAs(const QString& fileName) const
{
    ListFileOutcome outcome;
    outcome.ok = SaveListFile(m_grid, fileName, m_delimiter, &outcome.error, &outcome.cellsChanged);
    return outcome;
}

int ListEditorModel::addRecord()
{
    m_grid.setRowCount(m_grid.rowCount() + 1);
    m_modified = true;
    return m_grid.rowCount() - 1;
}

void ListEditorModel::deleteRecord(int row)
{
    if (m_grid.rowCount() <= 2)
        m_grid.setRowCells(1, QStringList(m_grid.columnCount(), QString()));
    else if (row >= 1 && row < m_grid.rowCount())
        m_grid.removeRows(row);
    m_modified = true;
}

int ListEditorModel::takeExtractedLines(const QStringList& lines, int columnCount)
{
    int cellsChanged = 0;
    if (columnCount > m_grid.columnCount())
        title(columnCount);
    bool fillFirstRow = isEmptyList(m_grid);
    StringList items;
    for (const QString& line : lines) {
        items.setCommaText(line);
        int row = 1;
        if (!fillFirstRow)
            row = addRecord();
        fillFirstRow = false;
        if (items.count() > m_grid.columnCount())
            title(items.count());
        QStringList cells;
        for (int i = 0; i < items.count(); ++i) {
            cells.append(items[i]);
            cellsChanged += flattenListCell(cells.back(), m_delimiter);
        }
        m_grid.setRowCells(row, cells);
    }
    m_modified = true;
    return cellsChanged;
}
