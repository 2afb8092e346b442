// Date-header text and time-zone offset under several TZ values: the offset in force at that moment,
// daylight saving included, and "+0000" for UTC.

#include "transport/mime/mail_date.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QDateTime>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace {

// Sets TZ for one test and restores the previous value.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_previous = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_previous)
            setenv("TZ", m_previous->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_previous;
};

std::time_t utc(int year, int month, int day, int hour, int minute, int second)
{
    return std::time_t(QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC)
                           .toSecsSinceEpoch());
}

struct DateCase {
    const char* name;
    const char* zone;       // POSIX TZ strings, so no time-zone database is needed
    std::time_t moment;
    const char* date;
};

void PrintTo(const DateCase& c, std::ostream* os) { *os << c.name; }

class FormatMailDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(FormatMailDateTest, LocalTimeWithOffsetInForce)
{
    const ScopedTimeZone zone(GetParam().zone);
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(GetParam().moment);
    EXPECT_EQ(FormatMailDate(moment), QString::fromLatin1(GetParam().date));
    EXPECT_EQ(TimeZoneText(GetParam().moment), FormatMailDate(moment).section(' ', -1));
}

INSTANTIATE_TEST_SUITE_P(
    Zones, FormatMailDateTest,
    ::testing::Values(
        DateCase{"utc_has_zone", "UTC0", utc(2000, 1, 1, 0, 0, 0), "1 JAN 00 00:00:00 +0000"},
        DateCase{"east_no_daylight_saving", "MSK-3", utc(2009, 3, 5, 11, 7, 9), "5 MAR 09 14:07:09 +0300"},
        DateCase{"half_hour_east", "IST-5:30", utc(2026, 12, 31, 20, 0, 0), "1 JAN 27 01:30:00 +0530"},
        DateCase{"west_winter", "EST5EDT,M3.2.0,M11.1.0", utc(2026, 1, 15, 17, 0, 0), "15 JAN 26 12:00:00 -0500"},
        DateCase{"west_summer", "EST5EDT,M3.2.0,M11.1.0", utc(2026, 7, 4, 16, 30, 5), "4 JUL 26 12:30:05 -0400"},
        DateCase{"half_hour_west_summer", "NST3:30NDT,M3.2.0,M11.1.0", utc(2026, 8, 1, 12, 0, 0),
                 "1 AUG 26 09:30:00 -0230"},
        DateCase{"central_europe_summer", "CET-1CEST,M3.5.0,M10.5.0/3", utc(2026, 6, 30, 22, 59, 59),
                 "1 JUL 26 00:59:59 +0200"},
        DateCase{"central_europe_winter", "CET-1CEST,M3.5.0,M10.5.0/3", utc(2026, 12, 10, 9, 0, 0),
                 "10 DEC 26 10:00:00 +0100"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimeZoneTextTest, NowFollowsTheZone)
{
    const ScopedTimeZone zone("IST-5:30");
    EXPECT_EQ(TimeZoneText(), "+0530");
}

}  // namespace
