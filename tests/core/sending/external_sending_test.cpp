// ExternalSending against scripted loopback peers: the header lines and their order, a refused row
// followed by a delivered one on the same run, a server that closes early, the POP3 login and the
// re-login after the set minutes (on a manual clock), and the re-send of failed rows after a relay run.

#include "core/sending/external_sending.h"

#include "tests/core/scripted_smtp.h"
#include "tests/transport/composer_test_support.h"
#include "tests/support/test_files.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"
#include "platform/clock.h"
#include "core/settings/settings_file.h"
#include "transport/net/tls_session.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

using sorvanta::test::ScriptedPeer;
using sorvanta::test::messagesOfSession;
using sorvanta::test::pumpEvents;
using sorvanta::test::scriptSmtp;
using sorvanta::test::ScriptedSmtpServer;
using sorvanta::test::SmtpServerRules;
using sorvanta::test::TestCertificate;
using sorvanta::test::TestCertificateAuthority;
using sorvanta::test::testHome;
using sorvanta::test::waitUntil;
using sorvanta::test::writeFileBytes;

namespace {

void scriptPop3(ScriptedPeer& peer)
{
    peer.send("+OK ready\r\n").expectLine().send("-ERR unknown command\r\n")
        .expectLine().send("+OK user\r\n").expectLine().send("+OK logged in\r\n")
        .expectLine().send("+OK bye\r\n").close();
}

// The header lines without their line ends.
QByteArrayList headerLines(const QByteArray& message)
{
    QByteArrayList lines = message.left(message.indexOf("\r\n\r\n")).split('\n');
    for (QByteArray& line : lines)
        line = line.trimmed();
    return lines;
}

class ExternalSendingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&engine, &ExternalSending::logLine, [this](const QString& line) { log << line; });
        QObject::connect(&engine, &ExternalSending::loginFailed, [this](const QString& text) { loginError = text; });
        settings.CharSet.clear();
        settings.Pop3Identify = false;
        account.Name = "Sender Name";
        account.UserID = "user";
        account.PopServer = "127.0.0.1";
        account.SMTPServer = "127.0.0.1";
        account.ReturnAddress = "sender@origin.test";
        account.ReplyTo = "replies@origin.test";
        account.MailDomain = "origin.test";
        content.subject = "Hello [name]";
        content.plainBody = "Dear [name],\r\nthis is for [email].\r\n";
    }

    void setList(const QList<QStringList>& rows)
    {
        StringGrid list(2, int(rows.size()) + 1);
        list.setCell(0, 0, "email");
        list.setCell(1, 0, "name");
        run.results = StringGrid(resultColumnCount, int(rows.size()) + 1);
        for (int row = 1; row <= rows.size(); ++row) {
            list.setRowCells(row, rows[row - 1]);
            run.results.setCell(colEmail, row, rows[row - 1][0]);
        }
        content.setList(list, {"email", "name"});
    }

    std::shared_ptr<ScriptedSmtpServer> listen(ScriptedPeer& smtp, SmtpServerRules rules = {})
    {
        auto server = scriptSmtp(smtp, std::move(rules));
        EXPECT_TRUE(smtp.listen());
        account.SMTPPort = smtp.port();
        return server;
    }

    // A resume from the first row, as the window makes it: the rows prepared, then the walk.
    ExternalSending::RunEnd resume()
    {
        prepareExternalRows(run.results, 1, true, settings.Codes);
        run.CurrentRow = 0;
        run.StopFlag = false;
        return runToEnd(false);
    }

    void listenPop3(ScriptedPeer& pop3)
    {
        scriptPop3(pop3);
        ASSERT_TRUE(pop3.listen());
        account.PopPort = pop3.port();
    }

    // Runs from the first row to the end and answers how the run ended.
    ExternalSending::RunEnd runToEnd(bool login, bool resend = false)
    {
        engine.setAccount(account);
        std::optional<ExternalSending::RunEnd> end;
        int ends = 0;
        const QMetaObject::Connection ended =
            QObject::connect(&engine, &ExternalSending::runEnded, [&](ExternalSending::RunEnd how) {
                end = how;
                ++ends;
            });
        if (resend)
            engine.resend();
        else
            engine.start(login);
        EXPECT_TRUE(waitUntil([&] { return end.has_value(); }, 30000));
        pumpEvents(50);   // late events of the peers must not end the run a second time
        QObject::disconnect(ended);
        EXPECT_EQ(ends, 1);
        return end.value_or(ExternalSending::RunEnd::Aborted);
    }

    TIniInfo settings = DefaultIniInfoValues();
    tAccountObj account;
    TSeriesObj series;
    SendingRun run{series};
    SendContent content;
    ExternalSending engine{run, content, settings};
    QStringList log;
    QString loginError;
};

