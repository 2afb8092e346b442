// The sending window's rules without a window: which rows a resume keeps, skips or sends on each path,
// the start row, the relay queue with its series cut, the relay result texts, the end of a relay run and
// the external path's walk and reply codes.

#include "core/sending/send_engine.h"
#include "transport/net/mail_address.h"

#include "platform/string_grid.h"

#include <gtest/gtest.h>

namespace {

const QString kCodes = QStringLiteral("550; 554");
const QString kErrorEmail = QStringLiteral("Error email");

StringGrid resultGrid(const QStringList& addresses)
{
    StringGrid grid(resultColumnCount, int(addresses.size()) + 1);
    for (int row = 1; row <= addresses.size(); ++row)
        grid.setCell(colEmail, row, addresses[row - 1]);
    return grid;
}

StringGrid numberedGrid(int rows)
{
    QStringList addresses;
    for (int i = 1; i <= rows; ++i)
        addresses << QStringLiteral("user%1@example.test").arg(i);
    return resultGrid(addresses);
}

QList<int> queuedRows(const RelayQueue& queue)
{
    QList<int> rows;
    for (int i = 0; i < queue.recipients.count(); ++i)
        rows << queue.recipients.object(i).toInt();
    return rows;
}

// ---- a resume on either path, by the row's status and whether its code is in the re-send list

enum class Path { External, Relay };
enum class Outcome { Kept, Reset, Queued, Skipped };

struct ResumeCase {
    const char* name;
    int status;
    bool codeInList;
    Path path;
    Outcome outcome;
};

class ResumeRowTest : public ::testing::TestWithParam<ResumeCase> {};

TEST_P(ResumeRowTest, KeepsResetsQueuesOrSkips)
{
    const ResumeCase& c = GetParam();
    StringGrid grid = resultGrid({"a@example.test"});
    grid.setRowStatus(1, c.status);
    grid.setCell(colResult, 1, "earlier result");
    grid.setCell(colCode, 1, c.codeInList ? "554" : "421");
    RelayQueue queue;
    if (c.path == Path::External)
        prepareExternalRows(grid, 1, true, kCodes);
    else
        queue = queueRelayRows(grid, 1, true, TSeriesObj(), kCodes, kErrorEmail);

    const bool untouched = grid.rowStatus(1) == c.status && grid.cell(colResult, 1) == "earlier result";
    const bool reset = grid.rowStatus(1) == rowWaiting && grid.cell(colResult, 1).isEmpty()
                       && grid.cell(colCode, 1).isEmpty();
    switch (c.outcome) {
    case Outcome::Kept:
    case Outcome::Skipped:
        EXPECT_TRUE(untouched);
        EXPECT_EQ(queue.recipients.count(), 0);
        break;
    case Outcome::Reset:
        EXPECT_TRUE(reset);
        break;
    case Outcome::Queued:
        EXPECT_TRUE(reset);
        EXPECT_EQ(queuedRows(queue), QList<int>{1});
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ResumeRowTest,
    ::testing::Values(ResumeCase{"external_waiting", rowWaiting, false, Path::External, Outcome::Kept},
                      ResumeCase{"external_good", rowGood, false, Path::External, Outcome::Kept},
                      ResumeCase{"external_bad", rowBad, false, Path::External, Outcome::Reset},
                      ResumeCase{"external_sending", rowSending, false, Path::External, Outcome::Reset},
                      ResumeCase{"external_bad_listed", rowBad, true, Path::External, Outcome::Kept},
                      ResumeCase{"external_sending_listed", rowSending, true, Path::External, Outcome::Kept},
                      ResumeCase{"external_unknown", rowUnknown, false, Path::External, Outcome::Kept},
                      ResumeCase{"relay_waiting", rowWaiting, false, Path::Relay, Outcome::Queued},
                      ResumeCase{"relay_good", rowGood, false, Path::Relay, Outcome::Skipped},
                      ResumeCase{"relay_bad", rowBad, false, Path::Relay, Outcome::Queued},
                      ResumeCase{"relay_sending", rowSending, false, Path::Relay, Outcome::Queued},
                      ResumeCase{"relay_waiting_listed", rowWaiting, true, Path::Relay, Outcome::Skipped},
                      ResumeCase{"relay_bad_listed", rowBad, true, Path::Relay, Outcome::Skipped},
                      ResumeCase{"relay_unknown", rowUnknown, false, Path::Relay, Outcome::Skipped}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SendEngineTest, AStartResetsAndQueuesEveryRow)
{
    StringGrid grid = resultGrid({"a@example.test", "b@example.test"});
    grid.setRowStatus(1, rowGood);
    grid.setCell(colCode, 2, "550");
    grid.setRowStatus(2, rowBad);
    StringGrid external = grid;
    prepareExternalRows(external, 1, false, kCodes);
    EXPECT_EQ(external.rowStatus(1), rowWaiting);
    EXPECT_EQ(external.cell(colCode, 2), "");
    const RelayQueue queue = queueRelayRows(grid, 1, false, TSeriesObj(), kCodes, kErrorEmail);
    EXPECT_EQ(queuedRows(queue), (QList<int>{1, 2}));
}

TEST(SendEngineTest, ReSendListIsTrimmedAndCaseBlind)
{
    StringGrid grid = resultGrid({"a@example.test"});
    grid.setCell(colCode, 1, " 10060 ");
    EXPECT_TRUE(CodeInResendList(grid, 1, "550;10060"));
    grid.setCell(colCode, 1, "x5");
    EXPECT_TRUE(CodeInResendList(grid, 1, "X5"));
    EXPECT_FALSE(CodeInResendList(grid, 1, "x55"));
}

struct StartRowCase {
    const char* name;
    bool resume;
    bool series;
    int nextStartRow;
    int selectedRow;
    int expected;
};

class StartRowTest : public ::testing::TestWithParam<StartRowCase> {};

TEST_P(StartRowTest, PicksTheFirstRow)
{
    const StartRowCase& c = GetParam();
    TSeriesObj series;
    series.Series = c.series;
    series.NextStartRow = c.nextStartRow;
    EXPECT_EQ(sendingStartRow(c.resume, series, c.selectedRow, 10), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, StartRowTest,
                         ::testing::Values(StartRowCase{"start", false, true, 5, 7, 1},
                                           StartRowCase{"resume_at_selection", true, false, 5, 7, 7},
                                           StartRowCase{"resume_series", true, true, 5, 7, 5},
                                           StartRowCase{"resume_series_without_next", true, true, 0, 7, 1},
                                           StartRowCase{"selection_on_titles", true, false, 0, 0, 1},
                                           StartRowCase{"selection_past_end", true, false, 0, 10, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the relay queue and the series

TEST(SendEngineTest, SeriesQueuesMailCountRowsAndStoresTheNextStart)
{
    StringGrid grid = numberedGrid(2500);
    TSeriesObj series;
    series.Series = true;
    const RelayQueue queue = queueRelayRows(grid, 1, false, series, kCodes, kErrorEmail);
    ASSERT_EQ(queue.recipients.count(), 1000);
    EXPECT_EQ(queue.recipients.object(0).toInt(), 1);
    EXPECT_EQ(queue.recipients.object(999).toInt(), 1000);
    EXPECT_EQ(queue.nextStartRow, 1001);
    series.NextStartRow = queue.nextStartRow;
    const RelayQueue last = queueRelayRows(grid, 2001, true, series, kCodes, kErrorEmail);
    EXPECT_EQ(last.recipients.count(), 500);
    EXPECT_EQ(last.nextStartRow, 2501);
}

TEST(SendEngineTest, NextPartStartsAfterTheLastRowExamined)
{
    StringGrid grid = resultGrid({"a@example.test", "no address", "b@example.test", "c@example.test"});
    grid.setRowStatus(3, rowGood);
    TSeriesObj series;
    series.Series = true;
    series.MailCount = 2;
    const RelayQueue queue = queueRelayRows(grid, 1, true, series, kCodes, kErrorEmail);
    EXPECT_EQ(queuedRows(queue), (QList<int>{1, 4}));
    EXPECT_EQ(queue.badRows, QList<int>{2});
    EXPECT_EQ(queue.nextStartRow, 5);
    EXPECT_EQ(grid.rowStatus(2), rowBad);
    EXPECT_EQ(grid.cell(colResult, 2), kErrorEmail);
}

// ---- the relay's results

struct RelayResultCase {
    const char* name;
    int err;
    const char* comment;
    const char* code;
    const char* result;
    int status = rowBad;
};

class RelayResultTest : public ::testing::TestWithParam<RelayResultCase> {};

TEST_P(RelayResultTest, ShowsCodeAndText)
{
    const RelayResultCase& c = GetParam();
    StringGrid grid = resultGrid({"a@example.test"});
    const RelayOutcome outcome = applyRelayResult(grid, 1, c.err, c.comment, sendingWindowTexts());
    EXPECT_EQ(grid.cell(colCode, 1), c.code);
    EXPECT_EQ(grid.cell(colResult, 1), c.result);
    EXPECT_EQ(outcome.delivered, c.err == 0);
    EXPECT_EQ(grid.rowStatus(1), c.err == 0 ? rowGood : c.status);
    EXPECT_EQ(outcome.logText, "a@example.test;" + grid.cell(colState, 1) + ";" + c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, RelayResultTest,
    ::testing::Values(
        RelayResultCase{"delivered", 0, "", "", "Delivered and available to the recipient!"},
        RelayResultCase{"no_dns", -9, "", "-9", "Failed: DNS Server not responding"},
        RelayResultCase{"aborted", -8, "", "-8", "Failed: Aborted by user"},
        RelayResultCase{"data", -7, "", "-7", "Failed: Could not perform the command: DATA"},
        RelayResultCase{"quit", -6, "", "-6", "Failed: Could not perform the command: QUIT"},
        RelayResultCase{"mail_from", -5, "", "-5", "Failed: Could not perform the command: MAILFROM"},
        RelayResultCase{"rcpt", -4, "", "-4", "Failed: Could not perform the command: RCPT"},
        RelayResultCase{"open", -3, "", "-3", "Failed: Could not perform the command: OPEN"},
        RelayResultCase{"time_out", -2, "", "-2", "Failed: Time Out - Recipient's SMTP Server didn't respond"},
        RelayResultCase{"invalid_dns", -1, "", "-1", "Failed: Invalid DNS"},
        RelayResultCase{"end_of_data_unanswered", -10, "354 go ahead", "-10", "Unknown: the server may have it",
                        rowUnknown},
        RelayResultCase{"below_table", -12, "", "-12", "Failed: Error -12"},
        RelayResultCase{"mailbox", 550, "550 no such user", "550", "Failed: Mailbox unavailable"},
        RelayResultCase{"not_local", 551, "", "551", "Failed: User not local"},
        RelayResultCase{"storage", 552, "", "552", "Failed: Exceeded storage allocation"},
        RelayResultCase{"transaction", 554, "", "554", "Failed: Transaction failed"},
        RelayResultCase{"other_reply", 421, "421 busy", "421", "Failed: Recipient's  SMTP server returned error 421"},
        RelayResultCase{"winsock_with_reply", 10060, "500 syntax", "500",
                        "Failed: Recipient's  SMTP server returned error 10060"},
        RelayResultCase{"closed_after_a_4xx_greeting", 10004, "421 4.3.2 busy", "421",
                        "Failed: Recipient's  SMTP server returned error 10004"},
        RelayResultCase{"closed_without_a_word", 10004, "", "10004",
                        "Failed: Recipient's  SMTP server returned error 10004"},
        // Failures on our side, worded by the relay: their codes are no server's reply code.
        RelayResultCase{"no_dns_answer", -9, "No DNS answer for example.test", "-9",
                        "Failed: No DNS answer for example.test"},
        RelayResultCase{"host_not_found", 11001, "Host mx.example.test not found", "11001",
                        "Failed: Host mx.example.test not found"},
        RelayResultCase{"cannot_reach", 10061, "Cannot reach mx.example.test: Connection refused", "10061",
                        "Failed: Cannot reach mx.example.test: Connection refused"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- what follows a relay run

struct RunEndCase {
    const char* name;
    bool series;
    int nextStartRow;
    bool resendOption;
    QList<int> statuses;       // rows 1..n
    QList<const char*> codes;  // code cells of rows 1..n
    RelayRunEnd expected;
};

class RelayRunEndTest : public ::testing::TestWithParam<RunEndCase> {};

TEST_P(RelayRunEndTest, ChoosesSeriesResendOrFinish)
{
    const RunEndCase& c = GetParam();
    StringGrid grid = numberedGrid(int(c.statuses.size()));
    for (int row = 1; row <= c.statuses.size(); ++row) {
        grid.setRowStatus(row, c.statuses[row - 1]);
        grid.setCell(colCode, row, c.codes[row - 1]);
    }
    TSeriesObj series;
    series.Series = c.series;
    series.NextStartRow = c.nextStartRow;
    EXPECT_EQ(relayRunEnd(grid, series, c.resendOption, kCodes), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, RelayRunEndTest,
    ::testing::Values(
        RunEndCase{"all_good", false, 0, true, {rowGood, rowGood}, {"", ""}, RelayRunEnd::Finish},
        RunEndCase{"listed_failure_resends", false, 0, true, {rowGood, rowBad}, {"", "550"},
                   RelayRunEnd::ResendThroughServer},
        RunEndCase{"resend_option_off", false, 0, false, {rowGood, rowBad}, {"", "550"}, RelayRunEnd::Finish},
        RunEndCase{"unlisted_failure_no_resend", false, 0, true, {rowBad, rowGood}, {"421", ""},
                   RelayRunEnd::Finish},
        RunEndCase{"series_rows_left", true, 2, true, {rowGood, rowWaiting}, {"", ""},
                   RelayRunEnd::ContinueSeries},
        RunEndCase{"series_rows_left_only_listed", true, 2, true, {rowGood, rowBad}, {"", "554"},
                   RelayRunEnd::ResendThroughServer},
        RunEndCase{"series_past_end", true, 3, false, {rowGood, rowWaiting}, {"", ""}, RelayRunEnd::Finish},
        RunEndCase{"series_rows_left_unknown", true, 2, false, {rowGood, rowUnknown}, {"", "-10"},
                   RelayRunEnd::Finish},
        RunEndCase{"series_off_rows_left", false, 2, false, {rowGood, rowWaiting}, {"", ""},
                   RelayRunEnd::Finish}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the external path

TEST(SendEngineTest, ExternalWalkMarksRowsWithoutAtAndSendsWaitingAndBadRows)
{
    StringGrid grid = resultGrid({"a@example.test", "broken", "b@example.test", "c@example.test", "last",
                                  "maybe@example.test"});
    grid.setRowStatus(1, rowGood);
    grid.setRowStatus(3, rowSending);
    grid.setRowStatus(4, rowBad);
    grid.setRowStatus(6, rowUnknown);
    int currentRow = 0;
    ExternalStep step = nextExternalRow(grid, currentRow, kErrorEmail);
    EXPECT_EQ(step.row, 4);
    EXPECT_EQ(step.badRows, QList<int>{2});
    EXPECT_EQ(grid.cell(colResult, 2), kErrorEmail);
    step = nextExternalRow(grid, currentRow, kErrorEmail);
    EXPECT_EQ(step.row, 0);
    EXPECT_EQ(step.badRows, QList<int>{5});
    EXPECT_EQ(grid.rowStatus(5), rowBad);
    EXPECT_EQ(currentRow, 6);                           // the unknown row is passed over
}

TEST(SendEngineTest, ExternalSeriesCutNeedsACountReachedAndRowsLeft)
{
    TSeriesObj series;
    series.Series = true;
    series.MailCount = 2;
    series.SentInPart = 2;
    EXPECT_TRUE(externalSeriesCutDue(3, 10, series));
    EXPECT_FALSE(externalSeriesCutDue(9, 10, series));
    series.SentInPart = 1;
    EXPECT_FALSE(externalSeriesCutDue(3, 10, series));
}

struct ErrorCodeCase {
    const char* text;
    int code;
};

class ExternalErrorCodeTest : public ::testing::TestWithParam<ErrorCodeCase> {};

TEST_P(ExternalErrorCodeTest, TakesTheReplyCode)
{
    EXPECT_EQ(externalErrorCode(GetParam().text), GetParam().code) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ExternalErrorCodeTest,
                         ::testing::Values(ErrorCodeCase{"Unexpected response: 550 5.1.1 unknown", 550},
                                           ErrorCodeCase{"Unexpected response:  451 later", 451},
                                           ErrorCodeCase{"Unexpected response: 5500 x", 0},
                                           ErrorCodeCase{"Unexpected response: abc def", 0},
                                           ErrorCodeCase{"Unexpected response: 550", 0},
                                           ErrorCodeCase{"Prematurely Disconnected", 0},
                                           ErrorCodeCase{"Reply: 0 x", 0}));

TEST(SendEngineTest, AddressesNeedAnAt)
{
    EXPECT_TRUE(IsValidAddress("a@b"));
    EXPECT_TRUE(IsValidAddress("@"));
    EXPECT_FALSE(IsValidAddress("a.b"));
    EXPECT_FALSE(IsValidAddress(""));
    // Nothing that could end or extend an SMTP command: such a row is a bad address on both paths.
    for (const QString& unsafe : {QStringLiteral("a@b\tNOTIFY=NEVER"), QStringLiteral("a@b c"),
                                  QStringLiteral("a@b\r\nBcc: x@y"), QStringLiteral("a@b\v"), QStringLiteral("a@b\f"),
                                  QStringLiteral("a@b") + QChar(0), QStringLiteral("a@b") + QChar(0x85), QStringLiteral("<a@b"),
                                  QStringLiteral("a@b>"), QStringLiteral("a@b") + QChar(0xA0) + QStringLiteral("c")})
        EXPECT_FALSE(IsValidAddress(unsafe)) << printableAddress(unsafe).toStdString();
    EXPECT_TRUE(IsValidAddress(QStringLiteral("jos\u00e9+tag@exa-mple.test")));
}

TEST(SendEngineTest, ResultGridFollowsTheList)
{
    StringGrid list(3, 4);
    list.setCell(1, 1, "a@example.test");
    list.setCell(1, 3, "c@example.test");
    StringGrid results = resultGrid({"old@example.test", "x", "y", "z", "w"});
    results.setRowStatus(1, rowGood);
    fillResultGrid(results, list, 1, sendingWindowTexts());
    EXPECT_EQ(results.rowCount(), 4);
    EXPECT_EQ(results.cell(colEmail, 0), "email");
    EXPECT_EQ(results.cell(colComment, 0), "comment");
    EXPECT_EQ(results.cell(colEmail, 1), "a@example.test");
    EXPECT_EQ(results.cell(colEmail, 3), "c@example.test");
    EXPECT_EQ(results.rowStatus(1), rowWaiting);
}

}  // namespace
