// The scheduled task's due test: a pure function of the task and a local date and time, so it is tested
// with any clock. The task must lie inside its window (StartDt at StartTm to EndDt at EndTm); then a run
// missed while the program was not running is made up at the next check.
#pragma once

#include <QDateTime>

class TTaskObj;

// Daily: on the day after the last run + Daily days at any time, on that day from StartTm (the first
// run: StartDt). Weekly: a checked weekday after the last run, up to a week back, today from StartTm.
// Monthly: a checked month, from the month after the last run on, DayOfMonth cut to the month's length,
// up to a year back, today from StartTm. Once: never run, OnceDt reached (on that day from StartTm).
// A Daily below 1 counts as 1, so a run can never make the task due again on the same day.
bool IsTaskDue(const TTaskObj& task, const QDateTime& now);