TEST_F(ExternalSendingTest, SendsEachRowMergedWithItsHeadersInOrder)
{
    ScriptedPeer smtp;
    listen(smtp);
    setList({{"ann@example.test", "Ann"}, {"bob@example.test", "Bob"}});
    EXPECT_EQ(runToEnd(false), ExternalSending::RunEnd::Completed);

    EXPECT_EQ(smtp.connectionCount(), 1);   // the connection is kept for the second message
    const QList<QByteArray> messages = messagesOfSession(smtp.receivedAll());
    ASSERT_EQ(messages.size(), 2);
    QByteArrayList ids;
    for (int i = 0; i < 2; ++i) {
        const QByteArrayList lines = headerLines(messages[i]);
        const qsizetype mime = lines.indexOf("MIME-Version: 1.0");
        ASSERT_GE(mime, 0);
        EXPECT_TRUE(lines.value(mime + 1).startsWith("Date: "));
        EXPECT_EQ(lines.value(mime + 2), "Reply-To: replies@origin.test");
        EXPECT_EQ(lines.value(mime + 3), "X-Mailer: Quarvel");
        const QByteArray id = lines.value(mime + 4);
        EXPECT_TRUE(QRegularExpression(R"(^Message-Id: <\d{14}\.\d+\.[0-9A-F]+\.23w9r9A@origin\.test>$)")
                        .match(QString::fromLatin1(id)).hasMatch()) << id.toStdString();
        ids << id;
        EXPECT_TRUE(lines.contains("From: \"Sender Name\" <sender@origin.test>"));
        EXPECT_TRUE(messages[i].contains("charset=\"us-ascii\""));
    }
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_TRUE(headerLines(messages[0]).contains("Subject: Hello Ann"));
    EXPECT_TRUE(messages[0].contains("Dear Ann,\r\nthis is for ann@example.test.\r\n"));
    EXPECT_TRUE(headerLines(messages[1]).contains("Subject: Hello Bob"));
    EXPECT_EQ(run.Good, 2);
    EXPECT_EQ(run.Waiting, 0);
    EXPECT_EQ(run.results.cell(colResult, 2), "Sent through ISP smtp mail server");
    EXPECT_EQ(log, (QStringList{"ann@example.test;Ok", "bob@example.test;Ok"}));
}

TEST_F(ExternalSendingTest, NoReplyToLineWithoutAReplyAddress)
{
    ScriptedPeer smtp;
    listen(smtp);
    account.ReplyTo.clear();
    setList({{"ann@example.test", "Ann"}});
    runToEnd(false);
    const QList<QByteArray> messages = messagesOfSession(smtp.receivedAll());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(messages[0].contains("Reply-To:"));
}

