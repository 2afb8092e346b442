// The sending window's wiring: the result rows follow the list, the waiting count before a start, an empty
// list is refused, a failed relay start is shown and logged and leaves the window idle (in a series too), rows
// without "@" count as bad,
// a send log that cannot be written is reported once after the sender's event, the settings are stored on
// close (a connections text that is no number keeps the old value), and runs through the user's server
// (refused login, series pause, Stop) end with the controls idle again.

#include "core/sending/post_srv.h"

#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/base/user_messages.h"
#include "tests/core/result_grid_checks.h"
#include "tests/core/scripted_smtp.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"
#include "core/schedule/schedule_objects.h"
#include "platform/clock.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/string_grid_view.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>

#include <memory>

using sorvanta::test::ScriptedPeer;
using sorvanta::test::scriptSmtp;
using sorvanta::test::testHome;
using sorvanta::test::pumpEvents;
using sorvanta::test::waitUntil;

namespace {

class PostSrvTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProjectIniInfo = DefaultIniInfoValues();
        ProjectIniInfo.PathPro = testHome();
        ProjectIniInfo.ProjectName = "mailing";
        ProjectIniInfo.Subject = "News for [name]";
        ProjectIniInfo.CreateLog = true;
        Accounts.Clear();
        auto account = std::make_unique<tAccountObj>();
        account->Name = "Sender";
        account->ReturnAddress = "sender@origin.test";
        account->MailDomain = "mail.origin.test";
        account->SMTPServer = "127.0.0.1";
        Accounts.Add(std::move(account));
        list.setColumnCount(2);
        list.setRowCount(4);
        list.setRowCells(0, {"email", "name"});
        list.setRowCells(1, {"ann@example.test", "Ann"});
        list.setRowCells(2, {"no address", "Nobody"});
        list.setRowCells(3, {"bob@example.test", "Bob"});
        setMessageBoxResponder([this](const QString& text, const QString&, unsigned) {
            boxes << text;
            return IDOK;
        });
    }

    void TearDown() override
    {
        window.reset();
        SeriesObj.SetDefaults();
        TaskObj.SetDefaults();
        setMessageBoxResponder(nullptr);
        Accounts.Clear();
    }

    // Sends through a scripted server of the user's, without the POP3 login.
    void useOwnServer(ScriptedPeer& smtp)
    {
        ASSERT_TRUE(smtp.listen());
        Accounts.Items(0)->SMTPPort = smtp.port();
        ProjectIniInfo.ExternalSmtp = true;
        ProjectIniInfo.Pop3Identify = false;
    }

    void open()
    {
        window = std::make_unique<T_PostSrv>(&list, QStringList{"email", "name"});
        window->show();
    }

    template <class Widget>
    Widget* child(const char* name) const
    {
        return window->findChild<Widget*>(QLatin1String(name));
    }

    QString panel(int index) const
    {
        return window->StatusBar1->findChildren<QLabel*>().value(index)->text();
    }

    QStringList logLines() const
    {
        QStringList lines;
        for (const QString& name : QDir(testHome() + "logs").entryList(QDir::Files)) {
            QFile file(testHome() + "logs/" + name);
            if (file.open(QIODevice::ReadOnly))
                lines << QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
        }
        return lines;
    }

    StringGrid list;
    std::unique_ptr<T_PostSrv> window;
    QStringList boxes;
};

TEST_F(PostSrvTest, ResultRowsFollowTheListWhenItChanged)
{
    open();
    const StringGrid& results = window->run().results;
    ASSERT_EQ(results.rowCount(), 4);
    EXPECT_EQ(results.cell(colEmail, 3), "bob@example.test");
    EXPECT_EQ(results.cell(colResult, 0), "result");
    EXPECT_EQ(panel(1), "Total: 3");
    const auto* grid = child<StringGridView>("sgR");
    sorvanta::test::expectResultGridLayout(*grid, colEmail, "bob@example.test", colComment);
    EXPECT_GE(grid->columnWidth(colState), 36);   // room for the status picture 20 pixels in

    list.removeRows(1);              // the editor deleted Ann's row
    list.setCell(0, 1, "carl@example.test");
    WindowMessage::send(window.get(), WM_REFRESHSEND);
    ASSERT_EQ(results.rowCount(), 3);
    EXPECT_EQ(results.cell(colEmail, 1), "carl@example.test");
    EXPECT_EQ(results.cell(colEmail, 2), "bob@example.test");
}

