// Grids for the list-tool tests: a list from rows of cells (row 0 the titles) and its rows back, and a file
// that cannot be read.
#pragma once

#include "platform/string_grid.h"

#include <QStringList>

#include <ostream>
#include <vector>

namespace sorvanta::test {

// A file that exists and opens but whose reading fails (EIO), whatever rights the tests run with.
inline QString unreadableFilePath()
{
    return QStringLiteral("/proc/self/mem");
}

inline StringGrid gridOfRows(const std::vector<QStringList>& rows)
{
    int columns = 1;
    for (const QStringList& row : rows)
        columns = std::max(columns, int(row.size()));
    StringGrid grid(columns, int(rows.size()));
    for (std::size_t row = 0; row < rows.size(); ++row)
        grid.setRowCells(int(row), rows[row]);
    return grid;
}

inline std::vector<QStringList> rowsOfGrid(const StringGrid& grid, int firstRow = 0)
{
    std::vector<QStringList> rows;
    for (int row = firstRow; row < grid.rowCount(); ++row)
        rows.push_back(grid.rowCells(row));
    return rows;
}

}  // namespace sorvanta::test

// Cells print as their text in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
