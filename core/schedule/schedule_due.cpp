// The due test of the scheduled task: see schedule_due.h.

#include "core/schedule/schedule_due.h"

#include "core/schedule/schedule_objects.h"
#include "platform/clock.h"

#include <algorithm>

namespace {

// Today's date and time of day, compared field by field with the task's dates and times of day.
struct Moment {
    QDate day;
    QTime time;
};

bool insideWindow(const TTaskObj& task, const Moment& now)
{
    if (now.day < task.StartDt || (now.day == task.StartDt && now.time < task.StartTm))
        return false;
    return !(now.day > task.EndDt || (now.day == task.EndDt && now.time > task.EndTm));
}

// The run day may be today only once StartTm is reached; an earlier day is always past.
bool dayReached(const QDate& day, const TTaskObj& task, const Moment& now)
{
    return day < now.day || (day == now.day && now.time >= task.StartTm);
}

bool neverRun(const TTaskObj& task)
{
    return !task.LastDt.isValid();
}

bool dailyDue(const TTaskObj& task, const Moment& now)
{
    const QDate next = neverRun(task) ? task.StartDt : task.LastDt.date().addDays(std::max(task.Daily, 1));
    return dayReached(next, task, now);
}

// Looks back from today over steps run days (dayBack(0) is today) while they are not before lower, for a
// day that is checked and reached.
template <typename DayBack, typename Checked>
bool checkedDayReached(const TTaskObj& task, const Moment& now, const QDate& lower, int steps, DayBack dayBack,
                       Checked checked)
{
    for (int back = 0; back < steps; ++back) {
        const QDate day = dayBack(back);
        if (day < lower)
            return false;
        if (checked(day) && dayReached(day, task, now))
            return true;
    }
    return false;
}

bool weeklyDue(const TTaskObj& task, const Moment& now)
{
    if (task.Weekly < 1)
        return false;
    const QDate lower = neverRun(task) ? task.StartDt : task.LastDt.date().addDays(1);
    return checkedDayReached(
        task, now, lower, 7, [&](int back) { return now.day.addDays(-back); },
        [&](const QDate& day) { return (task.Weekly & (1 << (day.dayOfWeek() - 1))) != 0; });   // Monday bit 0
}

// DayOfMonth in month's year and month, cut to that month's length.
QDate dayInMonth(const QDate& month, int dayOfMonth)
{
    return QDate(month.year(), month.month(), std::min(dayOfMonth, month.daysInMonth()));
}

// The first day a monthly run may fall on.
QDate monthlyLowerBound(const TTaskObj& task)
{
    const QDate lower = neverRun(task) ? task.StartDt : task.LastDt.date().addMonths(1);
    if (task.DayOfMonth <= 0)
        return lower;
    // The run day of lower's month, else the first run day on or after StartDt.
    QDate runDay = dayInMonth(lower, task.DayOfMonth);
    if (runDay < task.StartDt)
        runDay = dayInMonth(task.StartDt, task.DayOfMonth);
    if (runDay < task.StartDt)
        runDay = dayInMonth(task.StartDt.addMonths(1), task.DayOfMonth);
    return runDay;
}

bool monthlyDue(const TTaskObj& task, const Moment& now)
{
    if (task.Monthly < 1)
        return false;
    // Each step back from today itself, so a short month on the way does not wear the day down.
    return checkedDayReached(
        task, now, monthlyLowerBound(task), 12, [&](int back) { return now.day.addMonths(-back); },
        [&](const QDate& day) { return (task.Monthly & (1 << (day.month() - 1))) != 0; });   // January bit 0
}

bool onceDue(const TTaskObj& task, const Moment& now)
{
    return neverRun(task) && dayReached(task.OnceDt, task, now);
}

}  // namespace

bool IsTaskDue(const TTaskObj& task, const QDateTime& now)
{
    const Moment moment{now.date(), now.time()};
    if (!insideWindow(task, moment))
        return false;
    switch (task.HowRun) {
    case TaskHowRun::Daily: return dailyDue(task, moment);
    case TaskHowRun::Weekly: return weeklyDue(task, moment);
    case TaskHowRun::Monthly: return monthlyDue(task, moment);
    case TaskHowRun::Once: return onceDue(task, moment);
    }
    Q_UNREACHABLE();
}

// The task's own test, here beside the rule it applies.
bool TTaskObj::IsDue() const
{
    return IsTaskDue(*this, Clock::instance().now());
}
