// The string grid in Qt's views: row 0 as the header, editing rules, the model following every grid change
// (checked through persistent indexes), and the view's Row, Col, Selection and TopRow in grid coordinates.

#include "platform/widgets/string_grid_view.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPersistentModelIndex>

#include <memory>
#include <string>
#include <vector>

namespace {

// Row 0 titles, rows 1.. "r<row>c<column>".
std::unique_ptr<StringGrid> numberedGrid(int columns, int rows)
{
    auto grid = std::make_unique<StringGrid>(columns, rows);
    for (int column = 0; column < columns; ++column)
        grid->setCell(column, 0, QString("Column#%1").arg(column + 1));
    for (int row = 1; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            grid->setCell(column, row, QString("r%1c%2").arg(row).arg(column));
    return grid;
}

TEST(StringGridModelTest, TitleRowIsTheHeaderAndRecordsAreRows)
{
    auto grid = numberedGrid(3, 4);
    grid->setRowStatus(2, 3);
    grid->setObject(1, 2, 42);
    StringGridModel model(grid.get());
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Column#2");
    EXPECT_EQ(model.data(model.index(0, 2)).toString(), "r1c2");
    EXPECT_EQ(model.data(model.index(1, 0), StringGridModel::RowStatusRole).toInt(), 3);
    EXPECT_EQ(model.data(model.index(1, 1), StringGridModel::ObjectRole).toInt(), 42);
    grid->setFixedRows(0);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "Column#1");
}

TEST(StringGridModelTest, OnlyCellsOutsideFixedColumnsAreEditableWhenEditing)
{
    auto grid = numberedGrid(2, 3);
    grid->setFixedColumns(1);
    StringGridModel model(grid.get());
    EXPECT_FALSE(model.setData(model.index(0, 1), "x"));
    model.setEditable(true);
    std::vector<std::string> edits;
    QObject::connect(&model, &StringGridModel::cellEdited, [&](int column, int row, const QString& text) {
        edits.push_back(std::to_string(column) + "," + std::to_string(row) + "=" + text.toStdString());
    });
    EXPECT_FALSE(model.setData(model.index(0, 0), "fixed"));
    EXPECT_TRUE(model.setData(model.index(1, 1), "new"));
    EXPECT_EQ(grid->cell(1, 2), "new");
    EXPECT_EQ(edits, std::vector<std::string>{"1,2=new"});
}

TEST(StringGridModelTest, FollowsRowAndColumnChanges)
{
    auto grid = numberedGrid(2, 6);
    StringGridModel model(grid.get());
    const QPersistentModelIndex first = model.index(0, 1);    // grid row 1
    const QPersistentModelIndex fourth = model.index(3, 0);   // grid row 4
    grid->moveRow(1, 3);
    EXPECT_EQ(first.row(), 2);
    EXPECT_EQ(first.data().toString(), "r1c1");
    grid->moveRow(3, 1);
    EXPECT_EQ(first.row(), 0);
    grid->insertRows(2, 2);
    EXPECT_EQ(fourth.row(), 5);
    EXPECT_EQ(model.rowCount(), 7);
    grid->removeRows(1, 1);
    EXPECT_FALSE(first.isValid());
    EXPECT_EQ(fourth.data().toString(), "r4c0");
    grid->setColumnCount(1);
    EXPECT_EQ(model.columnCount(), 1);
    grid->setColumnCount(3);
    EXPECT_EQ(model.data(model.index(fourth.row(), 2)).toString(), "");

    std::vector<int> headerChanges;
    QObject::connect(&model, &QAbstractItemModel::headerDataChanged,
                     [&](Qt::Orientation, int firstSection, int) { headerChanges.push_back(firstSection); });
    grid->setCell(2, 0, "Column#3");
    EXPECT_EQ(headerChanges, std::vector<int>{2});
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "Column#3");

    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    grid->insertRows(0);   // above the titles: the header itself changes
    grid->bulkChange([&] { grid->setRowCount(100); });
    EXPECT_EQ(resets, 2);
    EXPECT_EQ(model.rowCount(), 99);
}

