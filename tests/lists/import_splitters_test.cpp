// The import wizard's line splitters: the delimiter characters the bits choose, and fixed-width lines by a
// break mask.

#include "lists/import_splitters.h"

#include <gtest/gtest.h>

namespace {

TEST(DelimiterCharactersTest, BitsChooseTheCharactersAndOtherOnlyWhenSet)
{
    EXPECT_EQ(delimiterCharacters(DelimiterSemicolon | DelimiterTab, u'|'), ";\t");
    EXPECT_EQ(delimiterCharacters(DelimiterComma | DelimiterSpace | DelimiterOther, u'|'), ", |");
    EXPECT_EQ(delimiterCharacters(DelimiterOther, QChar()), "");
    EXPECT_EQ(delimiterCharacters(DelimiterConsecutiveAsOne, u'|'), "");
}

struct MaskCase {
    const char* name;
    QString line;
    QString mask;
    QStringList fields;
};

class FixedWidthSplitTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(FixedWidthSplitTest, CutsAfterEveryMarkedColumn)
{
    EXPECT_EQ(splitFixedWidthLine(GetParam().line, GetParam().mask), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FixedWidthSplitTest,
    ::testing::Values(
        MaskCase{"breaks_after_3_and_6", "abcdefgh", "  1  1  ", {"abc", "def", "gh"}},
        MaskCase{"break_at_the_end", "abcdefgh", "  1    1", {"abc", "defgh"}},
        MaskCase{"blanks_kept", "ab  cd  ", " 1   1  ", {"ab", "  cd", "  "}},
        MaskCase{"line_shorter_than_mask", "abcd", "  1  1  ", {"abc", "d", ""}},
        MaskCase{"empty_line", "", "  1  ", {"", ""}},
        MaskCase{"no_breaks", "abcdefgh", "        ", {"abcdefgh"}},
        MaskCase{"text_beyond_the_mask_dropped", "abcdefgh", " 1  ", {"ab", "cd"}},
        MaskCase{"empty_mask", "abc", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BreakMaskTest, FittingKeepsEarlierBreaksAndToggleSwitchesOneColumn)
{
    EXPECT_EQ(fitBreakMask("  1  1", 4), "  1 ");
    EXPECT_EQ(fitBreakMask("1", 3), "1  ");
    EXPECT_EQ(fitBreakMask("", 0), "");
    EXPECT_EQ(toggleBreak("    ", 2), "  1 ");
    EXPECT_EQ(toggleBreak("  1 ", 2), "    ");
    EXPECT_EQ(toggleBreak("  1 ", 4), "  1 ");
    EXPECT_EQ(toggleBreak("  1 ", -1), "  1 ");
}

}  // namespace
