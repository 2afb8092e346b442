// System and manual clocks: see clock.h.

#include "platform/clock.h"

#include <QElapsedTimer>

namespace {
Clock* g_installed = nullptr;
}

QDateTime Clock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 Clock::secondsSinceEpoch() const
{
    return QDateTime::currentSecsSinceEpoch();
}

qint64 Clock::tickCount() const
{
    static QElapsedTimer timer = [] { QElapsedTimer t; t.start(); return t; }();
    return timer.elapsed();
}

Clock& Clock::instance()
{
    static Clock system;
    return g_installed ? *g_installed : system;
}

void Clock::setInstance(Clock* clock)
{
    g_installed = clock;
}

ManualClock::ManualClock(const QDateTime& start) : m_now(start)
{
}

void ManualClock::advance(qint64 milliseconds)
{
    m_now = m_now.addMSecs(milliseconds);
    m_tick += milliseconds;
}

void ManualClock::setNow(const QDateTime& now)
{
    m_now = now;
}
