// ListVerifier against a scripted UDP DNS peer: the rows for MX answers, empty answers, name errors, null and
// implicit MX, the server's error codes, failed queries and silence; the domain caches; the time cell,
// time-outs and the log; Resume; the deletion of unavailable rows; the results file lines; the connection
// count and the pacing interval.

#include "core/verify/list_verifier.h"

#include "core/language/msg_language.h"
#include "core/base/text_helpers.h"
#include "platform/clock.h"
#include "platform/disk_write.h"
#include "platform/string_grid.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"
#include "tests/core/dns_table.h"

#include <gtest/gtest.h>

#include <QFile>

using sorvanta::test::DnsTable;
using sorvanta::test::pumpEvents;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::testHome;
using sorvanta::test::waitUntil;

namespace {

class ListVerifierTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dns.set("good.test", DnsTable::Kind::Mx);
        dns.set("other.test", DnsTable::Kind::Mx);
        dns.set("empty.test", DnsTable::Kind::Empty);
        dns.set("cname.test", DnsTable::Kind::Cname);
        dns.set("silent.test", DnsTable::Kind::Silent);
        peer.expectData().respond([this](const QByteArray& query) { return dns.answer(query); }).repeat();
        ASSERT_TRUE(peer.listen());
        settings.dnsServer = peer.address();
        settings.dnsPort = QString::number(peer.port());
        settings.connections = 1000;
        settings.timeOutSeconds = 3;
        QObject::connect(&verifier, &ListVerifier::finished, [this] { ++finishedCount; });
    }

    void load(const QStringList& addresses)
    {
        source.setColumnCount(2);
        source.setRowCount(int(addresses.size()) + 1);
        for (int row = 1; row <= addresses.size(); ++row)
            source.setRowCells(row, {QStringLiteral("name %1").arg(row), addresses[row - 1]});
        verifier.loadAddresses(source, 1, {});
    }

    bool run(bool resume = false)
    {
        const int before = finishedCount;
        verifier.start(resume, settings);
        return waitUntil([&] { return finishedCount > before; });
    }

    // Moves the clock one second at a time until the run ends, at most limit seconds.
    bool runOnTheClock(bool resume = false, int limit = 10)
    {
        const int before = finishedCount;
        verifier.start(resume, settings);
        for (int second = 0; second < limit && finishedCount == before; ++second) {
            waitUntil([&] { return verifier.queriesInFlight() == 0 || finishedCount > before; }, 300);
            clock.advance(1000);
            pumpEvents(150);
        }
        return finishedCount > before;
    }

    QStringList row(int r) const { return results.rowCells(r); }

    ScopedManualClock clock;
    DnsTable dns;
    ScriptedPeer peer{ScriptedPeer::Protocol::Udp};
    StringGrid source;
    StringGrid results;
    TMsgLanguage messages{nullptr, verifyMessages()};
    ListVerifier verifier{results, messages};
    VerifySettings settings;
    int finishedCount = 0;
};

TEST_F(ListVerifierTest, LoadingTakesTheEmailColumnAndMarksAddressesWithoutDomain)
{
    load({"a@good.test", "no-at-sign", "b@", "c@  ", "d@x@y.test"});
    EXPECT_EQ(results.columnCount(), 6);
    EXPECT_EQ(results.rowCount(), 6);
    EXPECT_EQ(row(0), (QStringList{"EMail", "Domain", "State", "Code", "Time", "Comment"}));
    EXPECT_EQ(row(1), (QStringList{"a@good.test", "good.test", "", "", "", ""}));
    EXPECT_EQ(row(2), (QStringList{"no-at-sign", "", "No", "", "", ""}));
    EXPECT_EQ(row(3), (QStringList{"b@", "", "No", "", "", ""}));
    EXPECT_EQ(row(4), (QStringList{"c@  ", "  ", "No", "", "", ""}));
    EXPECT_EQ(row(5)[1], "x@y.test");
    EXPECT_EQ(results.rowStatus(1), StatusNotVerified);
    for (int r = 2; r <= 4; ++r)
        EXPECT_EQ(results.rowStatus(r), StatusNoDomain) << r;
}

