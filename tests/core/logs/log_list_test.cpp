// A send log read back: fields by position, state texts of the current language only, unreadable times as 0,
// and a missing file as an empty list.

#include "core/logs/log_list.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

namespace {

using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

struct LineCase {
    const char* name;
    QString line;
    QString time;
    QString address;
    int status;
    QString statusText;
    QString comment;
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

class LogLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LogLineTest, ParsesTheLine)
{
    const LineCase& c = GetParam();
    TLogDataObj item("Ok", "No");
    item.Comment = "left from before";
    item.ParseLine(c.line);
    EXPECT_EQ(item.timeText(), c.time);
    EXPECT_EQ(item.Address, c.address);
    EXPECT_EQ(item.Status, c.status);
    EXPECT_EQ(item.statusText(), c.statusText);
    EXPECT_EQ(item.Comment, c.comment);
}

INSTANTIATE_TEST_SUITE_P(Lines, LogLineTest, ::testing::Values(
    LineCase{"relay_failure", "09:05:04;a@x.org;No;Failed: Mailbox unavailable", "09:05:04", "a@x.org", 3, "No",
             "Failed: Mailbox unavailable"},
    LineCase{"accepted_has_no_comment", "23:59:59;b@x.org;Ok", "23:59:59", "b@x.org", 2, "Ok", ""},
    LineCase{"comment_with_semicolon_is_cut", "10:00:00;c@x.org;No;550 a;b", "10:00:00", "c@x.org", 3, "No",
             "550 a"},
    LineCase{"other_language_state", "10:00:00;d@x.org;Oui;", "10:00:00", "d@x.org", 0, "", ""},
    LineCase{"state_case_matters", "10:00:00;d@x.org;OK", "10:00:00", "d@x.org", 0, "", ""},
    LineCase{"bad_time", "later;e@x.org;Ok", "00:00:00", "e@x.org", 2, "Ok", ""},
    LineCase{"empty_line", "", "00:00:00", "", 0, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogList, LoadsOneItemPerLine)
{
    const QString path = writeTestFile("send.log", "09:05:04;a@x.org;Ok;Delivered\r\n09:05:05;b@x.org;No;Failed\r\n");

    TLogListObj list(path, "Ok", "No");
    list.LoadLog();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items[1]->Address, "b@x.org");
    EXPECT_EQ(list.Items[1]->Status, TLogDataObj::kStatusNo);

    TLogListObj missing(testHome() + "none.log", "Ok", "No");
    missing.LoadLog();
    EXPECT_EQ(missing.Count(), 0);
}

}  // namespace