// Before the first Start the waiting panel counts the rows a start would send; once a run has started it
// counts the messages under way.
TEST_F(PostSrvTest, WaitingCountsTheRowsBeforeTheFirstStart)
{
    open();
    EXPECT_EQ(panel(2), "Waiting: 3");
    list.removeRows(1);
    WindowMessage::send(window.get(), WM_REFRESHSEND);
    EXPECT_EQ(panel(2), "Waiting: 2");
    list.setCell(0, 1, "nobody");
    list.setCell(0, 2, "noone");
    WindowMessage::send(window.get(), WM_REFRESHSEND);
    window->StartButton->click();   // every row bad at once: nothing under way
    EXPECT_EQ(panel(2), "Waiting: 0");
    EXPECT_EQ(panel(4), "Bad: 2");

    window.reset();
    list.setRowCount(2);
    list.setRowCells(1, {});
    open();
    EXPECT_EQ(panel(2), "Waiting: 0");
}

TEST_F(PostSrvTest, AnEmptyListIsRefused)
{
    list.setRowCount(2);
    list.setRowCells(1, {});
    open();
    window->StartButton->click();
    EXPECT_EQ(boxes, QStringList{"Please fill the recipient list"});
    EXPECT_TRUE(window->StartButton->isEnabled());
    EXPECT_FALSE(window->sending());
}

TEST_F(PostSrvTest, AFailedRelayStartIsShownLoggedAndLeavesTheWindowIdle)
{
    open();
    window->eEMail->clear();          // the relay refuses an empty sender
    window->StartButton->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0], "FROM property is empty");
    EXPECT_FALSE(window->sending());
    EXPECT_TRUE(window->StartButton->isEnabled());
    EXPECT_FALSE(window->StopButton->isEnabled());
    EXPECT_EQ(window->run().Bad, 1);  // the row without "@"
    EXPECT_EQ(window->run().results.rowStatus(2), rowBad);
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(";no address;No;Error email"));
    EXPECT_TRUE(lines[1].endsWith(";FROM property is empty"));
}

TEST_F(PostSrvTest, AFailedRelayStartInASeriesKeepsThePartForTheNextStart)
{
    open();
    SeriesObj.Series = true;
    SeriesObj.MailCount = 1;
    SeriesObj.MailPause = 5;
    window->eEMail->clear();
    window->StartButton->click();
    EXPECT_EQ(boxes, QStringList{"FROM property is empty"});
    EXPECT_EQ(SeriesObj.NextStartRow, 0);       // nothing of the first part went out
    EXPECT_NE(TaskObj.state, taskSeriesPause);
    EXPECT_FALSE(window->TimerSer.isActive());
    EXPECT_FALSE(window->sending());

    // A scheduled start that fails is not counted as one of the task's runs.
    TaskObj.Enabled = true;
    window->StartSending(true);
    EXPECT_EQ(TaskObj.Count, 0);
    EXPECT_FALSE(TaskObj.LastDt.isValid());
    EXPECT_FALSE(window->sending());
}

TEST_F(PostSrvTest, ARunWithoutAddressesEndsAtOnceWithBadRows)
{
    list.setCell(0, 1, "nobody");
    list.setCell(0, 3, "noone");
    open();
    window->StartButton->click();
    EXPECT_FALSE(window->sending());
    EXPECT_EQ(window->run().Bad, 3);
    EXPECT_EQ(panel(4), "Bad: 3");
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(PostSrvTest, ALogThatCannotBeWrittenIsReportedOnceWhenTheSenderHasReturned)
{
    QFile blocker(testHome() + "logs");   // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    list.setCell(0, 1, "nobody");
    list.setCell(0, 3, "noone");
    open();
    window->StartButton->click();
    EXPECT_TRUE(boxes.isEmpty());         // no modal box inside the run's own handlers
    EXPECT_FALSE(window->sending());
    EXPECT_EQ(window->run().Bad, 3);
    ASSERT_TRUE(waitUntil([&] { return !boxes.isEmpty(); }, 30000));
    pumpEvents(50);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith("The send log cannot be written")) << boxes[0].toStdString();
}

