// The schedule dialog: its controls filled from the task and series and read back, Save writing the
// project file and the program's objects with their run state kept, Cancel and "clear", a failed write,
// and the sending window's schedule button holding and giving back both timers.

#include "core/settings/ini_info.h"
#include "core/schedule/schedule_dialog.h"
#include "core/schedule/schedule_timers.h"
#include "platform/clock.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>

namespace {

using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::onNextModal;
using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

const QByteArray projectWithTask = "[Common]\r\nSubject=Hi\r\n"
                                   "[MailTask]\r\nEnabled=1\r\nStartDt=3/1/2026\r\nStartTm=9:30:00 AM\r\n"
                                   "EndDt=12/31/2026\r\nEndTm=6:00:00 PM\r\nLastDt=3/5/2026 2:05:07 PM\r\n"
                                   "HowRun=2\r\nDaily=3\r\nWeekly=5\r\nMonthly=2049\r\nDayOfMonth=31\r\n"
                                   "OnceDt=7/4/2026\r\nCount=3\r\nSeries=1\r\nMailCount=250\r\nMailPause=15\r\n";

T_Schedule* asSchedule(QWidget* modal)
{
    auto* form = qobject_cast<T_Schedule*>(modal);
    EXPECT_NE(form, nullptr);
    return form;
}

QList<bool> checks(const QListWidget* list)
{
    QList<bool> states;
    for (int i = 0; i < list->count(); ++i)
        states.append(list->item(i)->checkState() == Qt::Checked);
    return states;
}

class ScheduleDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ProjectIniInfo = DefaultIniInfoValues();
        ProjectIniInfo.PathPro = testHome();
        ProjectIniInfo.ProjectName = QStringLiteral("p");
        TaskObj.SetDefaults();
        SeriesObj.SetDefaults();
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    static QString projectFile() { return testHome() + QStringLiteral("p.eml"); }

    ScopedManualClock clock{QDateTime(QDate(2026, 3, 1), QTime(9, 0))};
};

