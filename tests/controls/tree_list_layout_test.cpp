// The tree list's geometry: node texts cut into column parts, and where the column lines go.

#include "controls/tree_list_layout.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* name;
    const char* text;
    const char* separator;
    int columns;
    QStringList parts;
};

class ColumnPartsTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ColumnPartsTest, CutsAtTheSeparator)
{
    const SplitCase& c = GetParam();
    EXPECT_EQ(splitColumnParts(QString::fromUtf8(c.text), QString::fromUtf8(c.separator), c.columns), c.parts);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, ColumnPartsTest,
    ::testing::Values(SplitCase{"exact", "a;b;c", ";", 3, {"a", "b", "c"}},
                      SplitCase{"fewer_parts", "a", ";", 3, {"a", "", ""}},
                      SplitCase{"more_parts_rest_in_last", "a;b;c;d", ";", 2, {"a", "b;c;d"}},
                      SplitCase{"one_column_whole_text", "a;b", ";", 1, {"a;b"}},
                      SplitCase{"long_separator", "a::b:c::d", "::", 3, {"a", "b:c", "d"}},
                      SplitCase{"empty_parts", ";;x", ";", 3, {"", "", "x"}},
                      SplitCase{"empty_separator", "a;b", "", 2, {"a;b", ""}},
                      SplitCase{"empty_text", "", ";", 2, {"", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColumnLines, AfterEveryColumnButTheLast)
{
    EXPECT_EQ(columnLinePositions({50, 30, 20}, 0), QList<int>({48, 78}));
    EXPECT_EQ(columnLinePositions({50, 30, 20}, 10), QList<int>({38, 68}));
    EXPECT_TRUE(columnLinePositions({100}, 0).isEmpty());
    EXPECT_TRUE(columnLinePositions({}, 0).isEmpty());
}

}  // namespace
