// StringGrid: the class library's string grid as a compact cell store, without widgets. Row 0 is the title
// row. Each row keeps its cells as one UTF-8 run (cell lengths, then the bytes) inside large shared blocks,
// so a list of 1,000,000 rows costs little more than its text; rows hold an integer status, and cells an
// optional object (a QVariant, kept apart so that rows without objects pay nothing). Cell texts are decoded
// on every read. Views follow the grid through StringGridObserver (see string_grid_model.h).
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class StringGrid;

// Told before and after every change of a grid, so that a model can bracket it as Qt requires. Inside
// StringGrid::bulkChange only the reset pair is told.
class StringGridObserver {
public:
    virtual ~StringGridObserver() = default;
    virtual void gridAboutToReset() = 0;
    virtual void gridReset() = 0;
    virtual void rowsAboutToInsert(int first, int last) = 0;
    virtual void rowsInserted() = 0;
    virtual void rowsAboutToRemove(int first, int last) = 0;
    virtual void rowsRemoved() = 0;
    virtual void rowAboutToMove(int from, int to) = 0;
    virtual void rowMoved() = 0;
    virtual void columnsAboutToChange(int oldCount, int newCount) = 0;
    virtual void columnsChanged(int oldCount, int newCount) = 0;
    virtual void cellsChanged(int firstColumn, int firstRow, int lastColumn, int lastRow) = 0;
    virtual void gridDestroyed() = 0;
};

class StringGrid {
public:
    StringGrid();                                   // 1 column, 2 rows (an empty list), 1 fixed row
    StringGrid(int columnCount, int rowCount);
    // Copies cells, objects, statuses and the fixed counts; observers stay with their grid.
    StringGrid(const StringGrid& other);
    StringGrid& operator=(const StringGrid& other);
    ~StringGrid();

    // RowCount / ColCount: growing adds empty cells, shrinking drops cells, objects and statuses.
    int rowCount() const { return int(m_rows.size()); }
    void setRowCount(int count);
    int columnCount() const { return m_columnCount; }
    void setColumnCount(int count);
    int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int count);
    int fixedColumns() const { return m_fixedColumns; }
    void setFixedColumns(int count);

    // Cells[column, row]; a cell outside the grid reads empty, and writing one is a caller's fault.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);
    // Rows[row] as a list of columnCount() texts; setting takes at most columnCount() texts.
    QStringList rowCells(int row) const;
    void setRowCells(int row, const QStringList& cells);
    // The cell's UTF-8 bytes, and a row's cells (up to columnCount(), trailing empty cells left out) as
    // UTF-8 bytes; the views are valid until the grid next changes.
    QByteArrayView cellUtf8(int column, int row) const;
    void rowUtf8(int row, std::vector<QByteArrayView>& cells) const;

    // Objects[column, row].
    QVariant object(int column, int row) const;
    void setObject(int column, int row, const QVariant& object);
    // The row's status (0 unless set), for grids that keep one per row.
    int rowStatus(int row) const;
    void setRowStatus(int row, int status);

    void insertRows(int at, int count = 1);
    void removeRows(int at, int count = 1);
    // Removes every row r with remove[r] set (rows beyond remove's size stay), keeping the order of the others;
    // one pass however many rows go, and observers are told one reset.
    void removeMarkedRows(const std::vector<bool>& remove);
    // The row with its cells, objects and status goes to index to; the rows between shift by one.
    void moveRow(int from, int to);
    // Every cell, object and status emptied; the counts stay.
    void clear();

    // Appends one row of UTF-8 cells, widening the grid when the row has more cells than columns. For bulk
    // loads (inside bulkChange) this is the path without a heap allocation per cell.
    void appendRowUtf8(std::span<const QByteArrayView> cells);
    // Runs change with observers told only "about to reset" before and "reset" after. Views may paint in
    // between (when change processes events); they then see the grid as it stands, safely.
    void bulkChange(const std::function<void()>& change);

    void addObserver(StringGridObserver* observer);
    void removeObserver(StringGridObserver* observer);

private:
    struct Row {
        std::uint32_t block = 0;
        std::uint32_t offset = 0;
        std::uint32_t size = 0;      // 0: every cell empty
        std::int32_t status = 0;
        std::uint32_t objects = 0;   // 1 + index into m_objectRows, 0 when the row has no objects
    };
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::uint32_t capacity = 0;
        std::uint32_t used = 0;
    };

    QByteArrayView rowBytes(const Row& row) const;
    void storeRow(Row& row, std::span<const QByteArrayView> cells);
    char* reserve(std::uint32_t size, std::uint32_t& block, std::uint32_t& offset);
    void releaseRow(Row& row);
    void compactIfWasteful();
    void relocateRows(const std::vector<Block>& source);
    void truncateCells(int count);
    void releaseObjects(Row& row);

    template <typename Notify>
    void notify(Notify&& call) const;        // unless inside bulkChange
    template <typename Notify>
    void notifyAlways(Notify&& call) const;
    bool quiet() const { return m_bulkDepth > 0; }

    std::vector<Row> m_rows;
    std::vector<Block> m_blocks;
    std::vector<std::vector<QVariant>> m_objectRows;
    std::vector<std::uint32_t> m_freeObjectRows;
    std::uint64_t m_wastedBytes = 0;
    std::uint64_t m_liveBytes = 0;
    int m_columnCount = 0;
    int m_fixedRows = 1;
    int m_fixedColumns = 0;
    int m_bulkDepth = 0;
    std::vector<StringGridObserver*> m_observers;
};
