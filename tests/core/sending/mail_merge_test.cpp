// Mail merge: placeholders in any case and in both title forms, adjacent and self-containing values, column 1
// against column 10, the order of columns, and subjects kept on one line.

#include "core/sending/mail_merge.h"

#include "platform/string_grid.h"

#include <gtest/gtest.h>

namespace {

QStringList columnTitles(int count)
{
    QStringList titles;
    for (int column = 1; column <= count; ++column)
        titles << QStringLiteral("Column#%1").arg(column);
    return titles;
}

// One recipient in row 1 of a list of ten columns; cells not named stay "c<n>".
StringGrid recipientRow(const QList<std::pair<int, QString>>& cells)
{
    StringGrid grid(10, 2);
    for (int column = 0; column < 10; ++column)
        grid.setCell(column, 1, QStringLiteral("c%1").arg(column + 1));
    for (const auto& [column, value] : cells)
        grid.setCell(column, 1, value);
    return grid;
}

struct MergeCase {
    const char* name;
    QString text;
    QList<std::pair<int, QString>> cells;
    QString merged;
};

void PrintTo(const MergeCase& c, std::ostream* os)
{
    *os << c.name;
}

class MailMergeTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MailMergeTest, MergesTheRecipientsCells)
{
    const MergeCase& c = GetParam();
    const StringGrid grid = recipientRow(c.cells);
    EXPECT_EQ(MergeRecipientText(c.text, columnTitles(10), grid, 1), c.merged);
}

INSTANTIATE_TEST_SUITE_P(Placeholders, MailMergeTest, ::testing::Values(
    MergeCase{"exact", "Hello [Column#2]!", {{1, "Ann"}}, "Hello Ann!"},
    MergeCase{"capitals", "Hello [COLUMN#2]!", {{1, "Ann"}}, "Hello Ann!"},
    MergeCase{"small_letters", "Hello [column#2]!", {{1, "Ann"}}, "Hello Ann!"},
    MergeCase{"blank_form", "Hello [Column #2]!", {{1, "Ann"}}, "Hello Ann!"},
    MergeCase{"blank_form_mixed_case", "Hello [cOLUMN #2]!", {{1, "Ann"}}, "Hello Ann!"},
    MergeCase{"every_occurrence", "[Column#2], [column #2] and [COLUMN#2]", {{1, "x"}}, "x, x and x"},
    MergeCase{"adjacent", "[Column#2][Column#2]", {{1, "Ann"}}, "AnnAnn"},
    MergeCase{"empty_cell", "a[Column#2]b[column #2]c", {{1, ""}}, "abc"},
    MergeCase{"column_10_not_column_1", "[Column#1]/[Column#10]", {{0, "one"}, {9, "ten"}}, "one/ten"},
    MergeCase{"self_containing", "[Column#2] and [Column#2]", {{1, "<[column#2]>"}},
              "<[column#2]> and <[column#2]>"},
    MergeCase{"value_joins_following_text", "[Column#2]umn#2]", {{1, "[Col"}}, "[Colum" "n#2]"},
    MergeCase{"later_column_in_value", "[Column#1]", {{0, "[Column#3]"}, {2, "three"}}, "three"},
    MergeCase{"earlier_column_in_value", "[Column#3]", {{2, "[Column#1]"}}, "[Column#1]"},
    MergeCase{"unknown_column_and_brackets", "[Column#11] [x] [", {}, "[Column#11] [x] ["},
    MergeCase{"value_as_it_stands", "<b>[Column#1]</b>", {{0, "  a & b  "}}, "<b>  a & b  </b>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MailMerge, ShortTitlesHaveOnlyTheirFirstForm)
{
    StringGrid grid(2, 2);
    grid.setCell(0, 1, "Ann");
    grid.setCell(1, 1, "Smith");
    const QStringList titles{"Name", "Surname"};   // "Surname": seven characters, the blank form "Surnam e"
    EXPECT_EQ(MergeRecipientText("[name] [Nam e] [SURNAME] [Surnam e]", titles, grid, 1), "Ann [Nam e] Smith Smith");
}

TEST(MailMerge, SubjectLineBreaksFromCellsBecomeBlanks)
{
    const StringGrid grid = recipientRow({{1, "Ann\r\nBcc: victim@example.com"}, {2, "a\nb\rc"}});
    EXPECT_EQ(MergeRecipientSubject("Hi [Column#2] [Column#3]", columnTitles(10), grid, 1),
              "Hi Ann  Bcc: victim@example.com a b c");
    // The bodies keep their line breaks.
    EXPECT_EQ(MergeRecipientText("[Column#3]", columnTitles(10), grid, 1), "a\nb\rc");
}

TEST(MailMerge, ReplaceAllNoCaseEndsWhenTheValueHoldsThePlaceholder)
{
    EXPECT_EQ(ReplaceAllNoCase("[a]", "[A][a]", "[a][A]"), "[a][A][a][A]");
    EXPECT_EQ(ReplaceAllNoCase("", "text", "x"), "text");
}

}  // namespace
