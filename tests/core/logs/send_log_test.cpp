// Send log: the file name from the time of the first line, one file per run, the line of each kind of result
// byte for byte, and failures to make or write the file reported once while writing goes on.

#include "core/logs/send_log.h"

#include "core/settings/ini_info.h"
#include "platform/clock.h"
#include "platform/disk_write.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;

QString logPath(const char* name)
{
    return testHome() + "logs/" + name;
}

class SendLogTest : public ::testing::Test {
protected:
    void SetUp() override { ProjectIniInfo = TIniInfo{}; }

    ScopedManualClock clock{QDateTime(QDate(2026, 3, 7), QTime(9, 5, 4))};
    QStringList reported;
    SendLog log{[this](const QString& text) { reported << text; }};
};

TEST_F(SendLogTest, RunWritesOneFileNamedByItsFirstLine)
{
    EXPECT_FALSE(log.LogOpen());
    log.WriteSendLog(relayResultLogText("ann@example.com", "Ok", "Delivered and available to the recipient!"));
    clock.advance(61'000);
    log.WriteSendLog(relayResultLogText("bob", "No", "Error email"));

    const QString first = logPath("send_07-03-26_09-05-04.log");
    EXPECT_TRUE(log.LogOpen());
    EXPECT_EQ(log.fileName(), first);
    EXPECT_EQ(ProjectIniInfo.LogFile, first);
    EXPECT_EQ(readFileBytes(first), "09:05:04;ann@example.com;Ok;Delivered and available to the recipient!\r\n"
                                "09:06:05;bob;No;Error email\r\n");

    log.endRun();
    clock.advance(10'000);
    log.WriteSendLog(externalAcceptedLogText("carl@example.com", "Ok"));
    const QString second = logPath("send_07-03-26_09-06-15.log");
    EXPECT_EQ(ProjectIniInfo.LogFile, second);
    EXPECT_EQ(readFileBytes(second), "09:06:15;carl@example.com;Ok\r\n");
    EXPECT_EQ(QDir(testHome() + "logs").entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(SendLogTest, LinesOfEachPathAndLineBreaksInAServerText)
{
    log.WriteSendLog(relayResultLogText("a@x.org", "No", "Failed: Mailbox unavailable"));
    log.WriteSendLog(externalErrorLogText("b@x.org", "No", "550 no such user;\r\n550 really"));
    log.WriteSendLog(externalAcceptedLogText("c@x.org", "Ok"));
    EXPECT_EQ(readFileBytes(log.fileName()), "09:05:04;a@x.org;No;Failed: Mailbox unavailable\r\n"
                                         "09:05:04;b@x.org;No;550 no such user;  550 really\r\n"
                                         "09:05:04;c@x.org;Ok\r\n");
}

TEST_F(SendLogTest, RunsWithinOneSecondShareTheFile)
{
    log.WriteSendLog("a;Ok");
    log.endRun();
    log.WriteSendLog("b;Ok");
    EXPECT_EQ(readFileBytes(logPath("send_07-03-26_09-05-04.log")), "09:05:04;a;Ok\r\n09:05:04;b;Ok\r\n");
}

TEST_F(SendLogTest, FolderThatCannotBeMadeIsReportedOnceAndRetriedEveryLine)
{
    QFile blocker(testHome() + "logs");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    log.WriteSendLog("a;Ok");
    log.WriteSendLog("b;Ok");
    EXPECT_FALSE(log.LogOpen());
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(testHome() + "logs")) << reported[0].toStdString();
    EXPECT_TRUE(ProjectIniInfo.LogFile.isEmpty());

    ASSERT_TRUE(QFile::remove(testHome() + "logs"));
    log.WriteSendLog("c;Ok");
    EXPECT_TRUE(log.LogOpen());
    EXPECT_EQ(readFileBytes(logPath("send_07-03-26_09-05-04.log")), "09:05:04;c;Ok\r\n");
    EXPECT_EQ(reported.size(), 1);
}

TEST_F(SendLogTest, AppendFailureIsReportedOncePerRun)
{
    log.WriteSendLog("a;Ok");
    ASSERT_TRUE(QFile::remove(log.fileName()));
    ASSERT_TRUE(QDir().mkdir(log.fileName()));   // appending to a folder fails, even as root

    log.WriteSendLog("b;Ok");
    log.WriteSendLog("c;Ok");
    EXPECT_EQ(reported.size(), 1);
    log.endRun();
    log.WriteSendLog("d;Ok");
    EXPECT_EQ(reported.size(), 2);
}

// A line that meets a full disk goes in whole or not at all; the report names the file and the reason.
TEST_F(SendLogTest, FullDiskLineIsLeftOutWholeAndReportedWithTheReason)
{
    log.WriteSendLog("a@x.org;Ok");
    {
        ScopedDiskFault disk({5, ENOSPC});
        log.WriteSendLog("b@x.org;Ok");
    }
    log.WriteSendLog("c@x.org;Ok");
    EXPECT_EQ(readFileBytes(log.fileName()), "09:05:04;a@x.org;Ok\r\n09:05:04;c@x.org;Ok\r\n");
    EXPECT_EQ(reported, QStringList{"The send log cannot be written (" + log.fileName()
                                    + ": No space left on device). The mailing goes on without it."});
}

TEST(SendLog, DefaultReportShowsAWarningAfterTheWritingHandlerReturned)
{
    sorvanta::test::MessageBoxRecorder boxes;
    QFile blocker(testHome() + "logs");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    SendLog log;
    log.WriteSendLog("a;Ok");
    log.WriteSendLog("b;Ok");
    EXPECT_TRUE(boxes.boxes.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Attention");
}

}  // namespace
