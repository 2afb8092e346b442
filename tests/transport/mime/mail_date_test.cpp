// Date-header text and time-zone offset under several TZ values: the offset in force at that moment,
// daylight saving included, and "+0000" for UTC.

#include "transport/mime/mail_date.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QByteArray>
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

// Both composers write this form: a four-digit year and the weekday, as RFC 5322 section 3.3 asks.
class MailDateTextTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(MailDateTextTest, LocalTimeWithOffsetInForce)
{
    const ScopedTimeZone zone(GetParam().zone);
    const QByteArray date = mailDateText(GetParam().moment);
    EXPECT_EQ(date, QByteArray(GetParam().date));
    EXPECT_EQ(TimeZoneText(GetParam().moment), QString::fromLatin1(date.mid(date.lastIndexOf(' ') + 1)));
    // A run's messages take the offset as a number: the same text without looking at the zone again.
    EXPECT_EQ(mailDateText(GetParam().moment, zoneOffsetAt(GetParam().moment)), date);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, MailDateTextTest,
    ::testing::Values(
        DateCase{"utc_has_zone", "UTC0", utc(2000, 1, 1, 0, 0, 0), "Sat, 1 Jan 2000 00:00:00 +0000"},
        DateCase{"east_no_daylight_saving", "MSK-3", utc(2009, 3, 5, 11, 7, 9), "Thu, 5 Mar 2009 14:07:09 +0300"},
        DateCase{"half_hour_east", "IST-5:30", utc(2026, 12, 31, 20, 0, 0), "Fri, 1 Jan 2027 01:30:00 +0530"},
        DateCase{"west_winter", "EST5EDT,M3.2.0,M11.1.0", utc(2026, 1, 15, 17, 0, 0),
                 "Thu, 15 Jan 2026 12:00:00 -0500"},
        DateCase{"west_summer", "EST5EDT,M3.2.0,M11.1.0", utc(2026, 7, 4, 16, 30, 5), "Sat, 4 Jul 2026 12:30:05 -0400"},
        DateCase{"half_hour_west_summer", "NST3:30NDT,M3.2.0,M11.1.0", utc(2026, 8, 1, 12, 0, 0),
                 "Sat, 1 Aug 2026 09:30:00 -0230"},
        DateCase{"central_europe_summer", "CET-1CEST,M3.5.0,M10.5.0/3", utc(2026, 6, 30, 22, 59, 59),
                 "Wed, 1 Jul 2026 00:59:59 +0200"},
        DateCase{"central_europe_winter", "CET-1CEST,M3.5.0,M10.5.0/3", utc(2026, 12, 10, 9, 0, 0),
                 "Thu, 10 Dec 2026 10:00:00 +0100"}),
    [](const auto& info) { return std::string(info.param.name); });

// The offset read when a run starts stays that run's, whatever the zone does meanwhile.
TEST(MailDateRunTest, OffsetReadAtTheStartServesTheRun)
{
    const std::time_t moment = utc(2026, 7, 15, 10, 4, 5);
    long offset = 0;
    {
        const ScopedTimeZone zone("MSK-3");
        offset = readMailTimeZone();
    }
    EXPECT_EQ(offset, 3 * 3600);
    const ScopedTimeZone other("UTC0");
    EXPECT_EQ(mailDateText(moment, offset), "Wed, 15 Jul 2026 13:04:05 +0300");
    EXPECT_EQ(messageIdStamp(moment, offset), "20260715130405");
}

TEST(TimeZoneTextTest, NowFollowsTheZone)
{
    const ScopedTimeZone zone("IST-5:30");
    EXPECT_EQ(TimeZoneText(), "+0530");
}

}  // namespace