TEST_F(ListVerifierTest, StoppedLoadCutsTheGridAfterTheCurrentRow)
{
    source.setRowCount(5);
    verifier.loadAddresses(source, 0, [](int r) { return r < 2; });
    EXPECT_EQ(results.rowCount(), 3);
}

TEST_F(ListVerifierTest, RowsForEveryKindOfAnswer)
{
    load({"a@good.test", "b@Empty.test", "c@missing.test", "d@cname.test", "e@bad..test", "no-at-sign"});
    ASSERT_TRUE(run());
    EXPECT_EQ(row(1), (QStringList{"a@good.test", "good.test", "Ok", "mx1.good.test", "",
                                   "mx1.good.test , mx2.good.test"}));
    EXPECT_EQ(row(2), (QStringList{"b@Empty.test", "Empty.test", "No", "", "", "Mail server is not available"}));
    EXPECT_EQ(row(3), (QStringList{"c@missing.test", "missing.test", "No", "", "", "Mail server is not available"}));
    EXPECT_EQ(row(4), (QStringList{"d@cname.test", "cname.test", "Ok", "mx.cname.test", "", "mx.cname.test"}));
    EXPECT_EQ(row(5), (QStringList{"e@bad..test", "bad..test", "Error", "", "", "Error 10022"}));
    EXPECT_EQ(row(6)[2], "No");
    const std::vector<int> statuses{StatusAvailable, StatusUnavailable, StatusUnavailable, StatusAvailable,
                                    StatusQueryFailed, StatusNoDomain};
    for (int r = 1; r <= 6; ++r)
        EXPECT_EQ(results.rowStatus(r), statuses[std::size_t(r - 1)]) << r;
    EXPECT_TRUE(peer.datagrams().join().contains("\x05" "Empty"));   // asked as written, not lower-cased
    EXPECT_EQ(verifier.queriesInFlight(), 0);

    // The delete takes the rows an answer called unavailable and the one without a domain; the row whose
    // query failed on our side stays.
    EXPECT_EQ(deleteUnavailableRows(source, results, nullptr), 3);
    QStringList kept;
    for (int r = 1; r < results.rowCount(); ++r)
        kept << results.cell(VerifyEmailColumn, r);
    EXPECT_EQ(kept, (QStringList{"a@good.test", "d@cname.test", "e@bad..test"}));
}

// A null MX takes no mail and a domain without MX records but with an address takes it itself (RFC 7505,
// RFC 5321 section 5.1): the same reading the relay has. Both are kept for the domain's later rows.
TEST_F(ListVerifierTest, NullAndImplicitMxAsTheRelayReadsThem)
{
    dns.set("nullmx.test", DnsTable::Kind::NullMx);
    dns.set("implicit.test", DnsTable::Kind::Implicit);
    settings.connections = 1;   // each answer is in before the next row is reached
    load({"a@nullmx.test", "a@implicit.test", "b@nullmx.test", "b@Implicit.test"});
    ASSERT_TRUE(run());
    const QString nullMx = "The domain accepts no mail (null MX)";
    const QString implicit = "No MX record: mail goes to the domain's own address";
    EXPECT_EQ(row(1), (QStringList{"a@nullmx.test", "nullmx.test", "No", "", "", nullMx}));
    EXPECT_EQ(row(2), (QStringList{"a@implicit.test", "implicit.test", "Ok", "", "", implicit}));
    EXPECT_EQ(row(3), (QStringList{"b@nullmx.test", "nullmx.test", "No", "", "", nullMx}));
    EXPECT_EQ(row(4), (QStringList{"b@Implicit.test", "Implicit.test", "Ok", "", "", implicit}));
    const std::vector<int> statuses{StatusUnavailable, StatusAvailable, StatusUnavailable, StatusAvailable};
    for (int r = 1; r <= 4; ++r)
        EXPECT_EQ(results.rowStatus(r), statuses[std::size_t(r - 1)]) << r;
    EXPECT_EQ(dns.queriesFor("nullmx.test"), 1);
    EXPECT_EQ(dns.queriesFor("implicit.test"), 2);   // MX, then A
    EXPECT_EQ(deleteUnavailableRows(source, results, nullptr), 2);
    EXPECT_EQ(results.cell(VerifyEmailColumn, 1), "a@implicit.test");
}

