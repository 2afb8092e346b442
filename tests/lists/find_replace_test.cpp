// Find and replace: the case rule, the restart rule and where it must end, empty values, non-ASCII text,
// the column walk, and pair files read and written.

#include "lists/find_replace.h"

#include "platform/text_file.h"
#include "tests/lists/list_grids.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace {

using namespace sorvanta::test;

struct ReplaceCase {
    const char* name;
    QString cell;
    QString oldValue;
    QString newValue;
    bool caseSensitive;
    QString expected;
};

class ReplaceInCellTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceInCellTest, GivesTheExpectedCell)
{
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(replaceInCell(c.cell, {{c.oldValue, c.newValue}}, c.caseSensitive), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceInCellTest,
    ::testing::Values(ReplaceCase{"capitals_match_without_case", "smith, Smith", "SMITH", "Jones", false, "Jones, Jones"},
                      ReplaceCase{"case_sensitive_keeps_other_case", "smith, Smith", "Smith", "Jones", true, "smith, Jones"},
                      ReplaceCase{"case_only_pair_skipped", "Ann", "ann", "ANN", false, "Ann"},
                      ReplaceCase{"case_only_pair_applied_with_case", "ann", "ann", "ANN", true, "ANN"},
                      ReplaceCase{"restart_shrinks_to_one", "aaaa", "aa", "a", false, "a"},
                      ReplaceCase{"empty_old_never_matches", "abc", "", "x", false, "abc"},
                      ReplaceCase{"empty_new_deletes", "a-b-c", "-", "", false, "abc"},
                      ReplaceCase{"new_holds_old_replaced_once", "xax", "a", "aa", false, "xaax"},
                      ReplaceCase{"growth_without_old_in_new_ends", "aab", "ab", "bbaa", false, "abbaa"},
                      ReplaceCase{"non_ascii_capitals_match_without_case", u"M\u00fcller m\u00fcller"_qs,
                                  u"M\u00dcLLER"_qs, "M", false, "M M"},
                      ReplaceCase{"non_ascii_case_kept_with_case", u"M\u00fcller M\u00dcLLER"_qs,
                                  u"M\u00dcLLER"_qs, "M", true, u"M\u00fcller M"_qs},
                      ReplaceCase{"cyrillic_capitals_match_without_case",
                                  u"\u0443\u043b. \u041f\u0443\u0448\u043a\u0438\u043d\u0430"_qs,
                                  u"\u0423\u041b."_qs, u"\u0443\u043b\u0438\u0446\u0430"_qs, false,
                                  u"\u0443\u043b\u0438\u0446\u0430 \u041f\u0443\u0448\u043a\u0438\u043d\u0430"_qs},
                      ReplaceCase{"non_ascii_case_only_pair_skipped", u"\u00c9cole"_qs, u"\u00e9cole"_qs,
                                  u"\u00c9COLE"_qs, false, u"\u00c9cole"_qs},
                      ReplaceCase{"astral_capitals_match_without_case", u"\U00010400x"_qs, u"\U00010428"_qs,
                                  "y", false, "yx"},
                      ReplaceCase{"non_ascii_text_replaced", QString::fromUtf8("Straße 1"),
                                  QString::fromUtf8("straße"), "Weg", false, "Weg 1"}),
    [](const auto& info) { return std::string(info.param.name); });

// The search runs over the case-folded cell and replaces at the same places in the cell itself, which holds
// because folding keeps the length of every character.
TEST(ReplaceInCellTest, CaseFoldingKeepsTheLengthOfEveryCharacter)
{
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QString character = QString::fromUcs4(&c, 1);
        ASSERT_EQ(character.toCaseFolded().size(), character.size()) << std::hex << unsigned(c);
    }
}

TEST(ReplaceInCellTest, PairsThatNeverEndByRestartingStillEnd)
{
    // Each of these grows the cell at every restart; the pair is then applied once from left to right.
    EXPECT_EQ(replaceInCell("aab", {{"ab", "bbaa"}}, true), "abbaa");
    EXPECT_EQ(replaceInCell("ab ab", {{"ab", "xab"}}, false), "xab xab");
    EXPECT_EQ(replaceInCell(QString(5000, u'a'), {{"a", "ba"}}, true).size(), 10000);
    // A later pair works on the result of the earlier one.
    EXPECT_EQ(replaceInCell("cat", {{"c", "cc"}, {"cc", "d"}}, true), "dat");
}

TEST(ReplaceInColumnTest, ChangesOnlyTheChosenColumnAndLeavesEmptyCells)
{
    StringGrid grid = gridOfRows({{"t1", "t2"}, {"Smith", "smith"}, {"", "x"}, {"SMITHY", ""}});
    EXPECT_EQ(replaceInColumn(grid, 0, {{"smith", "Jones"}, {"", "filled"}}, false), 2);
    EXPECT_EQ(rowsOfGrid(grid), (std::vector<QStringList>{{"t1", "t2"}, {"Jones", "smith"}, {"", "x"}, {"JonesY", ""}}));
}

TEST(PairFileTest, LinesMakeAtLeastTwoColumnsAndKeepEmptyLinesAsRows)
{
    StringGrid pairs;
    showPairLines(pairs, {"only", "", "a;b;c"}, u';', "Old Value", "New Value");
    EXPECT_EQ(pairs.columnCount(), 3);
    EXPECT_EQ(rowsOfGrid(pairs), (std::vector<QStringList>{{"Old Value", "New Value", ""},
                                                           {"only", "", ""},
                                                           {"", "", ""},
                                                           {"a", "b", "c"}}));
    showPairLines(pairs, {"one"}, u';', "Old Value", "New Value");
    EXPECT_EQ(pairs.columnCount(), 2);
    showPairLines(pairs, {}, u';', "Old Value", "New Value");
    EXPECT_EQ(pairs.rowCount(), 2);
}

TEST(PairFileTest, RoundTripKeepsAnEmptyNewValue)
{
    StringGrid pairs;
    showPairLines(pairs, {"old|", "x|y"}, u'|', "Old Value", "New Value");
    const QString path = testHome() + "pairs.txt";
    ASSERT_TRUE(writeTextLines(path, pairLines(pairs, u'|')));
    EXPECT_EQ(readExistingFileBytes(path), "old|\r\nx|y\r\n");
    StringGrid again;
    showPairLines(again, splitLines(*readTextFile(path)), u'|', "Old Value", "New Value");
    const std::vector<ReplacePair> read = pairsOfGrid(again);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].oldValue, "old");
    EXPECT_EQ(read[0].newValue, "");
    EXPECT_EQ(replaceInCell("gold", read, false), "g");
}

TEST(PairFileTest, SaveNameGetsTxtWhenItHasNoExtension)
{
    EXPECT_EQ(pairFileSaveName("/tmp/pairs"), "/tmp/pairs.txt");
    EXPECT_EQ(pairFileSaveName("/tmp/pairs.csv"), "/tmp/pairs.csv");
    EXPECT_EQ(pairFileSaveName("/tmp.d/pairs"), "/tmp.d/pairs.txt");
}

}  // namespace
