// The injectable clock: the system clock by default, a manual clock while a test installs one, and the tick
// count staying monotonic when the manual wall time is set back.

#include "platform/clock.h"

#include <gtest/gtest.h>

#include <QDateTime>

namespace {

TEST(ClockTest, SystemClockRunsWithRealTime)
{
    const QDateTime before = QDateTime::currentDateTime();
    const QDateTime now = Clock::instance().now();
    EXPECT_LE(before.msecsTo(now), 1000);
    EXPECT_GE(before.msecsTo(now), 0);
    const qint64 tick = Clock::instance().tickCount();
    EXPECT_GE(Clock::instance().tickCount(), tick);
}

TEST(ClockTest, ScopedManualClockIsInForceWhileItLives)
{
    const QDateTime start(QDate(2009, 3, 5), QTime(14, 7, 9));
    {
        ScopedManualClock clock(start);
        EXPECT_EQ(&Clock::instance(), &clock);
        EXPECT_EQ(Clock::instance().now(), start);
        const qint64 tick = Clock::instance().tickCount();

        clock.advance(1500);
        EXPECT_EQ(Clock::instance().now(), start.addMSecs(1500));
        EXPECT_EQ(Clock::instance().tickCount(), tick + 1500);

        clock.setNow(start.addDays(-1));   // wall time set back: the tick count does not move
        EXPECT_EQ(Clock::instance().now(), start.addDays(-1));
        EXPECT_EQ(Clock::instance().tickCount(), tick + 1500);
    }
    EXPECT_LE(QDateTime::currentDateTime().msecsTo(Clock::instance().now()), 1000);
}

TEST(ClockTest, InstalledClockIsNotOwnedAndNullRestoresTheSystemClock)
{
    ManualClock clock;
    Clock::setInstance(&clock);
    EXPECT_EQ(&Clock::instance(), &clock);
    Clock::setInstance(nullptr);
    EXPECT_NE(&Clock::instance(), &clock);
}

}  // namespace