// FORMERR, SERVFAIL, NOTIMP and REFUSED say nothing of the domain (a resolver that does not serve us, a
// DNSSEC failure): an error on our side, not a bad domain. Nothing is cached, so Resume asks again, and
// "Delete unavailable" removes no row.
TEST_F(ListVerifierTest, ErrorCodesOfTheServerAreOursNeitherCachedNorDeletable)
{
    const struct {
        const char* domain;
        DnsTable::Kind kind;
        const char* code;
        int queriesPerRun;
    } cases[] = {
        {"formerr.test", DnsTable::Kind::FormErr, "FORMERR", 1},
        {"servfail.test", DnsTable::Kind::ServFail, "SERVFAIL", 1},
        {"notimp.test", DnsTable::Kind::NotImp, "NOTIMP", 1},
        {"refused.test", DnsTable::Kind::Refused, "REFUSED", 1},
        {"addressfails.test", DnsTable::Kind::ImplicitAddressFails, "SERVFAIL", 2},   // no MX; the A query fails
    };
    QStringList addresses;
    for (const auto& c : cases) {
        dns.set(c.domain, c.kind);
        addresses << QStringLiteral("a@%1").arg(c.domain);
    }
    load(addresses);
    for (const bool resume : {false, true}) {
        SCOPED_TRACE(resume ? "resume" : "start");
        ASSERT_TRUE(run(resume));
        for (int r = 1; r <= int(std::size(cases)); ++r) {
            const auto& c = cases[r - 1];
            EXPECT_EQ(row(r)[2], "Error") << c.domain;   // not the "No" of the rows the delete removes
            EXPECT_EQ(row(r)[5], QStringLiteral("The DNS server could not answer (%1)").arg(c.code)) << c.domain;
            EXPECT_EQ(results.rowStatus(r), StatusQueryFailed) << c.domain;
            EXPECT_EQ(dns.queriesFor(c.domain), c.queriesPerRun * (resume ? 2 : 1)) << c.domain;
        }
    }
    EXPECT_EQ(deleteUnavailableRows(source, results, nullptr), 0);
    EXPECT_EQ(results.rowCount(), int(std::size(cases)) + 1);
}

// The code column names the host the relay tries first, and the comment lists the hosts in that order:
// lowest preference first, whatever the order of the reply.
TEST_F(ListVerifierTest, MailHostsAreShownInPreferenceOrder)
{
    for (const DnsTable::Kind kind : {DnsTable::Kind::Mx, DnsTable::Kind::MxBackwards}) {
        dns.set("pair.test", kind);
        load({"a@pair.test"});
        ASSERT_TRUE(run());
        EXPECT_EQ(row(1), (QStringList{"a@pair.test", "pair.test", "Ok", "mx1.pair.test", "",
                                       "mx1.pair.test , mx2.pair.test"}));
    }
}

// RFC 1123 section 6.1.3.3: a lost datagram is sent again well within the time-out, and its answer counts.
TEST_F(ListVerifierTest, LostQueryIsSentAgainAndAnswered)
{
    dns.set("lost.test", DnsTable::Kind::LostOnce);
    load({"a@lost.test"});
    ASSERT_TRUE(run());   // the clock stands still: no time-out can end the row
    EXPECT_EQ(row(1), (QStringList{"a@lost.test", "lost.test", "Ok", "mx1.lost.test", "", "mx1.lost.test"}));
    EXPECT_EQ(results.rowStatus(1), StatusAvailable);
    EXPECT_EQ(dns.queriesFor("lost.test"), 1);
    ASSERT_EQ(peer.datagrams().size(), 2);
    EXPECT_EQ(peer.datagrams().at(0), peer.datagrams().at(1));
}

