// StringList: CommaText / DelimitedText both ways as tables, the sorted rules, Text and name=value items.

#include "platform/string_list.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

StringList listOf(const QStringList& items)
{
    StringList list;
    for (const QString& item : items)
        list.add(item);
    return list;
}

struct WriteCase {
    const char* name;
    QStringList items;
    QString commaText;
};

class CommaTextWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(CommaTextWriteTest, JoinsAndQuotes)
{
    EXPECT_EQ(listOf(GetParam().items).commaText(), GetParam().commaText);
}

INSTANTIATE_TEST_SUITE_P(
    Items, CommaTextWriteTest,
    ::testing::Values(WriteCase{"no_items", {}, ""},
                      WriteCase{"single_empty_item_is_two_quotes", {""}, "\"\""},
                      WriteCase{"empty_items_among_others_stay_empty", {"", "a", ""}, ",a,"},
                      WriteCase{"two_empty_items", {"", ""}, ","},
                      WriteCase{"plain_items", {"a", "b"}, "a,b"},
                      WriteCase{"blank_quotes", {"a b", "c"}, "\"a b\",c"},
                      WriteCase{"inner_quotes_doubled", {"say \"hi\""}, "\"say \"\"hi\"\"\""},
                      WriteCase{"delimiter_quotes", {"x,y"}, "\"x,y\""},
                      WriteCase{"control_char_quotes", {"a\tb"}, "\"a\tb\""},
                      WriteCase{"non_ascii_unquoted", {QString::fromUtf8("é=ü")}, QString::fromUtf8("é=ü")},
                      WriteCase{"leading_blank_quotes", {" a"}, "\" a\""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReadCase {
    const char* name;
    QString commaText;
    QStringList items;
};

class CommaTextReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CommaTextReadTest, SplitsAsTheClassLibrary)
{
    StringList list;
    list.add("old");
    list.setCommaText(GetParam().commaText);
    EXPECT_EQ(list.toStringList(), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CommaTextReadTest,
    ::testing::Values(ReadCase{"empty_text_no_items", "", {}},
                      ReadCase{"only_blanks_no_items", " \t ", {}},
                      ReadCase{"plain", "a,b,c", {"a", "b", "c"}},
                      ReadCase{"unquoted_blank_splits", "a b", {"a", "b"}},
                      ReadCase{"quoted_blank_kept", "\"a b\",c", {"a b", "c"}},
                      ReadCase{"doubled_quotes_undone", "\"say \"\"hi\"\"\"", {"say \"hi\""}},
                      ReadCase{"blanks_around_items_skipped", "  a , b  ", {"a", "b"}},
                      ReadCase{"final_delimiter_adds_empty", "a,", {"a", ""}},
                      ReadCase{"delimiter_then_blank_adds_nothing", "a, ", {"a"}},
                      ReadCase{"lone_delimiter_two_empties", ",", {"", ""}},
                      ReadCase{"leading_delimiter", ",a", {"", "a"}},
                      ReadCase{"empty_middle", "a,,b", {"a", "", "b"}},
                      ReadCase{"two_quotes_one_empty", "\"\"", {""}},
                      ReadCase{"text_after_closing_quote_is_next_item", "\"a\"b", {"a", "b"}},
                      ReadCase{"line_breaks_split", "a\r\nb", {"a", "b"}},
                      ReadCase{"unterminated_quote_keeps_all", "x,\"abc", {"x", "abc"}},
                      ReadCase{"nul_ends_text", QString("a,b") + QChar(0) + ",c", {"a", "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StringListTest, CommaTextRoundTrips)
{
    const QList<QStringList> lists = {{""}, {"", ""}, {"a b", "", "x,y", "q\"", " "}, {"\"", "\"\""}};
    for (const QStringList& items : lists) {
        StringList back;
        back.setCommaText(listOf(items).commaText());
        EXPECT_EQ(back.toStringList(), items) << listOf(items).commaText().toStdString();
    }
}

TEST(StringListTest, DelimitedTextUsesItsDelimiterAndQuote)
{
    const StringList list = listOf({"a,b", "c;d", "it's"});
    EXPECT_EQ(list.delimitedText(';', '\''), "a,b;'c;d';'it''s'");
    StringList back;
    back.setDelimitedText("a,b;'c;d';'it''s'", ';', '\'');
    EXPECT_EQ(back.toStringList(), (QStringList{"a,b", "c;d", "it's"}));
}

TEST(StringListTest, SortedListOrdersWithoutCaseAndIgnoresDuplicates)
{
    StringList list;
    list.setSorted(true);
    EXPECT_EQ(list.add("beta"), 0);
    EXPECT_EQ(list.add("Alpha", 7), 0);
    EXPECT_EQ(list.add("gamma"), 2);
    EXPECT_EQ(list.add("ALPHA"), -1);
    EXPECT_EQ(list.toStringList(), (QStringList{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(list.object(0), QVariant(7));
    EXPECT_EQ(list.indexOf("BETA"), 1);
    EXPECT_EQ(list.indexOf("delta"), -1);
    int place = -1;
    EXPECT_FALSE(list.find("delta", place));
    EXPECT_EQ(place, 2);
    EXPECT_TRUE(list.find("GAMMA", place));
    EXPECT_EQ(place, 2);
}

TEST(StringListTest, DuplicateRulesApplyOnlyWhenSorted)
{
    StringList unsorted;
    unsorted.setDuplicates(StringList::Duplicates::Error);
    unsorted.add("a");
    EXPECT_EQ(unsorted.add("A"), 1);

    StringList accepting;
    accepting.setSorted(true);
    accepting.setDuplicates(StringList::Duplicates::Accept);
    accepting.add("x", 1);
    accepting.add("X", 2);
    accepting.add("a");
    EXPECT_EQ(accepting.count(), 3);
    EXPECT_EQ(accepting.at(0), "a");

    StringList strict;
    strict.setSorted(true);
    strict.setDuplicates(StringList::Duplicates::Error);
    strict.add("one");
    EXPECT_THROW(strict.add("ONE"), std::runtime_error);
    EXPECT_EQ(strict.count(), 1);
}

TEST(StringListTest, FindOnAListAcceptingDuplicatesGivesTheFirst)
{
    StringList list;
    list.setDuplicates(StringList::Duplicates::Accept);
    for (const char* item : {"b", "a", "b", "B", "c", "b"})
        list.add(item);
    list.setSorted(true);
    int place = -1;
    EXPECT_TRUE(list.find("b", place));
    EXPECT_EQ(place, 1);
}

TEST(StringListTest, SortingIsStableAndCarriesObjects)
{
    StringList list;
    list.add("b", 1);
    list.add("A", 2);
    list.add("a", 3);
    list.add("B", 4);
    list.setSorted(true);
    EXPECT_EQ(list.toStringList(), (QStringList{"A", "a", "b", "B"}));
    EXPECT_EQ(list.object(0), QVariant(2));
    EXPECT_EQ(list.object(3), QVariant(4));
}

TEST(StringListTest, CaseSensitiveListKeepsCaseVariants)
{
    StringList list;
    list.setSorted(true);
    list.setCaseSensitive(true);
    list.add("mail");
    EXPECT_GE(list.add("MAIL"), 0);
    EXPECT_EQ(list.indexOf("Mail"), -1);
    EXPECT_EQ(list.count(), 2);
}

TEST(StringListTest, DistinctTextsAreNeverDuplicates)
{
    StringList list;
    list.setSorted(true);
    for (const char* item : {"a-b", "ab", "a_b", "a b", "a\u00ADb"})
        list.add(QString::fromUtf8(item));
    EXPECT_EQ(list.count(), 5);
    for (int i = 1; i < list.count(); ++i)
        EXPECT_LT(ansiCompareText(list[i - 1], list[i]), 0);
}

TEST(StringListTest, SettingCommaTextOnASortedListSortsAndDropsDuplicates)
{
    StringList list;
    list.setSorted(true);
    list.setCommaText("c,A,b,a");
    EXPECT_EQ(list.toStringList(), (QStringList{"A", "b", "c"}));
}

TEST(StringListTest, TextHasCrLfAfterEveryLineAndReadsAnyLineEnd)
{
    EXPECT_EQ(listOf({"a", "", "b"}).text(), "a\r\n\r\nb\r\n");
    EXPECT_EQ(StringList().text(), "");
    StringList list;
    list.setText("one\rtwo\nthree\r\n\r\nfive");
    EXPECT_EQ(list.toStringList(), (QStringList{"one", "two", "three", "", "five"}));
}

TEST(StringListTest, NamesAndValues)
{
    const StringList list = listOf({"plain", "Host=mail.example.com", "key=a=b", "empty="});
    EXPECT_EQ(list.name(0), "");
    EXPECT_EQ(list.name(2), "key");
    EXPECT_EQ(list.value("host"), "mail.example.com");
    EXPECT_EQ(list.value("KEY"), "a=b");
    EXPECT_EQ(list.value("empty"), "");
    EXPECT_EQ(list.value("plain"), "");
    EXPECT_EQ(list.indexOfName("Empty"), 3);
    EXPECT_EQ(list.indexOfName("missing"), -1);
}

TEST(StringListTest, MoveAndRemoveKeepObjects)
{
    StringList list = listOf({"a", "b", "c"});
    list.setObject(0, "first");
    list.move(0, 2);
    EXPECT_EQ(list.toStringList(), (QStringList{"b", "c", "a"}));
    EXPECT_EQ(list.object(2), QVariant("first"));
    list.removeAt(0);
    EXPECT_EQ(list.toStringList(), (QStringList{"c", "a"}));
}

}  // namespace
