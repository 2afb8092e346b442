// TTreeList as a widget: nodes cut into columns with their data, whole-row read-only selection, the header
// following the tree, and the column lines as painted.

#include "controls/tree_list.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>

namespace {

TEST(TreeList, NodesCarryTheirColumnsAndData)
{
    TTreeList tree;
    tree.setColumns({{"Name", 80}, {"Address", 120}});
    QTreeWidgetItem* node = tree.addNode(QStringLiteral("Ann;ann@example.com;extra"), 42);
    EXPECT_EQ(node->text(0), QStringLiteral("Ann"));
    EXPECT_EQ(node->text(1), QStringLiteral("ann@example.com;extra"));
    EXPECT_EQ(TTreeList::nodeData(node).toInt(), 42);
    EXPECT_EQ(tree.headerItem()->text(1), QStringLiteral("Address"));
    EXPECT_EQ(tree.columnWidth(0), 80);
    tree.setSeparator(QStringLiteral("@"));
    EXPECT_EQ(node->text(0), QStringLiteral("Ann;ann"));
    EXPECT_EQ(tree.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(tree.selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST(TreeList, HidingTheTreeHidesItsHeader)
{
    QWidget window;
    auto* tree = new TTreeList(&window);
    tree->setColumns({{"Mailing List Name / Address Book", 200}});
    window.show();
    EXPECT_TRUE(tree->header()->isVisible());
    tree->hide();
    EXPECT_FALSE(tree->header()->isVisible());
    tree->setGeometry(10, 20, 300, 200);
    tree->show();
    EXPECT_EQ(tree->header()->width(), tree->viewport()->width());
    EXPECT_LT(tree->header()->mapTo(&window, QPoint(0, 0)).y(), tree->viewport()->mapTo(&window, QPoint(0, 0)).y());
}

// The silver pixels of a rendered column-line position.
int silverPixels(TTreeList& tree, int x)
{
    QImage image(tree.viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    tree.viewport()->render(&image);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        count += image.pixelColor(x, y) == QColor(192, 192, 192);
    return count;
}

TEST(TreeList, ColumnLinesAreDrawnOnlyWhenOn)
{
    TTreeList tree;
    tree.resize(300, 200);
    tree.setColumns({{"A", 60}, {"B", 60}, {"C", 60}});
    tree.addNode(QStringLiteral("a;b;c"), 1);
    tree.show();
    ASSERT_EQ(tree.columnLineXs(), QList<int>({58, 118}));
    EXPECT_EQ(tree.cellMargin(), 4);
    EXPECT_GT(silverPixels(tree, 58), tree.viewport()->height() / 2);
    tree.setColumnLines(false);
    EXPECT_TRUE(tree.columnLineXs().isEmpty());
    EXPECT_EQ(tree.cellMargin(), 2);
    EXPECT_EQ(silverPixels(tree, 58), 0);
}

}  // namespace
