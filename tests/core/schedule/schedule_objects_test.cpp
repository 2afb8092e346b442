// The task and series objects: defaults from the clock, "MailTask" read and written byte for byte with the
// rest of the project file kept, the user's date and time formats, unreadable values, MarkRun and a file
// that cannot be written.

#include "core/settings/ini_info.h"
#include "core/project/project_files.h"
#include "core/schedule/schedule_objects.h"
#include "core/base/user_date_format.h"
#include "platform/clock.h"
#include "platform/ini_file.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>

namespace {

using sorvanta::test::readFileBytes;
using sorvanta::test::sourcePath;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

// The open project is testHome()/p; the user's locale is the one given.
class ScheduleObjectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProjectIniInfo = DefaultIniInfoValues();
        ProjectIniInfo.PathPro = testHome();
        ProjectIniInfo.ProjectName = QStringLiteral("p");
        useLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    static void useLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    static QString projectFile() { return testHome() + QStringLiteral("p.eml"); }
};

TEST_F(ScheduleObjectsTest, DefaultsComeFromTheClock)
{
    ScopedManualClock clock(QDateTime(QDate(2026, 1, 31), QTime(10, 20, 30, 500)));
    TTaskObj task;
    task.state = taskSeriesPause;
    task.SetDefaults();
    EXPECT_EQ(task.state, taskIdle);
    EXPECT_FALSE(task.Enabled);
    EXPECT_EQ(task.StartDt, QDate(2026, 1, 31));
    EXPECT_EQ(task.StartTm, QTime(10, 20, 30));
    EXPECT_EQ(task.EndDt, QDate(2026, 2, 28));
    EXPECT_EQ(task.EndTm, QTime(11, 20, 30));
    EXPECT_FALSE(task.LastDt.isValid());
    EXPECT_EQ(task.HowRun, TaskHowRun::Daily);
    EXPECT_EQ(task.Daily, 1);
    EXPECT_EQ(task.Weekly, 0);
    EXPECT_EQ(task.Monthly, 1);
    EXPECT_EQ(task.DayOfMonth, 1);
    EXPECT_EQ(task.OnceDt, QDate(2026, 1, 31));
    EXPECT_EQ(task.Count, 0);

    TSeriesObj series;
    series.SentInPart = 7;
    series.NextStartRow = 9;
    series.SetDefaults();
    EXPECT_FALSE(series.Series);
    EXPECT_EQ(series.MailCount, 1000);
    EXPECT_EQ(series.MailPause, 1);
    EXPECT_EQ(series.SentInPart, 0);
    EXPECT_EQ(series.NextStartRow, 0);
}

TEST_F(ScheduleObjectsTest, DefaultEndTimeAfterElevenStaysOnTheSameDay)
{
    ScopedManualClock clock(QDateTime(QDate(2026, 5, 10), QTime(23, 30)));
    TTaskObj task;
    task.SetDefaults();
    EXPECT_EQ(task.EndTm, QTime(23, 59, 59));
}

TEST_F(ScheduleObjectsTest, ReadsEveryKeyAndWritesTheFileBackByteForByte)
{
    const QByteArray original = readFileBytes(sourcePath(QStringLiteral("core/data/schedule_project.eml")));
    writeFileBytes(projectFile(), original);
    TTaskObj task;
    TSeriesObj series;
    task.LoadFromIni();
    series.LoadFromIni();

    EXPECT_TRUE(task.Enabled);
    EXPECT_EQ(task.StartDt, QDate(2026, 3, 1));
    EXPECT_EQ(task.StartTm, QTime(9, 30));
    EXPECT_EQ(task.EndDt, QDate(2026, 12, 31));
    EXPECT_EQ(task.EndTm, QTime(18, 15, 45));
    EXPECT_EQ(task.LastDt, QDateTime(QDate(2026, 3, 5), QTime(14, 5, 7)));
    EXPECT_EQ(task.HowRun, TaskHowRun::Monthly);
    EXPECT_EQ(task.Daily, 2);
    EXPECT_EQ(task.Weekly, 65);
    EXPECT_EQ(task.Monthly, 2049);
    EXPECT_EQ(task.DayOfMonth, 31);
    EXPECT_EQ(task.OnceDt, QDate(2026, 7, 4));
    EXPECT_EQ(task.Count, 3);
    EXPECT_TRUE(series.Series);
    EXPECT_EQ(series.MailCount, 250);
    EXPECT_EQ(series.MailPause, 15);

    ASSERT_TRUE(SaveScheduleToIni(task, series));
    EXPECT_EQ(readFileBytes(projectFile()), original);
}

