// The import wizard's line splitters: delimited lines by a set of characters (no quotes, no trimming,
// consecutive delimiters as one on request) and fixed-width lines by a break mask.

#include "lists/import_splitters.h"

#include <gtest/gtest.h>

namespace {

struct DelimitedCase {
    const char* name;
    QString line;
    QString delimiters;
    bool consecutiveAsOne;
    QStringList fields;
};

class DelimitedSplitTest : public ::testing::TestWithParam<DelimitedCase> {};

TEST_P(DelimitedSplitTest, CutsAtEveryDelimiterCharacter)
{
    const DelimitedCase& c = GetParam();
    EXPECT_EQ(splitDelimitedLine(c.line, c.delimiters, c.consecutiveAsOne), c.fields);
    EXPECT_EQ(delimitedFieldCount(c.line, c.delimiters, c.consecutiveAsOne), c.fields.size());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DelimitedSplitTest,
    ::testing::Values(
        DelimitedCase{"repeated", "a;;b", ";", false, {"a", "", "b"}},
        DelimitedCase{"repeated_as_one", "a;;b", ";", true, {"a", "b"}},
        DelimitedCase{"mixed_run_as_one", "a;, ;b", ";, ", true, {"a", "b"}},
        DelimitedCase{"leading", ";a", ";", false, {"", "a"}},
        DelimitedCase{"leading_as_one", ";;a", ";", true, {"", "a"}},
        DelimitedCase{"trailing_adds_no_field", "a;b;", ";", false, {"a", "b"}},
        DelimitedCase{"two_trailing", "a;;", ";", false, {"a", ""}},
        DelimitedCase{"two_trailing_as_one", "a;;", ";", true, {"a"}},
        DelimitedCase{"only_a_delimiter", ";", ";", false, {""}},
        DelimitedCase{"several_characters", "a,b\tc;d e", ";,\t ", false, {"a", "b", "c", "d", "e"}},
        DelimitedCase{"blanks_kept", " a ; b ", ";", false, {" a ", " b "}},
        DelimitedCase{"quotes_as_they_stand", "\"x;y\";z", ";", false, {"\"x", "y\"", "z"}},
        DelimitedCase{"no_delimiter_chosen", "a;b", "", false, {"a;b"}},
        DelimitedCase{"empty_line", "", ";", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

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