TEST_F(ExternalSendingTest, ARefusedRowIsBadAndTheNextRowIsDelivered)
{
    ScriptedPeer smtp;
    listen(smtp);
    setList({{"refused@example.test", "Ref"}, {"no address", "x"}, {"bob@example.test", "Bob"}});
    EXPECT_EQ(runToEnd(false), ExternalSending::RunEnd::Completed);

    EXPECT_EQ(run.results.rowStatus(1), rowBad);
    EXPECT_EQ(run.results.cell(colState, 1), "No");
    EXPECT_EQ(run.results.cell(colCode, 1), "550");
    EXPECT_TRUE(run.results.cell(colComment, 1).contains("550 5.1.1 no such user"));
    EXPECT_EQ(run.results.rowStatus(2), rowBad);
    EXPECT_EQ(run.results.cell(colResult, 2), "Error email");
    EXPECT_EQ(run.results.rowStatus(3), rowGood);
    EXPECT_EQ(run.Bad, 2);
    EXPECT_EQ(run.Good, 1);
    EXPECT_EQ(run.Waiting, 0);
    ASSERT_EQ(log.size(), 3);
    EXPECT_TRUE(log[0].startsWith("refused@example.test;No;"));
    EXPECT_EQ(log[1], "no address;No;Error email");
    EXPECT_EQ(log[2], "bob@example.test;Ok");
    const QList<QByteArray> messages = messagesOfSession(smtp.receivedAll());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("Hello Bob"));
}

TEST_F(ExternalSendingTest, AServerClosingEarlyFailsEachRowOnce)
{
    ScriptedPeer smtp;
    smtp.send("220 peer.test ready\r\n").expectLine().close();
    ASSERT_TRUE(smtp.listen());
    account.SMTPPort = smtp.port();
    setList({{"ann@example.test", "Ann"}, {"bob@example.test", "Bob"}});
    EXPECT_EQ(runToEnd(false), ExternalSending::RunEnd::Completed);
    EXPECT_EQ(smtp.connectionCount(), 2);
    EXPECT_EQ(run.Bad, 2);
    EXPECT_EQ(run.Waiting, 0);
    EXPECT_EQ(run.results.rowStatus(1), rowBad);
    EXPECT_EQ(run.results.rowStatus(2), rowBad);
    EXPECT_EQ(log.size(), 2);
}

TEST_F(ExternalSendingTest, LogsInAgainAfterTheSetMinutes)
{
    ScopedManualClock clock;
    ScriptedPeer smtp;
    ScriptedPeer pop3;
    listen(smtp);
    listenPop3(pop3);
    settings.Pop3Identify = true;
    settings.AutoCommit = true;
    settings.AutoCommitT = 10;
    setList({{"a@example.test", "A"}, {"b@example.test", "B"}, {"c@example.test", "C"}});
    // Nine minutes pass while the first message goes, one more during the second.
    int accepted = 0;
    QObject::connect(&engine, &ExternalSending::logLine, [&](const QString&) {
        clock.advance(++accepted == 1 ? 9 * 60 * 1000 : 60 * 1000);
    });
    EXPECT_EQ(runToEnd(true), ExternalSending::RunEnd::Completed);
    EXPECT_EQ(run.Good, 3);
    EXPECT_EQ(pop3.connectionCount(), 2);    // before the first and before the third message
    EXPECT_TRUE(pop3.received(0).startsWith("CAPA\r\nUSER user\r\nPASS "));
}

TEST_F(ExternalSendingTest, ARefusedLoginEndsTheRun)
{
    ScriptedPeer pop3;
    pop3.send("+OK ready\r\n").expectLine().send("-ERR unknown command\r\n")
        .expectLine().send("+OK\r\n").expectLine().send("-ERR denied\r\n").expectLine();
    ASSERT_TRUE(pop3.listen());
    account.PopPort = pop3.port();
    setList({{"a@example.test", "A"}});
    EXPECT_EQ(runToEnd(true), ExternalSending::RunEnd::LoginFailed);
    EXPECT_FALSE(loginError.isEmpty());
    EXPECT_EQ(run.results.rowStatus(1), rowWaiting);
}