TEST(StringGridModelTest, GridDestroyedFirstLeavesAnEmptyModel)
{
    auto grid = numberedGrid(2, 3);
    StringGridModel model(grid.get());
    grid.reset();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
}

class StringGridViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid = numberedGrid(4, 1001);
        view.setGrid(grid.get());
        view.resize(400, 300);
        view.show();
    }
    std::unique_ptr<StringGrid> grid;
    StringGridView view;
};

TEST_F(StringGridViewTest, CurrentCellAndSelectionInGridCoordinates)
{
    std::vector<std::pair<int, int>> selected;
    QObject::connect(&view, &StringGridView::cellSelected,
                     [&](int column, int row) { selected.emplace_back(column, row); });
    view.setCurrentCell(2, 5);
    EXPECT_EQ(view.currentRow(), 5);
    EXPECT_EQ(view.currentColumn(), 2);
    EXPECT_EQ(view.gridSelection(), (GridRect{2, 5, 2, 5}));
    EXPECT_EQ(selected, (std::vector<std::pair<int, int>>{{2, 5}}));

    view.setRangeSelect(true);
    view.setGridSelection({1, 10, 3, 12});
    EXPECT_EQ(view.gridSelection(), (GridRect{1, 10, 3, 12}));
    EXPECT_EQ(view.currentRow(), 10);

    view.setRowSelect(true);
    view.setGridSelection({1, 7, 1, 8});
    EXPECT_EQ(view.gridSelection(), (GridRect{0, 7, 3, 8}));
}

TEST_F(StringGridViewTest, TopRowScrollsAndFollowsTheGrid)
{
    EXPECT_EQ(view.topRow(), 1);
    view.setTopRow(500);
    EXPECT_EQ(view.topRow(), 500);
    grid->setRowCount(1);
    EXPECT_EQ(view.topRow(), -1);
}

TEST_F(StringGridViewTest, ShowsAnotherGridOrNone)
{
    view.setEditing(true);
    auto other = numberedGrid(2, 3);
    view.setGrid(other.get());
    EXPECT_EQ(view.grid(), other.get());
    EXPECT_EQ(view.gridModel()->rowCount(), 2);
    EXPECT_TRUE(view.gridModel()->isEditable());
    view.setCurrentCell(1, 2);
    EXPECT_EQ(view.currentRow(), 2);
    view.setGrid(nullptr);
    EXPECT_EQ(view.grid(), nullptr);
    EXPECT_EQ(view.currentRow(), -1);
    EXPECT_EQ(view.topRow(), -1);
    EXPECT_EQ(view.gridSelection(), GridRect{});
}

// A loader that processes events inside bulkChange lets the view paint a grid that has just shrunk.
TEST_F(StringGridViewTest, PaintingInsideABulkChangeIsSafe)
{
    view.setTopRow(900);
    grid->bulkChange([&] {
        grid->setRowCount(3);
        grid->setColumnCount(1);
        view.viewport()->repaint();
        QCoreApplication::processEvents();
    });
    EXPECT_EQ(view.gridModel()->rowCount(), 2);
    EXPECT_EQ(view.topRow(), 1);
}

TEST_F(StringGridViewTest, EditingOpensOnlyWhenOnAndReportsBothEnds)
{
    std::vector<std::string> events;
    QObject::connect(&view, &StringGridView::editStarted, [&](int column, int row) {
        events.push_back("start " + std::to_string(column) + "," + std::to_string(row));
    });
    QObject::connect(&view, &StringGridView::cellEdited, [&](int column, int row, const QString& text) {
        events.push_back("edited " + std::to_string(column) + "," + std::to_string(row) + "=" + text.toStdString());
    });
    const QModelIndex index = view.gridModel()->index(2, 1);   // grid row 3
    view.edit(index);
    EXPECT_TRUE(events.empty());
    view.setEditing(true);
    view.edit(index);
    auto* editor = view.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("typed");
    QMetaObject::invokeMethod(&view, "commitData", Q_ARG(QWidget*, editor));
    EXPECT_EQ(grid->cell(1, 3), "typed");
    EXPECT_EQ(events, (std::vector<std::string>{"start 1,3", "edited 1,3=typed"}));
}

}  // namespace