TEST_F(ListVerifierTest, RepeatedDomainsComeFromTheCaches)
{
    settings.connections = 1;   // one query at a time: each answer is in before the next row is reached
    load({"a@good.test", "b@GOOD.test", "c@empty.test", "d@empty.test", "e@good.test"});
    ASSERT_TRUE(run());
    EXPECT_EQ(dns.queriesFor("good.test"), 1);
    EXPECT_EQ(dns.queriesFor("empty.test"), 2);   // MX, then A
    EXPECT_EQ(row(2), (QStringList{"b@GOOD.test", "GOOD.test", "Ok", "", "", "Mail server is available"}));
    EXPECT_EQ(row(4), (QStringList{"d@empty.test", "empty.test", "No", "", "", "Mail server is not available"}));
    EXPECT_EQ(row(5)[2], "Ok");
    EXPECT_EQ(results.rowStatus(2), StatusAvailable);
    EXPECT_EQ(results.rowStatus(4), StatusUnavailable);
    EXPECT_EQ(verifier.queriesStarted(), 2);
}

TEST_F(ListVerifierTest, SameDomainWhileTheFirstQueryIsPendingIsQueriedToo)
{
    dns.set("twice.test", DnsTable::Kind::SilentOnce);
    load({"a@twice.test", "b@twice.test"});
    ASSERT_TRUE(runOnTheClock());
    EXPECT_EQ(dns.queriesFor("twice.test"), 2);
    EXPECT_EQ(row(1)[2], "No Data");
    EXPECT_EQ(row(2), (QStringList{"b@twice.test", "twice.test", "Ok", "mx1.twice.test", "", "mx1.twice.test"}));
}

TEST_F(ListVerifierTest, SilentServerCountsSecondsThenTimesOutAndLogs)
{
    const QString logPath = testHome() + "verifylog.txt";
    ASSERT_TRUE(verifier.openLog(logPath));
    load({"quiet@silent.test"});
    verifier.start(false, settings);
    ASSERT_TRUE(waitUntil([&] { return dns.queriesFor("silent.test") == 1; }));
    QStringList shown;
    for (int second = 1; second <= 4; ++second) {
        clock.advance(1000);
        ASSERT_TRUE(waitUntil([&] { return row(1)[4] != (shown.isEmpty() ? "" : shown.last()); }));
        shown << row(1)[4];
    }
    EXPECT_EQ(shown, (QStringList{"1", "2", "3", " "}));
    EXPECT_EQ(row(1), (QStringList{"quiet@silent.test", "silent.test", "No Data", " ", " ", "TimeOut"}));
    EXPECT_EQ(results.rowStatus(1), StatusNoAnswer);
    ASSERT_TRUE(waitUntil([&] { return finishedCount == 1; }));
    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), "quiet@silent.test;TimeOut\r\n");
}

TEST_F(ListVerifierTest, AnswerBeforeTheTimeOutKeepsItsResult)
{
    const QString logPath = testHome() + "verifylog.txt";
    ASSERT_TRUE(verifier.openLog(logPath));
    dns.set("silent.test", DnsTable::Kind::Silent);
    load({"a@good.test", "b@silent.test"});
    verifier.start(false, settings);
    // The silent domain's query must be out before the clock moves, or its time-out would count from after.
    ASSERT_TRUE(waitUntil([&] { return row(1)[2] == "Ok" && dns.queriesFor("silent.test") == 1; }));
    clock.advance(60'000);   // every pending query is now long overdue
    ASSERT_TRUE(waitUntil([&] { return finishedCount == 1; }));
    EXPECT_EQ(row(1)[2], "Ok");
    EXPECT_EQ(row(1)[5], "mx1.good.test , mx2.good.test");
    EXPECT_EQ(row(2)[2], "No Data");
    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), "b@silent.test;TimeOut\r\n");
}