TEST_F(ScheduleObjectsTest, WritesANewSectionInKeyOrderAfterTheOthers)
{
    writeFileBytes(projectFile(), "[Common]\r\nSubject=Hello\r\n");
    TTaskObj task;
    task.Enabled = true;
    task.StartDt = QDate(2026, 3, 1);
    task.StartTm = QTime(9, 0);
    task.EndDt = QDate(2026, 4, 1);
    task.EndTm = QTime(22, 0);
    task.HowRun = TaskHowRun::Once;
    task.OnceDt = QDate(2026, 3, 2);
    TSeriesObj series;
    ASSERT_TRUE(task.SaveToIni());
    ASSERT_TRUE(series.SaveToIni());
    EXPECT_EQ(readFileBytes(projectFile()),
              "[Common]\r\nSubject=Hello\r\n"
              "[MailTask]\r\nEnabled=1\r\nStartDt=3/1/2026\r\nStartTm=9:00:00 AM\r\nEndDt=4/1/2026\r\n"
              "EndTm=10:00:00 PM\r\nLastDt=\r\nHowRun=8\r\nDaily=1\r\nWeekly=0\r\nMonthly=1\r\nDayOfMonth=1\r\n"
              "OnceDt=3/2/2026\r\nCount=0\r\nSeries=0\r\nMailCount=1000\r\nMailPause=1\r\n");
}

TEST_F(ScheduleObjectsTest, HowRunIsReadFromItsBits)
{
    const std::pair<const char*, TaskHowRun> cases[] = {
        {"1", TaskHowRun::Daily},   {"2", TaskHowRun::Weekly}, {"4", TaskHowRun::Monthly},
        {"8", TaskHowRun::Once},    {"3", TaskHowRun::Daily},  {"0", TaskHowRun::Daily},
        {"abc", TaskHowRun::Daily},
    };
    for (const auto& [stored, expected] : cases) {
        writeFileBytes(projectFile(), QByteArray("[MailTask]\r\nHowRun=") + stored + "\r\n");
        TTaskObj task;
        task.LoadFromIni();
        EXPECT_EQ(task.HowRun, expected) << stored;
    }
}

TEST_F(ScheduleObjectsTest, MissingFileAndUnreadableValuesKeepTheDefaults)
{
    ScopedManualClock clock(QDateTime(QDate(2026, 6, 1), QTime(8, 0)));
    TTaskObj task;
    task.LoadFromIni();
    EXPECT_EQ(task.StartDt, QDate(2026, 6, 1));
    EXPECT_EQ(task.Monthly, 1);

    writeFileBytes(projectFile(), "[MailTask]\r\nStartDt=31/31/2026\r\nStartTm=\r\nEndDt= \r\nEndTm=late\r\n"
                                  "LastDt=soon\r\nDaily=x\r\nOnceDt=2026-07-04\r\n");
    task.LoadFromIni();
    EXPECT_EQ(task.StartDt, QDate(2026, 6, 1));
    EXPECT_EQ(task.StartTm, QTime(8, 0));
    EXPECT_EQ(task.EndDt, QDate(2026, 7, 1));
    EXPECT_EQ(task.EndTm, QTime(9, 0));
    EXPECT_FALSE(task.LastDt.isValid());
    EXPECT_EQ(task.Daily, 1);
    EXPECT_EQ(task.OnceDt, QDate(2026, 7, 4));   // ISO dates are read too
}

TEST_F(ScheduleObjectsTest, TheOldZeroDateMeansNeverRun)
{
    writeFileBytes(projectFile(), "[MailTask]\r\nLastDt=12/30/1899\r\n");
    TTaskObj task;
    task.LoadFromIni();
    EXPECT_FALSE(task.LastDt.isValid());
}

