// StringGrid cell store: counts as the class library's grid sets them, cells, objects and statuses that
// travel with their rows, deep copies, space reuse under rewrites, and what observers are told.

#include "platform/string_grid.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

StringGrid gridOf(const std::vector<QStringList>& rows)
{
    StringGrid grid(0, 0);
    for (const QStringList& row : rows) {
        std::vector<QByteArray> utf8;
        for (const QString& cell : row)
            utf8.push_back(cell.toUtf8());
        const std::vector<QByteArrayView> views(utf8.begin(), utf8.end());
        grid.appendRowUtf8(views);
    }
    return grid;
}

std::vector<QStringList> rowsOf(const StringGrid& grid)
{
    std::vector<QStringList> rows;
    for (int row = 0; row < grid.rowCount(); ++row)
        rows.push_back(grid.rowCells(row));
    return rows;
}

TEST(StringGridTest, StartsAsAnEmptyList)
{
    const StringGrid grid;
    EXPECT_EQ(grid.columnCount(), 1);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.fixedRows(), 1);
    EXPECT_EQ(grid.fixedColumns(), 0);
    EXPECT_EQ(grid.cell(0, 1), "");
}

TEST(StringGridTest, CellsKeepAnyTextAndReadEmptyOutsideTheGrid)
{
    StringGrid grid(3, 2);
    grid.setCell(2, 1, QString::fromUtf8("grüße €"));
    grid.setCell(0, 1, QString(300, 'x'));   // a length that needs two bytes in the row
    grid.setCell(1, 1, "b");
    grid.setCell(0, 1, "a");                   // shorter text in the same place
    EXPECT_EQ(grid.rowCells(1), (QStringList{"a", "b", QString::fromUtf8("grüße €")}));
    grid.setCell(2, 1, "");
    EXPECT_EQ(grid.rowCells(1), (QStringList{"a", "b", ""}));
    EXPECT_EQ(grid.rowCells(0), (QStringList{"", "", ""}));
    EXPECT_EQ(grid.cell(3, 1), "");
    EXPECT_EQ(grid.cell(0, 2), "");
    EXPECT_EQ(grid.cell(-1, 0), "");
    EXPECT_EQ(grid.rowStatus(2), 0);
    EXPECT_FALSE(grid.object(0, 2).isValid());
}

TEST(StringGridTest, ShrinkingDropsCellsAndGrowingAddsEmptyOnes)
{
    StringGrid grid = gridOf({{"t1", "t2", "t3"}, {"a", "b", "c"}, {"d", "e", "f"}});
    grid.setObject(2, 1, 5);
    grid.setRowStatus(2, 3);
    grid.setColumnCount(2);
    grid.setRowCount(2);
    grid.setColumnCount(4);
    grid.setRowCount(3);
    EXPECT_EQ(rowsOf(grid), (std::vector<QStringList>{{"t1", "t2", "", ""}, {"a", "b", "", ""}, {"", "", "", ""}}));
    EXPECT_FALSE(grid.object(2, 1).isValid());
    EXPECT_EQ(grid.rowStatus(2), 0);
}

TEST(StringGridTest, SettingARowTakesAtMostColumnCountCells)
{
    StringGrid grid(2, 2);
    grid.setRowCells(1, {"a", "b", "c"});
    EXPECT_EQ(grid.rowCells(1), (QStringList{"a", "b"}));
    grid.setColumnCount(3);
    EXPECT_EQ(grid.cell(2, 1), "");
}

TEST(StringGridTest, AppendingAWiderRowWidensTheGrid)
{
    StringGrid grid = gridOf({{"a"}, {"b", "", "c", ""}});
    EXPECT_EQ(grid.columnCount(), 4);
    EXPECT_EQ(rowsOf(grid), (std::vector<QStringList>{{"a", "", "", ""}, {"b", "", "c", ""}}));
}

TEST(StringGridTest, ObjectsAndStatusesTravelWithTheirRows)
{
    StringGrid grid = gridOf({{"title"}, {"r1"}, {"r2"}, {"r3"}});
    grid.setObject(0, 1, QString("one"));
    grid.setRowStatus(3, 2);
    grid.insertRows(1, 2);
    EXPECT_EQ(grid.rowCount(), 6);
    EXPECT_EQ(grid.cell(0, 3), "r1");
    EXPECT_EQ(grid.object(0, 3), QVariant("one"));
    EXPECT_EQ(grid.rowStatus(5), 2);
    grid.removeRows(1, 2);
    grid.moveRow(1, 3);
    EXPECT_EQ(grid.rowCells(3), QStringList{"r1"});
    EXPECT_EQ(grid.object(0, 3), QVariant("one"));
    EXPECT_EQ(grid.rowStatus(2), 2);
    grid.moveRow(3, 1);
    EXPECT_EQ(rowsOf(grid), (std::vector<QStringList>{{"title"}, {"r1"}, {"r2"}, {"r3"}}));
    grid.removeRows(1);
    grid.setObject(0, 2, 9);   // reuses the freed object slot
    EXPECT_EQ(grid.object(0, 2), QVariant(9));
    EXPECT_FALSE(grid.object(0, 1).isValid());
}