TEST_F(PostSrvTest, SettingsAreStoredOnClose)
{
    ProjectIniInfo.NumberConnect = 7;
    open();
    EXPECT_EQ(window->NumConnect->value(), 7);
    window->NumConnect->setValue(12);
    window->DNSEdit->setText("192.0.2.53");
    window->eDomain->setText("relay.origin.test");
    window->eTimeOut->setValue(42);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(ProjectIniInfo.NumberConnect, 12);
    EXPECT_EQ(ProjectIniInfo.DnsIP, "192.0.2.53");
    EXPECT_EQ(ProjectIniInfo.TimeOut, 42);
    EXPECT_EQ(accountInUse(ProjectIniInfo).MailDomain, "relay.origin.test");
}

// Connections and time-out are one spin box each, under the names of the edits they replace; a stored value
// out of range shows (and is used) as the nearest value in range.
TEST_F(PostSrvTest, TheSpinBoxesHoldTheNumbersWithinTheirRanges)
{
    ProjectIniInfo.TimeOut = 10;
    ProjectIniInfo.NumberConnect = 20000;
    open();
    EXPECT_EQ(child<QSpinBox>("eTimeOut"), window->eTimeOut);
    EXPECT_EQ(child<QSpinBox>("NumConnect"), window->NumConnect);
    window->eTimeOut->stepUp();
    EXPECT_EQ(window->eTimeOut->value(), 11);
    EXPECT_EQ(window->NumConnect->value(), 9999);
    window->eTimeOut->setValue(0);
    EXPECT_EQ(window->eTimeOut->value(), 1);
    EXPECT_EQ(window->eTimeOut->maximum(), 32767);
}

TEST_F(PostSrvTest, ARunThroughTheUsersServerEndsWithTheControlsIdle)
{
    ScriptedPeer smtp;
    smtp.send("220 ready\r\n").expectLine().send("250 ok\r\n").expectLine().send("250 ok\r\n").expectLine()
        .send("550 no\r\n").expectLine().close();
    ASSERT_TRUE(smtp.listen());
    Accounts.Items(0)->SMTPPort = smtp.port();
    ProjectIniInfo.ExternalSmtp = true;
    ProjectIniInfo.Pop3Identify = false;
    open();
    EXPECT_TRUE(window->cbIspD->isChecked());
    EXPECT_FALSE(window->DNSEdit->isEnabled());
    window->StartButton->click();
    EXPECT_TRUE(window->StopButton->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return !window->sending(); }, 30000));
    EXPECT_TRUE(window->StartButton->isEnabled());
    EXPECT_FALSE(window->StopButton->isEnabled());
    EXPECT_EQ(window->run().Bad, 3);
    EXPECT_EQ(window->run().results.cell(colCode, 1), "550");
    EXPECT_EQ(logLines().size(), 3);
}

TEST_F(PostSrvTest, ASeriesPausesWithTheControlsRunningAndGoesOnAfterThePause)
{
    ScopedManualClock clock;
    ScriptedPeer smtp;
    scriptSmtp(smtp);
    useOwnServer(smtp);
    list.setCell(0, 2, "carl@example.test");
    open();
    // The project file has no series: set one as the schedule dialog would.
    SeriesObj.Series = true;
    SeriesObj.MailCount = 2;
    SeriesObj.MailPause = 5;
    window->StartButton->click();
    ASSERT_TRUE(waitUntil([&] { return TaskObj.state == taskSeriesPause; }, 30000));
    EXPECT_EQ(window->run().Good, 2);
    EXPECT_EQ(SeriesObj.NextStartRow, 3);
    EXPECT_EQ(panel(6), "Waiting for the next scheduled interval.");
    EXPECT_TRUE(window->StopButton->isEnabled());
    EXPECT_FALSE(window->StartButton->isEnabled());

    clock.advance(5 * 60 * 1000);
    window->TimerSer.start(0);     // the pause is measured on the clock; let the timer look now
    ASSERT_TRUE(waitUntil([&] { return !window->sending(); }, 30000));
    EXPECT_EQ(window->run().results.rowStatus(3), rowGood);
    EXPECT_EQ(window->run().Good, 3);
    EXPECT_TRUE(window->StartButton->isEnabled());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(" | ").toStdString();
}

