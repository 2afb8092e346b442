// The schedule countdown, the task check and the series pause: see schedule_timers.h.

#include "core/schedule/schedule_timers.h"

#include "core/schedule/schedule_objects.h"
#include "platform/clock.h"

#include <QTimer>

#include <algorithm>

namespace {

qint64 ticksNow()
{
    return Clock::instance().tickCount();
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

}  // namespace

ScheduleCheck::ScheduleCheck(QTimer& timer) : m_timer(timer)
{
    m_timer.setSingleShot(false);
}

void ScheduleCheck::startCountdown(qint64 milliseconds, bool taskEnabled)
{
    m_countingDown = true;
    m_wasActive = false;
    m_deadline = ticksNow() + milliseconds;
    m_timer.setInterval(scheduleTickMilliseconds);
    if (taskEnabled)
        m_timer.start();
    else
        m_timer.stop();
}

ScheduleTick ScheduleCheck::onTimeout(const TTaskObj& task)
{
    if (!task.Enabled) {
        stop();
        return ScheduleTick::Off;
    }
    if (m_countingDown) {
        if (countdownRemaining() > 0)
            return ScheduleTick::CountingDown;
        m_countingDown = false;
        return ScheduleTick::CountdownOver;
    }
    if (task.state == taskSeriesPause || !task.IsDue())
        return ScheduleTick::Waiting;
    m_timer.stop();
    return ScheduleTick::StartRun;
}

void ScheduleCheck::stop()
{
    m_timer.stop();
    m_wasActive = false;
}

void ScheduleCheck::suspend()
{
    m_wasActive = m_timer.isActive();
    m_timer.stop();
}

void ScheduleCheck::resume()
{
    if (m_wasActive)
        m_timer.start(scheduleTickMilliseconds);
    m_wasActive = false;
}

qint64 ScheduleCheck::countdownRemaining() const
{
    return m_countingDown ? std::max<qint64>(m_deadline - ticksNow(), 0) : 0;
}

QString ScheduleCheck::countdownText(const QString& scheduleText) const
{
    const qint64 seconds = countdownRemaining() / 1000;
    return scheduleText + QStringLiteral(" (") + twoDigits(seconds / 3600) + QLatin1Char(':')
           + twoDigits(seconds / 60 % 60) + QLatin1Char(':') + twoDigits(seconds % 60) + QLatin1Char(')');
}

SeriesPause::SeriesPause(QTimer& timer) : m_timer(timer)
{
    m_timer.setSingleShot(true);
}

void SeriesPause::start(qint64 milliseconds)
{
    m_active = true;
    m_deadline = ticksNow() + std::max<qint64>(milliseconds, 0);
    armNextChunk();
}

bool SeriesPause::onTimeout()
{
    if (!m_active)
        return false;   // a late tick after stop()
    if (remainingMilliseconds() > 0) {
        armNextChunk();
        return false;
    }
    stop();
    return true;
}

void SeriesPause::stop()
{
    m_active = false;
    m_timer.stop();
}

void SeriesPause::suspend()
{
    m_timer.stop();
}

void SeriesPause::resume()
{
    if (m_active)
        armNextChunk();
}

qint64 SeriesPause::remainingMilliseconds() const
{
    return m_active ? std::max<qint64>(m_deadline - ticksNow(), 0) : 0;
}

void SeriesPause::armNextChunk()
{
    m_timer.start(int(std::min<qint64>(remainingMilliseconds(), seriesPauseChunkMilliseconds)));
}
