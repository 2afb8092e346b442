// The scheduled task's due test: the window of dates and times, daily, weekly, monthly and once, runs
// missed while the program was not running, the day of month cut to the month's length, and tasks that
// already ran. 1 March 2026 is a Sunday.

#include "core/schedule/schedule_due.h"
#include "core/schedule/schedule_objects.h"
#include "platform/clock.h"
#include "tests/core/schedule_test_task.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using sorvanta::test::enabledDailyTask;

QDateTime at(int month, int day, int hour, int minute = 0, int year = 2026)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}


struct DueCase {
    const char* name;
    std::function<void(TTaskObj&)> setup;
    QDateTime now;
    bool due;
};

class ScheduleDueTest : public ::testing::TestWithParam<DueCase> {};

TEST_P(ScheduleDueTest, AnswersWhetherTheTaskRunsNow)
{
    TTaskObj task = enabledDailyTask();
    GetParam().setup(task);
    EXPECT_EQ(IsTaskDue(task, GetParam().now), GetParam().due);
}

void daily(TTaskObj& task) { task.HowRun = TaskHowRun::Daily; }

auto dailyEvery(int days, QDateTime lastRun)
{
    return [=](TTaskObj& task) {
        task.HowRun = TaskHowRun::Daily;
        task.Daily = days;
        task.LastDt = lastRun;
    };
}

auto weekly(int bits, QDateTime lastRun = {})
{
    return [=](TTaskObj& task) {
        task.HowRun = TaskHowRun::Weekly;
        task.Weekly = bits;
        task.LastDt = lastRun;
    };
}

auto monthly(int bits, int dayOfMonth, QDateTime lastRun = {}, QDate start = QDate(2026, 3, 1))
{
    return [=](TTaskObj& task) {
        task.HowRun = TaskHowRun::Monthly;
        task.Monthly = bits;
        task.DayOfMonth = dayOfMonth;
        task.LastDt = lastRun;
        task.StartDt = start;
    };
}

auto once(QDate day, QDateTime lastRun = {})
{
    return [=](TTaskObj& task) {
        task.HowRun = TaskHowRun::Once;
        task.OnceDt = day;
        task.LastDt = lastRun;
    };
}

auto oneDayWindowEndingBeforeItStarts()
{
    return [](TTaskObj& task) {
        task.EndDt = task.StartDt;
        task.EndTm = QTime(8, 0);
    };
}

constexpr int monday = 1 << 0;
constexpr int sunday = 1 << 6;
constexpr int january = 1 << 0;
constexpr int april = 1 << 3;
constexpr int may = 1 << 4;