// A full disk: each time-out line fails whole, the failure (file and reason) is told once, the run goes on.
TEST_F(ListVerifierTest, LogOnAFullDiskIsToldOnceAndTheRunGoesOn)
{
    const QString logPath = testHome() + "verifylog.txt";
    ASSERT_TRUE(verifier.openLog(logPath));
    QStringList told;
    QObject::connect(&verifier, &ListVerifier::logFailed, [&](const QString& text) { told << text; });
    load({"a@silent.test", "b@silent.test"});
    ScopedDiskFault disk({8, ENOSPC});
    verifier.start(false, settings);
    ASSERT_TRUE(waitUntil([&] { return dns.queriesFor("silent.test") == 2; }));
    clock.advance(60'000);
    ASSERT_TRUE(waitUntil([&] { return finishedCount == 1; }));
    EXPECT_EQ(row(2)[2], "No Data");
    EXPECT_EQ(told, QStringList{logPath + ": No space left on device"});
    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), "");
}

TEST_F(ListVerifierTest, ResumeVerifiesOnlyEmptyAndNoRowsAndKeepsTheCaches)
{
    dns.set("later.test", DnsTable::Kind::Silent);
    load({"a@good.test", "b@silent.test", "c@empty.test", "no-at-sign", "e@bad..test", "f@later.test"});
    verifier.start(false, settings);
    ASSERT_TRUE(waitUntil([&] { return row(5)[2] == "Error" && row(3)[2] == "No" && row(1)[2] == "Ok"; }));
    ASSERT_TRUE(waitUntil([&] { return verifier.queriesInFlight() == 2; }));
    verifier.finish();                        // Stop: rows 2 and 6 were still waiting
    ASSERT_EQ(row(2)[2], "");
    results.setCell(VerifyStateColumn, 6, "No Data");   // a result of an earlier run stays
    verifier.toggleState(1);                  // "Ok" -> "No": checked again
    ASSERT_EQ(row(1)[2], "No");
    dns.set("silent.test", DnsTable::Kind::Mx);
    dns.set("empty.test", DnsTable::Kind::Mx);
    ASSERT_TRUE(run(true));
    EXPECT_EQ(dns.queriesFor("good.test"), 1);     // from the good cache
    EXPECT_EQ(row(1), (QStringList{"a@good.test", "good.test", "Ok", "mx1.good.test", "", "Mail server is available"}));
    EXPECT_EQ(dns.queriesFor("silent.test"), 2);
    EXPECT_EQ(row(2)[2], "Ok");
    EXPECT_EQ(dns.queriesFor("empty.test"), 2);    // MX and A once, then from the bad cache
    EXPECT_EQ(row(3)[2], "No");
    EXPECT_EQ(row(4)[2], "No");
    EXPECT_EQ(row(5)[5], "Error 10022");           // asked again: failures are not cached
    EXPECT_EQ(dns.queriesFor("later.test"), 1);
    EXPECT_EQ(row(6)[2], "No Data");
}

TEST_F(ListVerifierTest, FreshStartEmptiesResultsAndCaches)
{
    settings.connections = 1;
    load({"a@good.test", "b@good.test", "no-at-sign"});
    ASSERT_TRUE(run());
    ASSERT_TRUE(run());
    EXPECT_EQ(dns.queriesFor("good.test"), 2);
    EXPECT_EQ(row(2), (QStringList{"b@good.test", "good.test", "Ok", "", "", "Mail server is available"}));
    EXPECT_EQ(row(3)[2], "No");
}

TEST_F(ListVerifierTest, RowsFilledFromTheCacheAreNotFilledAgainWhileTheLastQueryIsPending)
{
    settings.connections = 2;   // 500 ms apart
    load({"a@good.test", "b@silent.test", "c@good.test"});
    verifier.start(false, settings);
    ASSERT_TRUE(waitUntil([&] { return row(3)[2] == "Ok"; }));
    verifier.toggleState(3);    // the user marks the row while b@silent.test is still pending
    pumpEvents(1200);           // two more pacing ticks
    EXPECT_EQ(row(3)[2], "No");
    EXPECT_EQ(verifier.queriesInFlight(), 1);
    verifier.finish();
}

