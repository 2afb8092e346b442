// Local-time texts of the message header: see mail_date.h.

#include "transport/mime/mail_date.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The wall-clock fields at that moment with that offset: plain arithmetic, no zone file is looked at.
std::tm shiftedTime(std::time_t when, long offsetSeconds)
{
    const std::time_t local = when + offsetSeconds;
    std::tm t{};
    gmtime_r(&local, &t);
    return t;
}

}  // namespace

long readMailTimeZone()
{
    tzset();
    return zoneOffsetAt(std::time(nullptr));
}

// The local time in the zone last read (the C library reads it once on first use).
long zoneOffsetAt(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    return local.tm_gmtoff;
}

QByteArray zoneOffsetText(long offsetSeconds)
{
    const long offsetMinutes = offsetSeconds / 60;   // east of UTC is positive
    const long magnitude = std::labs(offsetMinutes);
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%c%02ld%02ld", offsetMinutes < 0 ? '-' : '+',
                                     magnitude / 60, magnitude % 60);
    return QByteArray(text, length);
}

QByteArray mailDateText(std::time_t when, long offsetSeconds)
{
    const std::tm t = shiftedTime(when, offsetSeconds);
    char text[48];
    const int length = std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d ", DayNames[t.tm_wday],
                                     t.tm_mday, MonthNames[t.tm_mon], t.tm_year + 1900, t.tm_hour, t.tm_min,
                                     t.tm_sec);
    return QByteArray(text, length) + zoneOffsetText(offsetSeconds);
}

QByteArray mailDateText(std::time_t when)
{
    return mailDateText(when, zoneOffsetAt(when));
}

QByteArray messageIdStamp(std::time_t when, long offsetSeconds)
{
    const std::tm t = shiftedTime(when, offsetSeconds);
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.tm_year + 1900,
                                     t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return QByteArray(text, length);
}

QByteArray messageIdStamp(std::time_t when)
{
    return messageIdStamp(when, zoneOffsetAt(when));
}

QString TimeZoneText(std::time_t moment)
{
    return QString::fromLatin1(zoneOffsetText(zoneOffsetAt(moment)));
}

QString TimeZoneText()
{
    return TimeZoneText(std::time(nullptr));
}
