// The insert-table dialog's text: the defaults byte for byte, rows by columns, optional colour parts and the
// cell width below 1.

#include "core/editor/table_text.h"

#include <gtest/gtest.h>

namespace {

const QString kCell = "<TD width=10 style=\"{border-left-width: 0; border-top-width: 0; border-bottom-color: black; "
                      "border-right-color: black;}\"></TD>";

TEST(TableTextTest, DefaultsGiveOneCellExactly)
{
    EXPECT_EQ(TableText(TableParameters()),
              "<TABLE border=1 width=10 color=#000000  cellspacing=0 cellpadding=0 style=\"{border-bottom-width: 0; "
              "border-right-width: 0; }\" ><TR>" + kCell + "</TR></Table>");
}

TEST(TableTextTest, TwoRowsOfThreeCells)
{
    TableParameters table;
    table.rows = 2;
    table.columns = 3;
    const QString text = TableText(table);
    EXPECT_EQ(text.count("<TABLE "), 1);
    EXPECT_TRUE(text.endsWith("><TR>" + kCell.repeated(3) + "</TR><TR>" + kCell.repeated(3) + "</TR></Table>"));
}

struct ColourCase {
    const char* name;
    QString line, light, dark;
    QString expectedStyle;   // between "style=\"{" and "}\""
    bool lineColour;
};

class TableColourTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(TableColourTest, ColourPartsNeedALeadingHash)
{
    TableParameters table;
    table.lineColour = GetParam().line;
    table.lightColour = GetParam().light;
    table.darkColour = GetParam().dark;
    const QString text = TableText(table);
    EXPECT_TRUE(text.contains("style=\"{border-bottom-width: 0; border-right-width: 0; " + GetParam().expectedStyle + "}\" >"))
        << text.toStdString();
    EXPECT_EQ(text.contains("color=" + GetParam().line + " "), GetParam().lineColour);
}

INSTANTIATE_TEST_SUITE_P(Colours, TableColourTest, ::testing::Values(
    ColourCase{"light_without_hash", "#000000", "FFFFFF", "#808080", "border-left-color:#808080; ", true},
    ColourCase{"both_borders", "#000000", "#FFFFFF", "#808080", "border-top-color:#FFFFFF; border-left-color:#808080; ", true},
    ColourCase{"line_without_hash", "red", "", "", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableTextTest, WidthBelowOneGivesCellsOfTwoAndCountsBelowOneGiveOne)
{
    TableParameters table;
    table.width = 0;
    table.rows = 0;
    table.columns = -3;
    table.border = -1;
    const QString text = TableText(table);
    EXPECT_TRUE(text.startsWith("<TABLE width=0 color=#000000  cellspacing=0"));
    EXPECT_EQ(text.count("<TD width=2 "), 1);
    EXPECT_EQ(text.count("<TR>"), 1);
}

}  // namespace