TEST_F(ScheduleDialogTest, FillsTheControlsAndTakesThemBack)
{
    TTaskObj task;
    task.Enabled = true;
    task.StartDt = QDate(2026, 3, 2);
    task.StartTm = QTime(9, 30);
    task.EndDt = QDate(2026, 11, 30);
    task.EndTm = QTime(18, 15, 45);
    task.LastDt = QDateTime(QDate(2026, 3, 5), QTime(14, 5, 7));
    task.HowRun = TaskHowRun::Monthly;
    task.Daily = 3;
    task.Weekly = 0b1000001;
    task.Monthly = 0b100000000010;
    task.DayOfMonth = 31;
    task.OnceDt = QDate(2026, 7, 4);
    task.Count = 3;
    TSeriesObj series;
    series.Series = true;
    series.MailCount = 250;
    series.MailPause = 15;

    T_Schedule form;
    form.fillControls(task, series);
    EXPECT_EQ(form.lblTime->text(), QStringLiteral("Current PC date and time is (3/1/2026 9:00:00 AM)"));
    EXPECT_TRUE(form.cbEnabled->isChecked());
    EXPECT_EQ(form.dpStart->date(), task.StartDt);
    EXPECT_EQ(form.dpEnd->date(), task.EndDt);
    EXPECT_EQ(form.dpStartTime->time(), task.StartTm);
    EXPECT_EQ(form.dpEndTm->time(), task.EndTm);
    EXPECT_EQ(form.seDaily->value(), 3);
    EXPECT_EQ(form.seDayOfMonth->value(), 31);
    EXPECT_EQ(form.eStarted->text(), QStringLiteral("05.03.2026 14:05:07"));
    EXPECT_EQ(form.eLastCnt->text(), QStringLiteral("3"));
    EXPECT_EQ(form.pgC->currentIndex(), 2);
    EXPECT_EQ(form.pgC->tabText(0), QStringLiteral("Daily "));
    EXPECT_EQ(form.pgC->tabText(3), QStringLiteral("Once "));
    EXPECT_EQ(checks(form.clbWeekly), (QList<bool>{true, false, false, false, false, false, true}));
    EXPECT_EQ(form.clbM->item(11)->text(), QStringLiteral("December"));
    EXPECT_EQ(checks(form.clbM),
              (QList<bool>{false, true, false, false, false, false, false, false, false, false, false, true}));
    EXPECT_EQ(form.dpOnce->date(), task.OnceDt);
    EXPECT_TRUE(form.cbSeries->isChecked());
    EXPECT_EQ(form.seMailCount->value(), 250);
    EXPECT_EQ(form.seMailPause->value(), 15);
    EXPECT_EQ(form.seMailCount->maximum(), 9999999);
    EXPECT_EQ(form.seDaily->minimum(), 1);

    TTaskObj taken;
    TSeriesObj takenSeries;
    form.takeControls(taken, takenSeries);
    taken.LastDt = task.LastDt;   // shown only, never taken
    taken.Count = task.Count;
    EXPECT_EQ(taken.Enabled, task.Enabled);
    EXPECT_EQ(taken.StartDt, task.StartDt);
    EXPECT_EQ(taken.StartTm, task.StartTm);
    EXPECT_EQ(taken.EndDt, task.EndDt);
    EXPECT_EQ(taken.EndTm, task.EndTm);
    EXPECT_EQ(taken.HowRun, task.HowRun);
    EXPECT_EQ(taken.Daily, task.Daily);
    EXPECT_EQ(taken.Weekly, task.Weekly);
    EXPECT_EQ(taken.Monthly, task.Monthly);
    EXPECT_EQ(taken.DayOfMonth, task.DayOfMonth);
    EXPECT_EQ(taken.OnceDt, task.OnceDt);
    EXPECT_TRUE(takenSeries.Series);
    EXPECT_EQ(takenSeries.MailCount, 250);
    EXPECT_EQ(takenSeries.MailPause, 15);

    form.pgC->setCurrentIndex(1);
    form.clbWeekly->item(0)->setCheckState(Qt::Unchecked);
    form.clbWeekly->item(2)->setCheckState(Qt::Checked);
    form.takeControls(taken, takenSeries);
    EXPECT_EQ(taken.HowRun, TaskHowRun::Weekly);
    EXPECT_EQ(taken.Weekly, 0b1000100);
}

TEST_F(ScheduleDialogTest, SaveWritesTheEditsAndKeepsTheRunState)
{
    writeFileBytes(projectFile(), projectWithTask);
    TaskObj.SetSeriesPause();
    SeriesObj.SentInPart = 5;
    SeriesObj.NextStartRow = 40;
    onNextModal([](QWidget* modal) {
        T_Schedule* form = asSchedule(modal);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Schedule"));
        EXPECT_EQ(form->seMailCount->value(), 250);
        EXPECT_EQ(form->pgC->currentIndex(), 1);
        form->seMailCount->setValue(300);
        form->clbWeekly->item(1)->setCheckState(Qt::Checked);
        form->sbSave->click();
    });
    EXPECT_TRUE(ScheduleDialogExecute());
    EXPECT_EQ(TaskObj.state, taskSeriesPause);
    EXPECT_TRUE(TaskObj.Enabled);
    EXPECT_EQ(TaskObj.Weekly, 7);
    EXPECT_EQ(TaskObj.Count, 3);
    EXPECT_EQ(SeriesObj.MailCount, 300);
    EXPECT_EQ(SeriesObj.SentInPart, 5);
    EXPECT_EQ(SeriesObj.NextStartRow, 40);

    QByteArray expected = projectWithTask;
    expected.replace("Weekly=5", "Weekly=7").replace("MailCount=250", "MailCount=300");
    EXPECT_EQ(readFileBytes(projectFile()), expected);
}