TEST_F(ExternalSendingTest, StopDuringTheLoginEndsTheRunOnceAsAborted)
{
    ScriptedPeer pop3;
    pop3.send("+OK ready\r\n");   // then silent
    ASSERT_TRUE(pop3.listen());
    account.PopPort = pop3.port();
    setList({{"a@example.test", "A"}});
    engine.setAccount(account);
    QList<ExternalSending::RunEnd> ends;
    QObject::connect(&engine, &ExternalSending::runEnded, [&](ExternalSending::RunEnd how) { ends << how; });
    engine.start(true);
    ASSERT_TRUE(waitUntil([&] { return pop3.connectionCount() == 1; }, 30000));
    run.StopFlag = true;
    engine.stop();
    ASSERT_TRUE(waitUntil([&] { return !ends.isEmpty(); }, 30000));
    pumpEvents(100);
    EXPECT_EQ(ends, QList<ExternalSending::RunEnd>{ExternalSending::RunEnd::Aborted});
    EXPECT_FALSE(engine.running());
    EXPECT_TRUE(waitUntil([&] { return !engine.busy(); }, 30000));   // Stop's wait loop ends
    EXPECT_EQ(run.results.rowStatus(1), rowWaiting);
}

TEST_F(ExternalSendingTest, ResendAfterARelayRunSendsFailedAndUnreachedRows)
{
    ScriptedPeer smtp;
    ScriptedPeer pop3;
    listen(smtp);
    listenPop3(pop3);
    setList({{"a@example.test", "A"}, {"b@example.test", "B"}, {"nobody", "N"}, {"c@example.test", "C"}});
    run.results.setRowStatus(1, rowGood);
    run.results.setRowStatus(2, rowBad);
    run.results.setCell(colCode, 2, "10060");
    run.results.setRowStatus(3, rowBad);   // the relay run found no "@" in it
    run.Good = 1;
    run.Bad = 2;
    EXPECT_EQ(runToEnd(false, true), ExternalSending::RunEnd::Completed);
    EXPECT_EQ(run.Good, 3);   // every row counted once by its latest result
    EXPECT_EQ(run.Bad, 1);
    EXPECT_EQ(pop3.connectionCount(), 1);    // the login is made although "Pop3 Identify" is off
    const QList<QByteArray> messages = messagesOfSession(smtp.receivedAll());
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].contains("Hello B"));
    EXPECT_TRUE(messages[1].contains("Hello C"));
    EXPECT_EQ(run.results.cell(colCode, 2), "");
    EXPECT_EQ(run.results.rowStatus(2), rowGood);
}

TEST_F(ExternalSendingTest, ProjectAttachmentsGoOnceAndTheRowFileAsAPlainFile)
{
    ScriptedPeer smtp;
    listen(smtp);
    writeFileBytes(testHome() + "terms.txt", "Terms of the offer\r\n");
    writeFileBytes(testHome() + "own.bin", QByteArray("\x01\x02\x03\x04", 4));
    AttachmentRecord terms;
    terms.filePath = testHome() + "terms.txt";
    terms.displayName = "Terms.txt";
    terms.description = "the terms";
    AttachmentRecord missing;
    missing.filePath = testHome() + "missing.pdf";
    engine.setAttachments({missing, terms});
    content.attachColumn = 1;
    setList({{"ann@example.test", testHome() + "own.bin"}, {"bob@example.test", ""}});
    EXPECT_EQ(runToEnd(false), ExternalSending::RunEnd::Completed);

    const QList<QByteArray> messages = messagesOfSession(smtp.receivedAll());
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].count("Terms of the offer"), 1);
    EXPECT_EQ(messages[0].count("name=\"Terms.txt\""), 1);
    EXPECT_TRUE(messages[0].contains("Content-Description: the terms"));
    EXPECT_EQ(messages[0].count("filename=\"own.bin\""), 1);
    EXPECT_EQ(messages[1].count("Terms of the offer"), 1);
    EXPECT_FALSE(messages[1].contains("own.bin"));
    EXPECT_FALSE(smtp.receivedAll().contains("missing.pdf"));
    EXPECT_EQ(log.filter("File not found").size(), 2);
    EXPECT_EQ(run.Good, 2);
}

}  // namespace

