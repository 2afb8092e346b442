// Remove duplicates: one table of lists and checked columns, with the rules that matter: any checked column
// repeating drops the row, case does not count, earlier columns' values stay seen, empty cells are values.

#include "lists/remove_duplicates.h"

#include "tests/lists/list_grids.h"

#include <gtest/gtest.h>

namespace {

using namespace sorvanta::test;

struct DuplicateCase {
    const char* name;
    std::vector<QStringList> records;   // below a title row
    std::vector<bool> checked;
    std::vector<QStringList> kept;
    int removed;
};

class RemoveDuplicatesTest : public ::testing::TestWithParam<DuplicateCase> {};

TEST_P(RemoveDuplicatesTest, KeepsTheFirstOfEachValue)
{
    const DuplicateCase& c = GetParam();
    std::vector<QStringList> rows{{"A", "B"}};
    rows.insert(rows.end(), c.records.begin(), c.records.end());
    StringGrid grid = gridOfRows(rows);
    grid.setColumnCount(2);
    const int removed = removeDuplicateRows(grid, c.checked);
    EXPECT_EQ(rowsOfGrid(grid, 0).front(), (QStringList{"A", "B"}));
    EXPECT_EQ(rowsOfGrid(grid, 1), c.kept);
    EXPECT_EQ(removed, c.removed);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RemoveDuplicatesTest,
    ::testing::Values(
        DuplicateCase{"case_does_not_count",
                      {{"a@x.org", "Ann"}, {"b@x.org", "Bob"}, {"A@X.ORG", "Al"}, {"B@x.Org", "Bo"}},
                      {true, false},
                      {{"a@x.org", "Ann"}, {"b@x.org", "Bob"}}, 2},
        DuplicateCase{"non_ascii_case_folds",
                      {{QString::fromUtf8("jürgen@x.de"), "1"}, {QString::fromUtf8("JÜRGEN@X.DE"), "2"}},
                      {true, false},
                      {{QString::fromUtf8("jürgen@x.de"), "1"}}, 1},
        DuplicateCase{"either_checked_column_repeats",
                      {{"a", "x"}, {"b", "y"}, {"a", "z"}, {"c", "y"}},
                      {true, true},
                      {{"a", "x"}, {"b", "y"}}, 2},
        DuplicateCase{"earlier_column_value_stays_seen",
                      {{"1", "x"}, {"2", "x"}, {"2", "y"}},
                      {true, true},
                      {{"1", "x"}}, 2},
        DuplicateCase{"empty_cells_are_values", {{"", "a"}, {"", "b"}}, {true, false}, {{"", "a"}}, 1},
        DuplicateCase{"all_repeat_the_first", {{"a", "1"}, {"A", "2"}, {"a", "3"}}, {true, false}, {{"a", "1"}}, 2},
        DuplicateCase{"only_blank_record_stays", {{"", ""}}, {true, true}, {{"", ""}}, 0},
        DuplicateCase{"nothing_checked_changes_nothing", {{"a", "1"}, {"a", "1"}}, {false, false},
                      {{"a", "1"}, {"a", "1"}}, 0},
        DuplicateCase{"second_column_only", {{"a", "1"}, {"b", "1"}, {"a", "2"}}, {false, true},
                      {{"a", "1"}, {"a", "2"}}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RemoveDuplicatesLargeTest, ManyRowsKeepTheirOrder)
{
    StringGrid grid(2, 50001);
    for (int row = 1; row <= 50000; ++row)
        grid.setCell(0, row, QString::number((row - 1) % 1000));
    int reported = 0;
    EXPECT_EQ(removeDuplicateRows(grid, {true, false}, [&](int rows) { reported = rows; }), 49000);
    ASSERT_EQ(grid.rowCount(), 1001);
    EXPECT_EQ(grid.cell(0, 1), "0");
    EXPECT_EQ(grid.cell(0, 1000), "999");
    EXPECT_EQ(reported, 1000);
}

}  // namespace