TEST_F(ListVerifierTest, FinishDropsPendingQueriesAndEndsOnce)
{
    load({"a@silent.test", "b@silent.test"});
    verifier.start(false, settings);
    ASSERT_TRUE(waitUntil([&] { return verifier.queriesInFlight() == 2; }));
    verifier.finish();
    verifier.finish();
    EXPECT_EQ(finishedCount, 1);
    EXPECT_EQ(verifier.queriesInFlight(), 0);
    EXPECT_FALSE(verifier.isRunning());
    clock.advance(10'000);
    pumpEvents(250);
    EXPECT_EQ(row(1)[2], "");
}

TEST_F(ListVerifierTest, NeverMoreQueriesInFlightThanConnections)
{
    settings.connections = 2;
    load({"a@silent.test", "b@silent.test", "c@silent.test", "d@good.test"});
    verifier.start(false, settings);
    ASSERT_TRUE(waitUntil([&] { return verifier.queriesInFlight() == 2; }));
    pumpEvents(1200);   // two more pacing ticks at 500 ms
    EXPECT_EQ(verifier.queriesInFlight(), 2);
    EXPECT_EQ(dns.queriesFor("silent.test"), 2);
    verifier.finish();
}

TEST_F(ListVerifierTest, DoubleClickTogglesNoAndEmpty)
{
    load({"a@good.test"});
    verifier.toggleState(1);
    EXPECT_EQ(row(1)[2], "No");
    verifier.toggleState(1);
    EXPECT_EQ(row(1)[2], "");
    verifier.toggleState(0);
    EXPECT_EQ(row(0)[2], "State");
}

// A row whose query failed is kept by the delete; once the user marks it "No", it goes like every "No" row.
TEST_F(ListVerifierTest, FailedRowMarkedNoByTheUserIsDeleted)
{
    load({"a@good.test", "b@bad..test"});
    ASSERT_TRUE(run());
    ASSERT_EQ(row(2)[2], "Error");
    EXPECT_EQ(deleteUnavailableRows(source, results, nullptr), 0);
    verifier.toggleState(2);
    EXPECT_EQ(row(2)[2], "No");
    EXPECT_EQ(deleteUnavailableRows(source, results, nullptr), 1);
    EXPECT_EQ(results.rowCount(), 2);
    EXPECT_EQ(results.cell(VerifyEmailColumn, 1), "a@good.test");
}

// ---- deletion and the results file

// One result row: its state text and the status the verification gave it.
struct ResultRow {
    const char* state;
    VerifyStatus status;
};

struct DeleteCase {
    const char* name;
    QList<ResultRow> results; // the loaded result rows
    int listRows;             // rows of the list (more than results: a stopped load)
    QStringList keptList;     // column 0 of the list afterwards
    QStringList keptResults;  // the e-mail column of the results afterwards
    int removed;
};

class DeleteUnavailableTest : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteUnavailableTest, CompactsBothGrids)
{
    const DeleteCase& c = GetParam();
    StringGrid list(2, c.listRows + 1);
    StringGrid results(VerifyColumnCount, int(c.results.size()) + 1);
    for (int r = 1; r <= c.listRows; ++r)
        list.setRowCells(r, {QStringLiteral("r%1").arg(r), QStringLiteral("x")});
    for (int r = 1; r <= c.results.size(); ++r) {
        results.setRowCells(r, {QStringLiteral("r%1").arg(r), "", c.results[r - 1].state});
        results.setRowStatus(r, c.results[r - 1].status);
    }
    int steps = 0;
    EXPECT_EQ(deleteUnavailableRows(list, results, [&](int) { ++steps; }), c.removed);
    EXPECT_EQ(steps, c.listRows);
    QStringList listColumn, resultColumn;
    for (int r = 1; r < list.rowCount(); ++r)
        listColumn << list.cell(0, r);
    for (int r = 1; r < results.rowCount(); ++r)
        resultColumn << results.cell(0, r);
    EXPECT_EQ(listColumn, c.keptList);
    EXPECT_EQ(resultColumn, c.keptResults);
    for (int r = 1; r < results.rowCount() && !c.keptResults.first().isEmpty(); ++r) {
        const int original = c.keptResults[r - 1].mid(1).toInt();
        EXPECT_EQ(results.rowStatus(r), c.results[original - 1].status);   // the status moved along
    }
}