// ---- the window between the "." and its reply

// Stop while the server has not yet answered the ".": the reply is awaited and the row takes it; a resume
// sends only the rows not yet sent, so every message goes once.
TEST_F(ExternalSendingTest, StopAfterTheEndOfDataWaitsForItsReply)
{
    ScriptedPeer smtp;
    smtp.send("220 peer.test ready\r\n").expectLine().send("250 peer.test\r\n");
    for (int message = 0; message < 2; ++message) {
        smtp.expectLine().send("250 ok\r\n").expectLine().send("250 ok\r\n").expectLine().send("354 go ahead\r\n")
            .expectLineEqual(".\r\n").wait(message == 0 ? 400 : 0).send("250 queued\r\n");
    }
    ASSERT_TRUE(smtp.listen());
    account.SMTPPort = smtp.port();
    setList({{"ann@example.test", "Ann"}, {"bob@example.test", "Bob"}});
    engine.setAccount(account);
    std::optional<ExternalSending::RunEnd> end;
    QObject::connect(&engine, &ExternalSending::runEnded, [&](ExternalSending::RunEnd how) { end = how; });
    engine.start(false);
    ASSERT_TRUE(waitUntil([&] { return smtp.received(0).contains("\r\n.\r\n"); }, 30000));
    run.StopFlag = true;
    engine.stop();
    ASSERT_TRUE(waitUntil([&] { return end.has_value(); }, 30000));
    EXPECT_EQ(*end, ExternalSending::RunEnd::Aborted);
    EXPECT_EQ(run.results.rowStatus(1), rowGood);
    EXPECT_EQ(run.results.cell(colState, 1), "Ok");
    EXPECT_EQ(run.results.rowStatus(2), rowWaiting);

    EXPECT_EQ(resume(), ExternalSending::RunEnd::Completed);
    const QList<QByteArray> messages = messagesOfSession(smtp.receivedAll());
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].contains("Hello Ann"));
    EXPECT_TRUE(messages[1].contains("Hello Bob"));
    EXPECT_EQ(run.results.rowStatus(2), rowGood);
}

// No reply to the ".": the server may have the message, so the row is neither failed nor sent again by a
// resume, unless the user marks it bad.
TEST_F(ExternalSendingTest, NoReplyToTheEndOfDataLeavesTheRowUnknown)
{
    ScriptedPeer smtp;
    const auto server = listen(smtp, {.endOfDataReply = [](int message) {
        return message == 1 ? QByteArray() : QByteArray("250 queued\r\n");
    }});
    engine.SendMail1.setCountdownStep(std::chrono::milliseconds(20));
    engine.setTimeOutSeconds(10);
    setList({{"ann@example.test", "Ann"}, {"bob@example.test", "Bob"}});
    EXPECT_EQ(runToEnd(false), ExternalSending::RunEnd::Completed);

    EXPECT_EQ(run.results.rowStatus(1), rowUnknown);
    EXPECT_EQ(run.results.cell(colState, 1), "Unknown");
    EXPECT_EQ(run.results.cell(colResult, 1), "Unknown: the server may have it");
    EXPECT_EQ(run.results.cell(colComment, 1), "No reply to \".\" within 10 s");
    EXPECT_EQ(run.results.rowStatus(2), rowGood);
    EXPECT_EQ(log.value(0), "ann@example.test;Unknown;No reply to \".\" within 10 s");
    EXPECT_EQ(run.Bad, 0);
    EXPECT_EQ(run.Unknown, 1);
    EXPECT_EQ(run.Good, 1);
    EXPECT_EQ(run.Waiting, 0);

    EXPECT_EQ(resume(), ExternalSending::RunEnd::Completed);
    EXPECT_EQ(server->messages(), 2);
    run.results.setRowStatus(1, rowBad);     // the user's "Status No"
    EXPECT_EQ(resume(), ExternalSending::RunEnd::Completed);
    EXPECT_EQ(server->messages(), 3);
    EXPECT_EQ(run.results.rowStatus(1), rowGood);
}