TEST_F(ScheduleDialogTest, CancelLeavesTheObjectsAndTheFile)
{
    writeFileBytes(projectFile(), projectWithTask);
    TaskObj.Enabled = false;   // Start pressed by hand
    SeriesObj.NextStartRow = 40;
    onNextModal([](QWidget* modal) {
        T_Schedule* form = asSchedule(modal);
        form->cbEnabled->setChecked(false);
        form->SpeedButton4->click();
        form->SpeedButton11->click();
    });
    EXPECT_FALSE(ScheduleDialogExecute());
    EXPECT_FALSE(TaskObj.Enabled);
    EXPECT_EQ(TaskObj.Count, 0);
    EXPECT_EQ(SeriesObj.NextStartRow, 40);
    EXPECT_EQ(SeriesObj.MailCount, 1000);
    EXPECT_EQ(readFileBytes(projectFile()), projectWithTask);
}

TEST_F(ScheduleDialogTest, ClearForgetsTheLastRunWhenSaved)
{
    writeFileBytes(projectFile(), projectWithTask);
    QString startedAfterClear = QStringLiteral("<unset>");
    onNextModal([&](QWidget* modal) {
        T_Schedule* form = asSchedule(modal);
        EXPECT_EQ(form->eStarted->text(), QStringLiteral("05.03.2026 14:05:07"));
        form->SpeedButton4->click();
        startedAfterClear = form->eStarted->text() + form->eLastCnt->text();
        form->sbSave->click();
    });
    EXPECT_TRUE(ScheduleDialogExecute());
    EXPECT_TRUE(startedAfterClear.isEmpty());
    EXPECT_FALSE(TaskObj.LastDt.isValid());
    EXPECT_EQ(TaskObj.Count, 0);
    const QByteArray written = readFileBytes(projectFile());
    EXPECT_TRUE(written.contains("\r\nLastDt=\r\n"));
    EXPECT_TRUE(written.contains("\r\nCount=0\r\n"));
}

TEST_F(ScheduleDialogTest, AFailedWriteIsReportedAndTheSettingsStillApply)
{
    ASSERT_TRUE(QDir().mkpath(projectFile()));
    MessageBoxRecorder boxes;
    onNextModal([](QWidget* modal) {
        T_Schedule* form = asSchedule(modal);
        form->cbEnabled->setChecked(true);
        form->sbSave->click();
    });
    EXPECT_TRUE(ScheduleDialogExecute());
    EXPECT_TRUE(TaskObj.Enabled);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("File Save Error : ") + projectFile());
    EXPECT_EQ(boxes.boxes[0].caption, QStringLiteral("Attention"));
}

TEST_F(ScheduleDialogTest, TheScheduleButtonHoldsBothTimersWhileTheDialogIsOpen)
{
    writeFileBytes(projectFile(), projectWithTask);
    QTimer timerSch;
    QTimer timerSer;
    ScheduleCheck check(timerSch);
    SeriesPause pause(timerSer);
    pause.start(10 * 60 * 1000);

    bool heldWhileOpen = false;
    onNextModal([&](QWidget* modal) {
        heldWhileOpen = !timerSch.isActive() && !timerSer.isActive();
        clock.advance(60 * 1000);
        asSchedule(modal)->SpeedButton11->click();
    });
    EXPECT_FALSE(scheduleButtonClick(check, pause));
    EXPECT_TRUE(heldWhileOpen);
    EXPECT_FALSE(timerSch.isActive());   // it was off before
    EXPECT_TRUE(timerSer.isActive());
    EXPECT_EQ(timerSer.interval(), 9 * 60 * 1000);

    onNextModal([](QWidget* modal) { asSchedule(modal)->sbSave->click(); });
    EXPECT_TRUE(scheduleButtonClick(check, pause));
    EXPECT_TRUE(timerSch.isActive());   // the saved task is enabled
    EXPECT_TRUE(check.countingDown());
    EXPECT_EQ(check.countdownRemaining(), scheduleCountdownAfterDialog);
    EXPECT_TRUE(timerSer.isActive());
}

}  // namespace
