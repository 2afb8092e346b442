// Keyword filter model: keyword files read and written, save names, both matching modes (with an empty
// keyword), rows split into kept and removed, the ".del" bytes, and "Contains" against a naive scan.

#include "lists/folded_value_set.h"
#include "lists/keyword_filter.h"

#include "tests/lists/list_grids.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace sorvanta::test;

TEST(KeywordFileTest, LinesBecomeRowsAndTheWidestLineGivesTheColumns)
{
    const QString path = writeTestFile("filter.txt", "a;b\r\n\r\nc\r\n");
    StringGrid keywords;
    EXPECT_TRUE(loadKeywordFile(keywords, path, u';').ok);
    EXPECT_EQ(rowsOfGrid(keywords), (std::vector<QStringList>{{"Column#1", "Column#2"}, {"a", "b"}, {"c", ""}}));

    EXPECT_TRUE(loadKeywordFile(keywords, path, u',').ok);   // another delimiter: one column
    EXPECT_EQ(rowsOfGrid(keywords), (std::vector<QStringList>{{"Column#1"}, {"a;b"}, {"c"}}));

    EXPECT_TRUE(loadKeywordFile(keywords, testHome() + "missing.txt", u';').ok);
    EXPECT_EQ(rowsOfGrid(keywords), (std::vector<QStringList>{{"Column#1"}, {""}}));
}

TEST(KeywordFileTest, UnreadableFileSaysWhyAndLeavesOneBlankRow)
{
    StringGrid keywords = gridOfRows({{"Column#1"}, {"old"}});
    const KeywordFileResult locked = loadKeywordFile(keywords, unreadableFilePath(), u';');
    EXPECT_FALSE(locked.ok);
    EXPECT_FALSE(locked.error.isEmpty());
    EXPECT_EQ(rowsOfGrid(keywords), (std::vector<QStringList>{{"Column#1"}, {""}}));
}

TEST(KeywordFileTest, SavedWithASemicolonAfterEveryCellWhateverTheDelimiter)
{
    const QString path = writeTestFile("k.txt", "x|\r\ny|z\r\n");
    StringGrid keywords;
    loadKeywordFile(keywords, path, u'|');
    EXPECT_EQ(keywordFileBytes(keywords), "x;;\r\ny;z;\r\n");
}

TEST(KeywordFileTest, SaveNamesGetTheirExtensionsWithoutCase)
{
    EXPECT_EQ(keywordFileSaveName("keys"), "keys.txt");
    EXPECT_EQ(keywordFileSaveName("KEYS.TXT"), "KEYS.TXT");
    EXPECT_EQ(keywordFileSaveName("keys.csv"), "keys.csv.txt");
    EXPECT_EQ(removedRowsFileName("gone"), "gone.del");
    EXPECT_EQ(removedRowsFileName("gone.DeL"), "gone.DeL");
    EXPECT_EQ(removedRowsFileName("gone.txt"), "gone.txt.del");
}

struct MatchCase {
    const char* name;
    KeywordMatch mode;
    QString keyword;
    QString cell;
    bool matches;
};

class KeywordMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(KeywordMatchTest, MatchesAsTheModeSays)
{
    const MatchCase& c = GetParam();
    const StringGrid keywords = gridOfRows({{"Column#1"}, {c.keyword}});
    EXPECT_EQ(KeywordMatcher(keywords, 0, c.mode).matches(c.cell.toUtf8()), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, KeywordMatchTest,
    ::testing::Values(MatchCase{"contains_exact_letters", KeywordMatch::Contains, "abc", "xabcx", true},
                      MatchCase{"contains_other_case", KeywordMatch::Contains, "abc", "ABC", false},
                      MatchCase{"contains_empty_never", KeywordMatch::Contains, "", "", false},
                      MatchCase{"exact_ignores_ascii_case", KeywordMatch::Exact, "abc", "ABC", true},
                      MatchCase{"exact_not_longer", KeywordMatch::Exact, "abc", "abcd", false},
                      MatchCase{"exact_folds_non_ascii_capitals", KeywordMatch::Exact,
                                u"USER01478@EX\u00c4MPLE.DE"_qs, u"user01478@ex\u00e4mple.de"_qs, true},
                      MatchCase{"exact_folds_cyrillic_and_polish", KeywordMatch::Exact,
                                u"\u041e\u041b\u042f@\u0141\u00d3D\u0179.PL"_qs,
                                u"\u043e\u043b\u044f@\u0142\u00f3d\u017a.pl"_qs, true},
                      MatchCase{"exact_folds_greek_final_sigma", KeywordMatch::Exact, u"\u039f\u03a3"_qs,
                                u"\u03bf\u03c2"_qs, true},
                      MatchCase{"exact_other_letter_differs", KeywordMatch::Exact, u"m\u00fcller"_qs,
                                u"MULLER"_qs, false},
                      MatchCase{"contains_non_ascii_case_counts", KeywordMatch::Contains, u"\u00e4mple"_qs,
                                u"user@EX\u00c4MPLE.de"_qs, false},
                      MatchCase{"contains_non_ascii_exact_letters", KeywordMatch::Contains, u"\u00c4MPLE"_qs,
                                u"user@EX\u00c4MPLE.de"_qs, true},
                      MatchCase{"exact_empty_matches_empty", KeywordMatch::Exact, "", "", true},
                      MatchCase{"exact_empty_not_text", KeywordMatch::Exact, "", "a", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeywordFilterTest, MatchedRowsMoveToTheRemovedRowsInOrder)
{
    StringGrid list = gridOfRows({{"Column#1", "Column#2"}, {"a@x", "1"}, {"b@x", "2"}, {"A@X", "3"}, {"c@x", ""}});
    const StringGrid keywords = gridOfRows({{"Column#1"}, {"a@x"}, {"c@x"}});
    const std::vector<bool> marked = matchingRows(list, 0, KeywordMatcher(keywords, 0, KeywordMatch::Exact));
    const StringGrid removed = takeMarkedRows(list, marked);
    EXPECT_EQ(rowsOfGrid(list), (std::vector<QStringList>{{"Column#1", "Column#2"}, {"b@x", "2"}}));
    EXPECT_EQ(removedRowsBytes(removed), "a@x;1;\r\nA@X;3;\r\nc@x;;\r\n");
}

// An unsubscribe key is equal exactly when Remove duplicates would take the two values for duplicates.
TEST(KeywordFilterTest, ExactMatchFoldsCaseAsRemoveDuplicatesDoes)
{
    const QStringList values{u"USER01478@EX\u00c4MPLE.DE"_qs, u"\u00c9LODIE@CAF\u00c9.FR"_qs,
                             u"\u0421\u0415\u0420\u0413\u0415\u0419@\u041f\u041e\u0427\u0422\u0410.RU"_qs,
                             u"ZO\u00cb@\u65e5\u672c.JP"_qs, u"\u1E9E@x"_qs, u"\U00010400@x"_qs};
    StringGrid keys = gridOfRows({{"Column#1"}});
    keys.setRowCount(values.size() + 1);
    for (qsizetype i = 0; i < values.size(); ++i)
        keys.setCell(0, int(i) + 1, values[i]);
    const KeywordMatcher matcher(keys, 0, KeywordMatch::Exact);
    for (const QString& value : values) {
        const QString lower = value.toLower();
        FoldedValueSet duplicates;
        duplicates.insert(value.toUtf8());
        EXPECT_FALSE(duplicates.insert(lower.toUtf8())) << lower.toStdString();
        EXPECT_TRUE(matcher.matches(lower.toUtf8())) << lower.toStdString();
    }
}

TEST(KeywordFilterTest, AllRowsMatchingLeaveOneBlankRowAndNoneLeaveTheListAlone)
{
    StringGrid list = gridOfRows({{"T"}, {"a"}, {"b"}});
    const StringGrid none = gridOfRows({{"Column#1"}, {"z"}});
    EXPECT_EQ(takeMarkedRows(list, matchingRows(list, 0, KeywordMatcher(none, 0, KeywordMatch::Exact))).rowCount(), 0);
    EXPECT_EQ(rowsOfGrid(list), (std::vector<QStringList>{{"T"}, {"a"}, {"b"}}));
    const StringGrid all = gridOfRows({{"Column#1"}, {"a"}, {"b"}});
    EXPECT_EQ(takeMarkedRows(list, matchingRows(list, 0, KeywordMatcher(all, 0, KeywordMatch::Contains))).rowCount(), 2);
    EXPECT_EQ(rowsOfGrid(list), (std::vector<QStringList>{{"T"}, {""}}));
}

// The automaton must agree with the plain scan of every keyword over every cell.
TEST(KeywordFilterTest, ContainsAgreesWithTheNaiveScanOnRandomLists)
{
    std::mt19937 random(7);
    const auto word = [&](int maxLength) {
        QString text;
        const int length = int(random() % unsigned(maxLength + 1));
        for (int i = 0; i < length; ++i)
            text += QChar(u"abcAB\u00e9"[random() % 6]);
        return text;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<QStringList> keywordRows{{"Column#1"}};
        for (int k = 0; k < 1 + int(random() % 6); ++k)
            keywordRows.push_back({word(4)});
        const StringGrid keywords = gridOfRows(keywordRows);
        const KeywordMatcher matcher(keywords, 0, KeywordMatch::Contains);
        for (int cell = 0; cell < 20; ++cell) {
            const QString text = word(10);
            bool naive = false;
            for (std::size_t k = 1; k < keywordRows.size(); ++k)
                naive = naive || (!keywordRows[k][0].isEmpty() && text.contains(keywordRows[k][0]));
            ASSERT_EQ(matcher.matches(text.toUtf8()), naive) << text.toStdString();
        }
    }
}

}  // namespace
