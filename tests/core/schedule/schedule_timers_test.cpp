// The schedule timers on a manual clock: the countdown and its text, the checks after it, the countdown
// across midnight and a wall clock set back, the series pause armed in chunks up to its 64-bit length,
// and both timers held and given back around the schedule dialog.

#include "core/schedule/schedule_objects.h"
#include "core/schedule/schedule_timers.h"
#include "platform/clock.h"
#include "tests/core/schedule_test_task.h"

#include <gtest/gtest.h>

#include <QTimer>

namespace {

using sorvanta::test::enabledDailyTask;

constexpr qint64 second = 1000;
constexpr qint64 hour = 60 * 60 * second;


class ScheduleCheckTest : public ::testing::Test {
protected:
    ScopedManualClock clock{QDateTime(QDate(2026, 3, 1), QTime(8, 59))};
    QTimer timer;
    ScheduleCheck check{timer};
    TTaskObj task = enabledDailyTask();
};

TEST_F(ScheduleCheckTest, CountsDownThenChecksUntilTheTaskIsDue)
{
    check.startCountdown(scheduleCountdownOnOpen, true);
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), scheduleTickMilliseconds);

    clock.advance(second);
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::CountingDown);
    EXPECT_EQ(check.countdownText(QStringLiteral("Schedule mailing")), QStringLiteral("Schedule mailing (00:00:59)"));

    clock.advance(58 * second + 500);
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::CountingDown);
    EXPECT_EQ(check.countdownText(QStringLiteral("S")), QStringLiteral("S (00:00:00)"));

    clock.advance(500);
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::CountdownOver);
    EXPECT_FALSE(check.countingDown());
    EXPECT_TRUE(timer.isActive());

    // 09:00 reached: the countdown's last tick does not check yet, the next one does.
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::StartRun);
    EXPECT_FALSE(timer.isActive());
}

TEST_F(ScheduleCheckTest, WaitsWhileNotDueOrDuringASeriesPause)
{
    clock.setNow(QDateTime(QDate(2026, 3, 1), QTime(8, 0)));
    check.startCountdown(0, true);
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::CountdownOver);
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::Waiting);

    clock.setNow(QDateTime(QDate(2026, 3, 1), QTime(10, 0)));
    task.SetSeriesPause();
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::Waiting);
    EXPECT_TRUE(timer.isActive());
    task.state = taskIdle;
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::StartRun);
}

TEST_F(ScheduleCheckTest, ADisabledTaskLeavesTheTimerOff)
{
    check.startCountdown(scheduleCountdownOnOpen, false);
    EXPECT_FALSE(timer.isActive());

    check.startCountdown(scheduleCountdownOnOpen, true);
    task.Enabled = false;   // Start pressed by hand during the countdown
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::Off);
    EXPECT_FALSE(timer.isActive());
}

TEST_F(ScheduleCheckTest, TheCountdownRunsItsLengthAcrossMidnightAndClockChanges)
{
    clock.setNow(QDateTime(QDate(2026, 3, 1), QTime(23, 59, 30)));
    check.startCountdown(scheduleCountdownOnOpen, true);
    clock.advance(40 * second);   // 00:00:10 the next day
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::CountingDown);
    EXPECT_EQ(check.countdownRemaining(), 20 * second);

    clock.setNow(clock.now().addSecs(-2 * 3600));   // the wall clock set back two hours
    EXPECT_EQ(check.countdownRemaining(), 20 * second);
    clock.advance(20 * second);
    EXPECT_EQ(check.onTimeout(task), ScheduleTick::CountdownOver);
}

TEST_F(ScheduleCheckTest, SuspendAndResumeGiveTheTimerItsStateBack)
{
    check.startCountdown(scheduleCountdownOnOpen, true);
    check.suspend();
    EXPECT_FALSE(timer.isActive());
    check.resume();
    EXPECT_TRUE(timer.isActive());
    EXPECT_TRUE(check.countingDown());

    check.stop();
    check.suspend();
    check.resume();
    EXPECT_FALSE(timer.isActive());
}

class SeriesPauseTest : public ::testing::Test {
protected:
    ScopedManualClock clock{QDateTime(QDate(2026, 3, 1), QTime(23, 30))};
    QTimer timer;
    SeriesPause pause{timer};
};

TEST_F(SeriesPauseTest, ALongPauseIsArmedInChunks)
{
    pause.start(2 * hour + 30 * 60 * second);
    EXPECT_TRUE(timer.isSingleShot());
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), seriesPauseChunkMilliseconds);

    clock.advance(hour);   // past midnight
    EXPECT_FALSE(pause.onTimeout());
    EXPECT_EQ(timer.interval(), seriesPauseChunkMilliseconds);
    clock.advance(hour);
    EXPECT_FALSE(pause.onTimeout());
    EXPECT_EQ(timer.interval(), 30 * 60 * second);
    clock.advance(30 * 60 * second);
    EXPECT_TRUE(pause.onTimeout());
    EXPECT_FALSE(pause.isActive());
    EXPECT_FALSE(timer.isActive());
}

TEST_F(SeriesPauseTest, TheLongestPauseDoesNotOverflow)
{
    TSeriesObj series;
    series.MailPause = 9999999;
    pause.start(series.pauseMilliseconds());
    EXPECT_EQ(timer.interval(), seriesPauseChunkMilliseconds);
    EXPECT_EQ(pause.remainingMilliseconds(), qint64(9999999) * 60 * 1000);
    clock.advance(series.pauseMilliseconds() - 1);
    EXPECT_FALSE(pause.onTimeout());
    EXPECT_EQ(timer.interval(), 1);
}

TEST_F(SeriesPauseTest, AnEarlyTickArmsWhatIsLeft)
{
    pause.start(10 * second);
    EXPECT_EQ(timer.interval(), 10 * second);
    clock.advance(9 * second + 800);
    EXPECT_FALSE(pause.onTimeout());
    EXPECT_EQ(timer.interval(), 200);
    clock.setNow(clock.now().addDays(-1));   // wall time does not matter
    clock.advance(200);
    EXPECT_TRUE(pause.onTimeout());
}

TEST_F(SeriesPauseTest, StopEndsThePauseAndALateTickIsIgnored)
{
    pause.start(hour);
    pause.stop();
    EXPECT_FALSE(timer.isActive());
    clock.advance(2 * hour);
    EXPECT_FALSE(pause.onTimeout());
    EXPECT_FALSE(timer.isActive());
}

TEST_F(SeriesPauseTest, SuspendAndResumeKeepTheDeadline)
{
    pause.start(hour);
    pause.suspend();
    EXPECT_FALSE(timer.isActive());
    EXPECT_TRUE(pause.isActive());
    clock.advance(20 * 60 * second);
    pause.resume();
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 40 * 60 * second);

    pause.stop();
    pause.resume();
    EXPECT_FALSE(timer.isActive());
}

TEST_F(SeriesPauseTest, AZeroPauseFiresAtOnce)
{
    pause.start(0);
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 0);
    EXPECT_TRUE(pause.onTimeout());
}

}  // namespace