INSTANTIATE_TEST_SUITE_P(
    Window, ScheduleDueTest,
    ::testing::Values(
        DueCase{"day_before_the_first_day", daily, at(2, 28, 12), false},
        DueCase{"first_day_before_start_time", daily, at(3, 1, 8, 59), false},
        DueCase{"first_day_at_start_time", daily, at(3, 1, 9), true},
        DueCase{"last_day_at_end_time", dailyEvery(1, at(12, 30, 9)), at(12, 31, 18), true},
        DueCase{"last_day_after_end_time", dailyEvery(1, at(12, 30, 9)), at(12, 31, 18, 1), false},
        DueCase{"day_after_the_last_day", daily, at(1, 1, 12, 0, 2027), false},
        DueCase{"one_day_window_ending_before_it_starts_early", oneDayWindowEndingBeforeItStarts(), at(3, 1, 7),
                false},
        DueCase{"one_day_window_ending_before_it_starts_late", oneDayWindowEndingBeforeItStarts(), at(3, 1, 10),
                false}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Daily, ScheduleDueTest,
    ::testing::Values(
        DueCase{"every_second_day_not_on_the_next_day", dailyEvery(2, at(3, 3, 10)), at(3, 4, 12), false},
        DueCase{"every_second_day_due_day_before_start_time", dailyEvery(2, at(3, 3, 10)), at(3, 5, 8), false},
        DueCase{"every_second_day_due_day_from_start_time", dailyEvery(2, at(3, 3, 10)), at(3, 5, 9), true},
        DueCase{"every_second_day_missed_day_at_any_time", dailyEvery(2, at(3, 3, 10)), at(3, 6, 1), true},
        DueCase{"already_run_today", dailyEvery(1, at(3, 5, 9)), at(3, 5, 15), false},
        DueCase{"zero_days_counts_as_one", dailyEvery(0, at(3, 5, 9)), at(3, 5, 15), false},
        DueCase{"negative_days_counts_as_one", dailyEvery(-3, at(3, 5, 9)), at(3, 6, 9), true}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Weekly, ScheduleDueTest,
    ::testing::Values(
        DueCase{"no_day_checked", weekly(0), at(3, 9, 12), false},
        DueCase{"checked_day_today_before_start_time", weekly(monday, at(3, 2, 9)), at(3, 9, 8), false},
        DueCase{"checked_day_today_from_start_time", weekly(monday, at(3, 2, 9)), at(3, 9, 9), true},
        DueCase{"checked_day_missed_yesterday", weekly(monday, at(3, 2, 9)), at(3, 10, 8), true},
        DueCase{"checked_day_already_run", weekly(monday, at(3, 9, 9)), at(3, 10, 12), false},
        DueCase{"sunday_is_bit_six", weekly(sunday), at(3, 8, 10), true},
        DueCase{"unchecked_day", weekly(sunday, at(3, 1, 9)), at(3, 7, 12), false}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Monthly, ScheduleDueTest,
    ::testing::Values(
        DueCase{"no_month_checked", monthly(0, 15), at(3, 20, 12), false},
        DueCase{"first_run_before_the_day", monthly(0xFFF, 15), at(3, 10, 12), false},
        DueCase{"first_run_on_the_day", monthly(0xFFF, 15), at(3, 15, 9), true},
        DueCase{"start_after_the_day_waits_for_next_month", monthly(0xFFF, 15, {}, QDate(2026, 3, 20)),
                at(3, 25, 12), false},
        DueCase{"start_after_the_day_runs_next_month", monthly(0xFFF, 15, {}, QDate(2026, 3, 20)), at(4, 15, 9),
                true},
        DueCase{"day_31_on_the_30th_of_a_30_day_month", monthly(0xFFF, 31, at(3, 31, 10)), at(4, 30, 9), true},
        DueCase{"day_31_not_on_the_29th_of_a_30_day_month", monthly(0xFFF, 31, at(3, 31, 10)), at(4, 29, 12),
                false},
        DueCase{"day_31_on_the_28th_of_february", monthly(0xFFF, 31, at(1, 31, 10), QDate(2026, 1, 1)),
                at(2, 28, 9), true},
        DueCase{"already_run_this_month", monthly(0xFFF, 15, at(4, 15, 9)), at(4, 28, 12), false},
        DueCase{"unchecked_month", monthly(may, 15, at(3, 15, 9)), at(4, 20, 12), false},
        DueCase{"missed_month_made_up", monthly(april, 15, at(3, 15, 9)), at(5, 20, 12), true},
        DueCase{"missed_month_seen_past_a_short_month", monthly(january, 30, at(12, 30, 9, 0, 2025), QDate(2026, 1, 1)),
                at(3, 31, 12), true},
        DueCase{"last_run_long_before_the_window", monthly(0xFFF, 15, at(1, 15, 9, 0, 2025)), at(3, 10, 12),
                false}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Once, ScheduleDueTest,
    ::testing::Values(
        DueCase{"day_not_reached", once(QDate(2026, 4, 1)), at(3, 20, 12), false},
        DueCase{"on_the_day_before_start_time", once(QDate(2026, 3, 20)), at(3, 20, 8), false},
        DueCase{"on_the_day_from_start_time", once(QDate(2026, 3, 20)), at(3, 20, 9), true},
        DueCase{"day_passed_never_run", once(QDate(2026, 3, 5)), at(3, 20, 8), true},
        DueCase{"already_run", once(QDate(2026, 3, 5), at(3, 5, 9)), at(3, 20, 12), false},
        DueCase{"window_ended", once(QDate(2026, 3, 5)), at(1, 2, 12, 0, 2027), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScheduleDue, IsDueAsksTheProgramClock)
{
    TTaskObj task = enabledDailyTask();
    ScopedManualClock clock(at(3, 1, 8, 59));
    EXPECT_FALSE(task.IsDue());
    clock.advance(60 * 1000);
    EXPECT_TRUE(task.IsDue());
}

}  // namespace
