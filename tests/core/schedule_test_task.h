// The task the scheduler tests start from: enabled, daily, from 1 March 2026 09:00 (a Sunday) to 31 December
// 2026 18:00, never run.
#pragma once

#include "core/schedule/schedule_objects.h"

namespace sorvanta::test {

inline TTaskObj enabledDailyTask()
{
    TTaskObj task;
    task.Enabled = true;
    task.StartDt = QDate(2026, 3, 1);
    task.StartTm = QTime(9, 0);
    task.EndDt = QDate(2026, 12, 31);
    task.EndTm = QTime(18, 0);
    return task;
}

}  // namespace sorvanta::test