// A message whose "." got no reply is counted apart from the good and bad ones, the same after a resume
// (which passes over it): the counters and the rows still waiting always add up to the total.
TEST_F(PostSrvTest, UnknownRowsHaveTheirOwnCounterBeforeAndAfterAResume)
{
    ScriptedPeer smtp;
    scriptSmtp(smtp, {.endOfDataReply = [](int message) {
        return message == 1 ? QByteArray() : QByteArray("250 queued\r\n");
    }});
    useOwnServer(smtp);
    ProjectIniInfo.TimeOut = 1;
    open();
    const auto counters = [this] { return QStringList{panel(1), panel(3), panel(4), panel(5)}.join(" | "); };
    const QString expected = "Total: 3 | Good: 1 | Bad: 1 | Unknown: 1";

    window->StartButton->click();
    ASSERT_TRUE(waitUntil([&] { return !window->sending(); }, 30000));
    EXPECT_EQ(window->run().results.rowStatus(1), rowUnknown);
    EXPECT_EQ(counters(), expected);
    EXPECT_EQ(window->run().results.cell(colComment, 1), "No reply to \".\" within 1 s");

    window->ResumeButton->click();
    ASSERT_TRUE(waitUntil([&] { return !window->sending(); }, 30000));
    EXPECT_EQ(counters(), expected);
    EXPECT_EQ(panel(2), "Waiting: 0");
}

TEST_F(PostSrvTest, ARefusedLoginIsShownOnceAndLeavesTheControlsIdle)
{
    ScriptedPeer pop3;
    pop3.send("+OK ready\r\n").expectLine().send("-ERR unknown command\r\n")
        .expectLine().send("+OK\r\n").expectLine().send("-ERR denied\r\n").expectLine();
    ASSERT_TRUE(pop3.listen());
    Accounts.Items(0)->UserID = "sender";
    Accounts.Items(0)->PopServer = "127.0.0.1";
    Accounts.Items(0)->PopPort = pop3.port();
    ProjectIniInfo.ExternalSmtp = true;
    ProjectIniInfo.Pop3Identify = true;
    open();
    window->StartButton->click();
    ASSERT_TRUE(waitUntil([&] { return !window->sending() && !boxes.isEmpty(); }, 30000));
    pumpEvents(50);
    EXPECT_EQ(boxes.size(), 1) << boxes.join(" | ").toStdString();
    EXPECT_TRUE(window->StartButton->isEnabled());
    EXPECT_FALSE(window->StopButton->isEnabled());
    EXPECT_EQ(window->run().results.rowStatus(1), rowWaiting);
}

TEST_F(PostSrvTest, StopEndsARunThroughTheUsersServerWithAborted)
{
    ScriptedPeer smtp;
    smtp.send("220 ready\r\n");   // then silent
    useOwnServer(smtp);
    open();
    window->StartButton->click();
    ASSERT_TRUE(waitUntil([&] { return smtp.connectionCount() == 1; }, 30000));
    window->StopButton->click();
    ASSERT_TRUE(waitUntil([&] { return !window->sending(); }, 30000));
    EXPECT_EQ(boxes, QStringList{"Aborted"});
    EXPECT_TRUE(window->StartButton->isEnabled());
    EXPECT_FALSE(window->StopButton->isEnabled());
    EXPECT_EQ(window->run().results.rowStatus(3), rowWaiting);   // never reached
}

}  // namespace

// Messages sent in UTF-8 because the project's charset lacks their letters are told once per run, not per
// message; a run whose texts fit says nothing.
TEST_F(PostSrvTest, MessagesSentInUtf8AreToldOncePerRun)
{
    ScriptedPeer smtp;
    scriptSmtp(smtp);
    useOwnServer(smtp);
    ProjectIniInfo.CharSet = "English(en),iso-8859-1";
    list.setCell(1, 1, QStringLiteral("\u041c\u043e\u0441\u043a\u0432\u0430"));
    list.setCell(1, 3, QStringLiteral("\u0141\u00f3d\u017a"));
    open();
    for (const bool fits : {false, true}) {
        if (fits) {
            list.setCell(1, 1, "Ann");
            list.setCell(1, 3, "Bob");
            WindowMessage::send(window.get(), WM_REFRESHSEND);
        }
        boxes.clear();
        window->StartButton->click();
        ASSERT_TRUE(waitUntil([&] { return !window->sending(); }, 30000));
        pumpEvents(50);
        EXPECT_EQ(window->run().Good, 2);
        EXPECT_EQ(boxes, fits ? QStringList()
                              : QStringList{"Some messages were sent in UTF-8 because the chosen charset lacks some "
                                            "of their characters."});
    }
}