constexpr ResultRow ok{"Ok", StatusAvailable};
constexpr ResultRow noMailServer{"No", StatusUnavailable};
constexpr ResultRow noDomain{"No", StatusNoDomain};
constexpr ResultRow timedOut{"No Data", StatusNoAnswer};
constexpr ResultRow localError{"No", StatusQueryFailed};     // "Error 10051": no route to the DNS server
constexpr ResultRow markedByUser{"No", StatusNotVerified};
constexpr ResultRow notVerified{"", StatusNotVerified};

INSTANTIATE_TEST_SUITE_P(
    Rows, DeleteUnavailableTest,
    ::testing::Values(
        DeleteCase{"mixed", {ok, noMailServer, timedOut, noDomain, ok, localError}, 6,
                   {"r1", "r3", "r5", "r6"}, {"r1", "r3", "r5", "r6"}, 2},
        DeleteCase{"none_removed", {ok, notVerified, timedOut}, 3, {"r1", "r2", "r3"}, {"r1", "r2", "r3"}, 0},
        DeleteCase{"all_removed", {noMailServer, noDomain, markedByUser}, 3, {""}, {""}, 3},
        DeleteCase{"dns_server_unreachable_keeps_every_row", {localError, localError, localError}, 3,
                   {"r1", "r2", "r3"}, {"r1", "r2", "r3"}, 0},
        DeleteCase{"stopped_load_keeps_the_rest", {noMailServer, ok}, 5, {"r2", "r3", "r4", "r5"}, {"r2"}, 1},
        DeleteCase{"stopped_load_all_no", {noMailServer}, 3, {"r2", "r3"}, {""}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VerificationResultsFileTest, LinesAreEmailAndState)
{
    StringGrid results(VerifyColumnCount, 3);
    results.setRowCells(0, {"EMail", "Domain", "State"});
    results.setRowCells(1, {"a@good.test", "good.test", "Ok", "mx", "1", "mx"});
    results.setRowCells(2, {"nothing", "", "No"});
    EXPECT_EQ(verificationResultLines(results), (QStringList{"a@good.test;Ok", "nothing;No"}));
}

TEST(VerificationResultsFileTest, NameWithoutExtensionGetsTxt)
{
    EXPECT_EQ(withTextExtension("/tmp/out"), "/tmp/out.txt");
    EXPECT_EQ(withTextExtension("/tmp/out.csv"), "/tmp/out.csv");
    EXPECT_EQ(withTextExtension("/tmp/dir.d/out"), "/tmp/dir.d/out.txt");
}

// ---- the connection count and the pace

TEST(ConnectionCountTest, OnlyWholeNumbersOfAtLeastOne)
{
    EXPECT_EQ(parseConnectionCount("5"), 5);
    EXPECT_EQ(parseConnectionCount(" 12 "), 12);
    EXPECT_EQ(parseConnectionCount("2000"), 2000);
    for (const char* bad : {"0", "-3", "", "abc", "1.5", "5x", "99999999999"})
        EXPECT_EQ(parseConnectionCount(bad), std::nullopt) << bad;
}

TEST(ConnectionCountTest, PacingIntervalIsAtLeastOneMillisecond)
{
    EXPECT_EQ(pacingInterval(1), 1000);
    EXPECT_EQ(pacingInterval(3), 333);
    EXPECT_EQ(pacingInterval(50), 20);
    EXPECT_EQ(pacingInterval(1000), 1);
    EXPECT_EQ(pacingInterval(1001), 1);
    EXPECT_EQ(pacingInterval(100000), 1);
}

}  // namespace
