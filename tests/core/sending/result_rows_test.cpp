// Result rows by outcome: which rows the save options take (status x code x options), the line of each
// format with ";", Tab and Space, whole reply codes for the delete mode, and rows leaving both grids paired.

#include "core/sending/result_rows.h"

#include "core/sending/send_engine.h"
#include "platform/string_grid.h"

#include <gtest/gtest.h>

namespace {

struct SelectCase {
    const char* name;
    int options;
    int status;
    int code;
    bool selected;
};

class ResultRowSelectedTest : public ::testing::TestWithParam<SelectCase> {};

TEST_P(ResultRowSelectedTest, TakesTheRowsItsBitsName)
{
    const SelectCase& c = GetParam();
    EXPECT_EQ(resultRowSelected(c.options, c.status, c.code), c.selected);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ResultRowSelectedTest,
    ::testing::Values(SelectCase{"all_takes_waiting", 15, rowWaiting, 0, true},
                      SelectCase{"all_takes_sending", 15, rowSending, 0, true},
                      SelectCase{"sent_takes_good", 1, rowGood, 250, true},
                      SelectCase{"sent_not_bad", 1, rowBad, 550, false},
                      SelectCase{"dns_invalid", 2, rowBad, -1, true},
                      SelectCase{"dns_no_server", 2, rowBad, -9, true},
                      SelectCase{"dns_not_timeout", 2, rowBad, -2, false},
                      SelectCase{"dns_not_good_row", 2, rowGood, -1, false},
                      SelectCase{"user_550", 4, rowBad, 550, true},
                      SelectCase{"user_553", 4, rowBad, 553, true},
                      SelectCase{"user_not_552", 4, rowBad, 552, false},
                      SelectCase{"other_positive", 8, rowBad, 421, true},
                      SelectCase{"other_not_negative", 8, rowBad, -2, false},
                      SelectCase{"other_not_empty_code", 8, rowBad, 0, false},
                      SelectCase{"other_not_waiting", 8, rowWaiting, 421, false},
                      SelectCase{"sent_or_user", 5, rowBad, 551, true},
                      // The server may have it: neither sent nor failed.
                      SelectCase{"all_takes_unknown", 15, rowUnknown, -10, true},
                      SelectCase{"sent_not_unknown", 1, rowUnknown, 0, false},
                      SelectCase{"other_not_unknown", 8, rowUnknown, 421, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResultRowsTest, OptionsAreNormalisedAndNamesGetTxt)
{
    EXPECT_EQ(normalizedSaveOptions(0), 15 + 128);
    EXPECT_EQ(normalizedSaveOptions(16), 15 + 16);
    EXPECT_EQ(normalizedSaveOptions(1 + 64), 1 + 64);
    EXPECT_EQ(resultFileName("/tmp/save"), "/tmp/save.txt");
    EXPECT_EQ(resultFileName("/tmp/save.csv"), "/tmp/save.csv");
}

struct Grids {
    StringGrid results{resultColumnCount, 4};
    StringGrid list{3, 4};

    Grids()
    {
        const QStringList rows[] = {{"a@x", "Ann", "1"}, {"b@x", "Bob", ""}, {"c@x", "Cy", "3"}};
        for (int row = 1; row <= 3; ++row) {
            list.setRowCells(row, rows[row - 1]);
            results.setCell(colEmail, row, rows[row - 1][0]);
        }
        results.setRowCells(1, {"a@x", "Ok", "Delivered", "", ""});
        results.setRowStatus(1, rowGood);
        results.setRowCells(2, {"b@x", "No", "Refused", "550", "no such user"});
        results.setRowStatus(2, rowBad);
        results.setRowCells(3, {"c@x", "No", "Time-out", "-2", ""});
        results.setRowStatus(3, rowBad);
    }
};

TEST(ResultRowsTest, EachFormatBuildsItsLineWithTheDelimiter)
{
    Grids grids;
    EXPECT_EQ(resultFileLines(15 + 16, grids.results, grids.list, ";"), (QStringList{"a@x", "b@x", "c@x"}));
    EXPECT_EQ(resultFileLines(8 + 32, grids.results, grids.list, "\t"), (QStringList{"b@x\tBob\t"}));
    EXPECT_EQ(resultFileLines(1 + 64, grids.results, grids.list, " "), (QStringList{"a@x Ok Delivered  "}));
    EXPECT_EQ(resultFileLines(4 + 128, grids.results, grids.list, ";"),
              (QStringList{"b@x;Bob;;No;Refused;550;no such user"}));
    grids.list.setRowCount(2);   // a list row that is gone reads as empty
    EXPECT_EQ(resultLine(128, grids.results, grids.list, 3, ";"), ";No;Time-out;-2;");
    EXPECT_EQ(resultLine(32, grids.results, grids.list, 3, ";"), "");
}

TEST(ResultRowsTest, CodesMatchWhole)
{
    EXPECT_TRUE(codeListed(";550;551", "551"));
    EXPECT_FALSE(codeListed(";550;551", "55"));
    EXPECT_FALSE(codeListed(";550;551", "0;5"));
    EXPECT_FALSE(codeListed(";550;551", ""));
    EXPECT_FALSE(codeListed("", "550"));
}

// The server may have the message: deleting it as sent or as unsent would both be guesses.
TEST(ResultRowsTest, AnUnknownRowIsNeitherSentNorUnsent)
{
    for (const int mode : {deleteSentRows, deleteUnsentRows})
        EXPECT_FALSE(resultRowRemoved(mode, QString(), rowUnknown, "-10")) << mode;
}

TEST(ResultRowsTest, RemovedRowsLeaveBothGridsPairedInOrder)
{
    Grids grids;
    ASSERT_TRUE(rowsPaired(grids.results, grids.list, 0));
    EXPECT_EQ(removeResultRows(grids.results, grids.list, deleteByCode, ";550;55"), 1);
    ASSERT_EQ(grids.results.rowCount(), 3);
    EXPECT_EQ(grids.list.rowCells(2), (QStringList{"c@x", "Cy", "3"}));
    EXPECT_EQ(grids.results.rowStatus(2), rowBad);
    EXPECT_TRUE(rowsPaired(grids.results, grids.list, 0));

    EXPECT_EQ(removeResultRows(grids.results, grids.list, deleteUnsentRows, QString()), 1);
    EXPECT_EQ(removeResultRows(grids.results, grids.list, deleteSentRows, QString()), 1);
    EXPECT_EQ(grids.results.rowCount(), 2);
    EXPECT_EQ(grids.list.rowCells(1), (QStringList{"", "", ""}));
    EXPECT_EQ(grids.results.rowStatus(1), rowWaiting);
}

TEST(ResultRowsTest, GridsThatNoLongerPairAreSeen)
{
    Grids grids;
    grids.list.setCell(0, 2, "other@x");
    EXPECT_FALSE(rowsPaired(grids.results, grids.list, 0));
    Grids shorter;
    shorter.list.setRowCount(3);
    EXPECT_FALSE(rowsPaired(shorter.results, shorter.list, 0));
}

}  // namespace