TEST_F(ScheduleObjectsTest, ValuesSurviveEveryLocaleWithFourDigitYears)
{
    const QLocale locales[] = {QLocale::c(), QLocale(QLocale::German, QLocale::Germany),
                               QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale(QLocale::Russian),
                               QLocale(QLocale::English, QLocale::UnitedStates)};
    for (const QLocale& locale : locales) {
        useLocale(locale);
        EXPECT_TRUE(userDateFormat().contains(QLatin1String("yyyy"))) << locale.name().toStdString();
        EXPECT_FALSE(userTimeFormat().contains(QLatin1Char('t'))) << locale.name().toStdString();
        TTaskObj written;
        written.SetDefaults();
        written.StartDt = QDate(2031, 11, 9);
        written.EndTm = QTime(17, 45, 12);
        written.LastDt = QDateTime(QDate(2030, 2, 3), QTime(4, 5, 6));
        ASSERT_TRUE(written.SaveToIni());
        TTaskObj read;
        read.LoadFromIni();
        EXPECT_EQ(read.StartDt, written.StartDt) << locale.name().toStdString();
        EXPECT_EQ(read.EndTm, written.EndTm) << locale.name().toStdString();
        EXPECT_EQ(read.LastDt, written.LastDt) << locale.name().toStdString();
    }
}

TEST_F(ScheduleObjectsTest, MarkRunCountsAndStoresTheRun)
{
    ScopedManualClock clock(QDateTime(QDate(2026, 3, 9), QTime(9, 0, 1, 250)));
    TTaskObj task;
    task.SetDefaults();
    task.Enabled = true;
    task.Count = 4;
    task.SetSeriesPause();
    ASSERT_TRUE(task.MarkRun());
    EXPECT_EQ(task.state, taskIdle);
    EXPECT_EQ(task.Count, 5);
    EXPECT_EQ(task.LastDt, QDateTime(QDate(2026, 3, 9), QTime(9, 0, 1)));
    TTaskObj stored;
    stored.LoadFromIni();
    EXPECT_EQ(stored.Count, 5);
    EXPECT_EQ(stored.LastDt, task.LastDt);
    EXPECT_TRUE(stored.Enabled);
}

TEST_F(ScheduleObjectsTest, TheProjectSaveKeepsTheSection)
{
    TTaskObj task;
    task.SetDefaults();
    task.Weekly = 42;
    TSeriesObj series;
    series.MailCount = 77;
    ASSERT_TRUE(SaveScheduleToIni(task, series));
    ASSERT_TRUE(WriteMailProjectFile({QStringLiteral("/tmp/a.pdf")}));
    TTaskObj readTask;
    TSeriesObj readSeries;
    readTask.LoadFromIni();
    readSeries.LoadFromIni();
    EXPECT_EQ(readTask.Weekly, 42);
    EXPECT_EQ(readSeries.MailCount, 77);
}

TEST_F(ScheduleObjectsTest, AFileThatCannotBeWrittenIsReportedAndKept)
{
    ASSERT_TRUE(QDir().mkpath(projectFile()));   // a folder where the file should be
    QString error;
    TTaskObj task;
    task.SetDefaults();
    EXPECT_FALSE(task.SaveToIni(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(SaveScheduleToIni(task, TSeriesObj(), &error));
    EXPECT_TRUE(QFileInfo(projectFile()).isDir());
}

TEST_F(ScheduleObjectsTest, TakeSettingsKeepsTheRunState)
{
    TTaskObj running;
    running.SetSeriesPause();
    TTaskObj edited;
    edited.Enabled = true;
    edited.Daily = 9;
    running.takeSettings(edited);
    EXPECT_EQ(running.state, taskSeriesPause);
    EXPECT_TRUE(running.Enabled);
    EXPECT_EQ(running.Daily, 9);

    TSeriesObj series;
    series.SentInPart = 12;
    series.NextStartRow = 40;
    TSeriesObj settings;
    settings.Series = true;
    settings.MailCount = 5;
    settings.MailPause = 3;
    series.takeSettings(settings);
    EXPECT_TRUE(series.on());
    EXPECT_EQ(series.MailCount, 5);
    EXPECT_EQ(series.SentInPart, 12);
    EXPECT_EQ(series.NextStartRow, 40);
    settings.MailPause = 9999999;
    EXPECT_EQ(settings.pauseMilliseconds(), qint64(9999999) * 60 * 1000);
}

}  // namespace