// ---- the end of the session

enum class SessionEnd { RunCompleted, Stopped, SeriesPart };

class SessionEndTest : public ExternalSendingTest, public ::testing::WithParamInterface<SessionEnd> {};

// Whenever the walk stops using the kept connection (the list is done, Stop, the pause after a series
// part) the server gets QUIT and the connection closes at its reply, instead of idling until it times out.
TEST_P(SessionEndTest, QuitEndsTheKeptConnection)
{
    ScriptedPeer smtp;
    listen(smtp);
    setList({{"ann@example.test", "Ann"}, {"bob@example.test", "Bob"}});
    engine.setAccount(account);
    bool ended = false;
    bool paused = false;
    QObject::connect(&engine, &ExternalSending::runEnded, [&] { ended = true; });
    QObject::connect(&engine, &ExternalSending::seriesPauseDue, [&] { paused = true; });
    switch (GetParam()) {
    case SessionEnd::RunCompleted:
        engine.start(false);
        break;
    case SessionEnd::Stopped:
        QObject::connect(&engine, &ExternalSending::logLine, [&] {
            run.StopFlag = true;   // Stop pressed while the first row's reply is handled
            engine.stop();
        });
        engine.start(false);
        break;
    case SessionEnd::SeriesPart:
        series.Series = true;
        series.MailCount = 1;
        engine.start(false);
        break;
    }
    ASSERT_TRUE(waitUntil([&] { return ended || paused; }, 30000));
    ASSERT_TRUE(waitUntil([&] { return smtp.disconnectedCount() == 1; }, 30000));
    EXPECT_EQ(smtp.connectionCount(), 1);
    EXPECT_TRUE(smtp.receivedAll().endsWith(".\r\nQUIT\r\n")) << smtp.receivedAll().right(40).toStdString();
    EXPECT_EQ(run.results.rowStatus(1), rowGood);
}

INSTANTIATE_TEST_SUITE_P(Ends, SessionEndTest,
                         ::testing::Values(SessionEnd::RunCompleted, SessionEnd::Stopped, SessionEnd::SeriesPart),
                         [](const ::testing::TestParamInfo<SessionEnd>& info) {
                             switch (info.param) {
                             case SessionEnd::RunCompleted: return std::string("run_completed");
                             case SessionEnd::Stopped: return std::string("stopped");
                             case SessionEnd::SeriesPart: return std::string("series_part");
                             }
                             return std::string();
                         });

// A server that closes after the ".": the row is unknown too, and says so instead of repeating the "354".
TEST_F(ExternalSendingTest, ACloseAfterTheEndOfDataLeavesTheRowUnknown)
{
    ScriptedPeer smtp;
    smtp.send("220 peer.test ready\r\n").expectLine().send("250 peer.test\r\n").expectLine().send("250 ok\r\n")
        .expectLine().send("250 ok\r\n").expectLine().send("354 go ahead\r\n").expectLineEqual(".\r\n").close();
    ASSERT_TRUE(smtp.listen());
    account.SMTPPort = smtp.port();
    setList({{"ann@example.test", "Ann"}});
    EXPECT_EQ(runToEnd(false), ExternalSending::RunEnd::Completed);

    EXPECT_EQ(run.results.rowStatus(1), rowUnknown);
    EXPECT_EQ(run.results.cell(colComment, 1), "Connection closed after \".\" before any reply");
    EXPECT_EQ(run.Unknown, 1);
    EXPECT_EQ(run.Bad, 0);
}

// ---- a kept connection the server ends

struct KeptConnectionCase {
    const char* name;
    SmtpServerRules rules;
    QList<int> statuses;        // of the rows after the run
    int messages;               // "." lines the server took
    int connections;
};

class KeptConnectionTest : public ExternalSendingTest, public ::testing::WithParamInterface<KeptConnectionCase> {};

