// The one clock of the program: wall time (now) and a millisecond tick count, in place of Now and
// GetTickCount. Code that schedules, paces or times out asks Clock::instance(); tests install a ManualClock
// so schedulers, watchdogs and countdowns run without waiting. Timers themselves stay QTimer.
#pragma once

#include <QDateTime>
#include <QtGlobal>

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const;       // local wall time
    // Wall time as seconds since 1970 UTC: no time zone is looked at (a message's Date takes its offset
    // from the run's start).
    virtual qint64 secondsSinceEpoch() const;
    virtual qint64 tickCount() const;    // monotonic milliseconds since an arbitrary start

    static Clock& instance();
    // Installs clock (not owned) as the program's clock; nullptr restores the system clock.
    static void setInstance(Clock* clock);
};

// A clock that moves only when told to; for tests.
class ManualClock : public Clock {
public:
    explicit ManualClock(const QDateTime& start = QDateTime(QDate(2026, 1, 1), QTime(12, 0)));
    QDateTime now() const override { return m_now; }
    qint64 secondsSinceEpoch() const override { return m_now.toSecsSinceEpoch(); }
    qint64 tickCount() const override { return m_tick; }
    void advance(qint64 milliseconds);
    void setNow(const QDateTime& now);   // moves wall time only; the tick count stays monotonic

private:
    QDateTime m_now;
    qint64 m_tick = 1000;
};

// Installs a ManualClock for the lifetime of the guard.
class ScopedManualClock : public ManualClock {
public:
    using ManualClock::ManualClock;
    ScopedManualClock() { Clock::setInstance(this); }
    explicit ScopedManualClock(const QDateTime& start) : ManualClock(start) { Clock::setInstance(this); }
    ~ScopedManualClock() override { Clock::setInstance(nullptr); }
    Q_DISABLE_COPY_MOVE(ScopedManualClock)
};