TEST(StringGridTest, RemoveMarkedRowsKeepsTheOthersInOrderWithTheirStatuses)
{
    StringGrid grid = gridOf({{"title"}, {"r1"}, {"r2"}, {"r3"}, {"r4"}});
    grid.setRowStatus(3, 2);
    grid.setObject(0, 4, 7);
    grid.removeMarkedRows({false, true, false});   // rows past the marks stay
    EXPECT_EQ(rowsOf(grid), (std::vector<QStringList>{{"title"}, {"r2"}, {"r3"}, {"r4"}}));
    EXPECT_EQ(grid.rowStatus(2), 2);
    EXPECT_EQ(grid.object(0, 3), QVariant(7));
    grid.removeMarkedRows({false, true, true, true});
    EXPECT_EQ(rowsOf(grid), (std::vector<QStringList>{{"title"}}));
}

TEST(StringGridTest, ClearEmptiesEverythingButKeepsTheCounts)
{
    StringGrid grid = gridOf({{"a", "b"}, {"c"}});
    grid.setObject(1, 0, 1);
    grid.setRowStatus(1, 1);
    grid.clear();
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.columnCount(), 2);
    EXPECT_EQ(rowsOf(grid), (std::vector<QStringList>{{"", ""}, {"", ""}}));
    EXPECT_FALSE(grid.object(1, 0).isValid());
    EXPECT_EQ(grid.rowStatus(1), 0);
    grid.setCell(1, 1, "again");
    EXPECT_EQ(grid.cell(1, 1), "again");
}

TEST(StringGridTest, CopiesAreIndependent)
{
    StringGrid original = gridOf({{"a", "b"}, {"c", "d"}});
    original.setObject(0, 1, 7);
    StringGrid copy = original;
    copy.setCell(0, 1, "changed");
    copy.setObject(0, 1, 8);
    EXPECT_EQ(original.cell(0, 1), "c");
    EXPECT_EQ(original.object(0, 1), QVariant(7));
    original = copy;
    EXPECT_EQ(original.cell(0, 1), "changed");
    EXPECT_EQ(original.object(0, 1), QVariant(8));
}

// Enough growing rewrites to pass the compaction threshold several times; every cell must survive.
TEST(StringGridTest, RewritesReclaimTheirSpaceWithoutLosingCells)
{
    StringGrid grid(2, 2000);
    for (int row = 0; row < grid.rowCount(); ++row)
        grid.setCell(1, row, QString::number(row));
    for (int round = 1; round <= 60; ++round)
        for (int row = 0; row < grid.rowCount(); ++row)
            grid.setCell(0, row, QString(round * 5, QChar('a' + round % 26)));
    for (int row = 0; row < grid.rowCount(); row += 97) {
        EXPECT_EQ(grid.cell(0, row), QString(300, QChar('a' + 60 % 26)));
        EXPECT_EQ(grid.cell(1, row), QString::number(row));
    }
}

class RecordingObserver : public StringGridObserver {
public:
    std::vector<std::string> calls;
    void gridAboutToReset() override { calls.push_back("aboutToReset"); }
    void gridReset() override { calls.push_back("reset"); }
    void rowsAboutToInsert(int first, int last) override { record("aboutToInsert", first, last); }
    void rowsInserted() override { calls.push_back("inserted"); }
    void rowsAboutToRemove(int first, int last) override { record("aboutToRemove", first, last); }
    void rowsRemoved() override { calls.push_back("removed"); }
    void rowAboutToMove(int from, int to) override { record("aboutToMove", from, to); }
    void rowMoved() override { calls.push_back("moved"); }
    void columnsAboutToChange(int oldCount, int newCount) override { record("aboutToColumns", oldCount, newCount); }
    void columnsChanged(int, int) override { calls.push_back("columns"); }
    void cellsChanged(int firstColumn, int firstRow, int lastColumn, int lastRow) override
    {
        calls.push_back("cells " + std::to_string(firstColumn) + "," + std::to_string(firstRow) + " " +
                        std::to_string(lastColumn) + "," + std::to_string(lastRow));
    }
    void gridDestroyed() override { calls.push_back("destroyed"); }

private:
    void record(const char* what, int a, int b)
    {
        calls.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b));
    }
};

TEST(StringGridTest, ObserversAreToldBeforeAndAfterEveryChange)
{
    RecordingObserver observer;
    {
        StringGrid grid(2, 2);
        grid.addObserver(&observer);
        grid.setCell(1, 1, "x");
        grid.setRowCount(4);
        grid.moveRow(3, 1);
        grid.removeRows(1, 2);
        grid.setColumnCount(1);
        grid.bulkChange([&] {
            grid.setCell(0, 0, "quiet");
            grid.insertRows(0);
        });
        grid.setRowCount(3);   // unchanged: nothing told
    }
    EXPECT_EQ(observer.calls, (std::vector<std::string>{"cells 1,1 1,1", "aboutToInsert 2 3", "inserted",
                                                        "aboutToMove 3 1", "moved", "aboutToRemove 1 2", "removed",
                                                        "aboutToColumns 2 1", "columns", "aboutToReset", "reset",
                                                        "destroyed"}));
}

TEST(StringGridTest, ObserversHearTheResetEvenWhenABulkChangeThrows)
{
    RecordingObserver observer;
    StringGrid grid(1, 2);
    grid.addObserver(&observer);
    EXPECT_THROW(grid.bulkChange([&] {
        grid.bulkChange([&] { grid.setRowCount(5); });
        throw std::runtime_error("stop");
    }),
                 std::runtime_error);
    grid.removeObserver(&observer);
    EXPECT_EQ(observer.calls, (std::vector<std::string>{"aboutToReset", "reset"}));
    EXPECT_EQ(grid.rowCount(), 5);
}

}  // namespace