// A 421 before the message's data (a cap of messages per connection) costs no row: the row goes again on
// a new connection. A 421 to the end of data stands: the server may have begun to take the message.
TEST_P(KeptConnectionTest, RowsAfterTheServerEndsTheConnection)
{
    const KeptConnectionCase& c = GetParam();
    ScriptedPeer smtp;
    const auto server = listen(smtp, c.rules);
    setList({{"a@example.test", "A"}, {"b@example.test", "B"}, {"c@example.test", "C"}, {"d@example.test", "D"},
             {"e@example.test", "E"}});
    EXPECT_EQ(runToEnd(false), ExternalSending::RunEnd::Completed);
    QList<int> statuses;
    for (int row = 1; row <= 5; ++row)
        statuses << run.results.rowStatus(row);
    EXPECT_EQ(statuses, c.statuses);
    EXPECT_EQ(server->messages(), c.messages);
    EXPECT_EQ(smtp.connectionCount(), c.connections);
    const QList<QByteArray> messages = messagesOfSession(smtp.receivedAll());
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        const auto sent = std::count_if(messages.begin(), messages.end(), [&](const QByteArray& message) {
            return message.contains(QByteArray("Dear ") + name + ",");
        });
        EXPECT_EQ(sent, 1) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, KeptConnectionTest,
    ::testing::Values(
        KeptConnectionCase{"cap_of_two_messages", {.messagesPerConnection = 2},
                           {rowGood, rowGood, rowGood, rowGood, rowGood}, 5, 3},
        KeptConnectionCase{"421_to_the_end_of_data",
                           {.endOfDataReply = [](int message) {
                                return message == 2 ? QByteArray("421 4.3.2 shutting down\r\n") : QByteArray("250 ok\r\n");
                            }},
                           {rowGood, rowBad, rowGood, rowGood, rowGood}, 5, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- a server that refuses the account

struct AccountRefusalCase {
    const char* name;
    std::function<void(ScriptedPeer& smtp, const TestCertificate& certificate)> script;
    const char* message;        // how the run's message begins
    int authAttempts;
};

class AccountRefusalTest : public ExternalSendingTest, public ::testing::WithParamInterface<AccountRefusalCase> {
protected:
    QTemporaryDir m_folder;
    TestCertificateAuthority m_authority{m_folder.path(), QStringLiteral("unknown")};
};

// A refused password or a failed TLS handshake would fail every row alike, each with a new login: the run
// ends after the first row with one message, and the other rows stay waiting for a resume.
TEST_P(AccountRefusalTest, EndsTheRunAfterTheFirstRow)
{
    ScriptedPeer smtp;
    GetParam().script(smtp, m_authority.issue(QStringLiteral("server"), {QStringLiteral("IP:127.0.0.1")}));
    ASSERT_TRUE(smtp.listen());
    account.SMTPPort = smtp.port();
    account.Authen = true;
    account.AuName = "user";
    account.auPsw = "wrong";
    QList<QStringList> rows;
    for (int i = 0; i < 20; ++i)
        rows << QStringList{QStringLiteral("reader%1@example.test").arg(i), QStringLiteral("R%1").arg(i)};
    setList(rows);
    EXPECT_EQ(runToEnd(false), ExternalSending::RunEnd::LoginFailed);

    EXPECT_EQ(smtp.connectionCount(), 1);
    EXPECT_EQ(smtp.receivedAll().count("AUTH LOGIN\r\n"), GetParam().authAttempts);
    EXPECT_TRUE(loginError.startsWith(QString::fromUtf8(GetParam().message))) << loginError.toStdString();
    EXPECT_EQ(run.results.rowStatus(1), rowBad);
    for (int row = 2; row <= 20; ++row)
        EXPECT_EQ(run.results.rowStatus(row), rowWaiting) << row;
    EXPECT_EQ(run.Bad, 1);
    EXPECT_EQ(run.Waiting, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, AccountRefusalTest,
    ::testing::Values(
        AccountRefusalCase{"password_refused",
                           [](ScriptedPeer& smtp, const TestCertificate&) {
                               scriptSmtp(smtp, {.passwordReply = "535 5.7.8 Authentication credentials invalid\r\n"});
                           },
                           "The server 127.0.0.1 refused the login: 535 5.7.8 Authentication credentials invalid", 1},
        AccountRefusalCase{"tls_handshake_failed",
                           [](ScriptedPeer& smtp, const TestCertificate& certificate) {
                               smtp.send("220 mx ESMTP\r\n").expectLine()
                                   .send("250-mx\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n")
                                   .expectLine().send("220 go ahead\r\n")
                                   .startTls(certificate.certificateFile, certificate.keyFile);
                           },
                           "Secure connection to 127.0.0.1 failed: ", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- TLS remembered with the account

// The first run secures itself with STARTTLS and the account keeps that in the settings file; in the next
// run a man in the middle strips STARTTLS and offers AUTH LOGIN: no credential goes out, the run ends
// with the message, and the rows stay waiting.
TEST_F(ExternalSendingTest, TlsOnceUsedIsRequiredFromThenOn)
{
    QTemporaryDir folder;
    TestCertificateAuthority authority(folder.path(), QStringLiteral("trusted"));
    const TestCertificate certificate = authority.issue(QStringLiteral("server"), {QStringLiteral("IP:127.0.0.1")});
    qputenv(TlsSession::extraCaVariable(), authority.certificateFile().toLocal8Bit());
    account.Authen = true;
    account.AuName = "user";
    account.auPsw = "secret";
    setList({{"first@example.test", "First"}});

    ScriptedPeer secured;
    secured.send("220 mx ESMTP\r\n").expectLine().send("250-mx\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n")
        .expectLine().send("220 go ahead\r\n").startTls(certificate.certificateFile, certificate.keyFile)
        .expectLine().send("250-mx\r\n250 AUTH LOGIN\r\n")
        .expectLine().send("334 VXNlcm5hbWU6\r\n").expectLine().send("334 UGFzc3dvcmQ6\r\n")
        .expectLine().send("235 ok\r\n").expectLine().send("250 sender ok\r\n")
        .expectLine().send("250 recipient ok\r\n").expectLine().send("354 go ahead\r\n")
        .expectData().send("250 queued\r\n").wait(100).close();   // the kept connection ends
    ASSERT_TRUE(secured.listen());
    account.SMTPPort = secured.port();
    Accounts.Clear();
    Accounts.Add(std::make_unique<tAccountObj>(account));
    settings.NConnect = 0;
    EXPECT_EQ(resume(), ExternalSending::RunEnd::Completed);
    EXPECT_EQ(run.results.rowStatus(1), rowGood);

    Accounts.Clear();
    LoadSettings();                                     // what the next program start reads
    ASSERT_EQ(Accounts.Count(), 1);
    EXPECT_EQ(Accounts.Items(0)->SmtpTlsHost, "127.0.0.1");
    account = *Accounts.Items(0);

    ScriptedPeer stripping;
    stripping.send("220 mx ESMTP\r\n").expectLine().send("250-mx\r\n250 AUTH LOGIN PLAIN\r\n").expectData();
    ASSERT_TRUE(stripping.listen());
    account.SMTPPort = stripping.port();
    setList({{"first@example.test", "First"}, {"second@example.test", "Second"}});
    EXPECT_EQ(resume(), ExternalSending::RunEnd::LoginFailed);
    EXPECT_TRUE(loginError.contains("no longer offers a secure connection, which may mean an attack"))
        << loginError.toStdString();
    EXPECT_FALSE(stripping.receivedAll().contains("AUTH"));
    EXPECT_EQ(run.results.rowStatus(2), rowWaiting);
    Accounts.Clear();
    qunsetenv(TlsSession::extraCaVariable());
}
