// Local-time texts of the message header: see mail_date.h.

#include "transport/mime/mail_date.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

void readMailTimeZone()
{
    tzset();
}

std::tm mailLocalTime(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    return local;
}

QByteArray zoneOffsetText(const std::tm& local)
{
    const long offsetMinutes = local.tm_gmtoff / 60;   // east of UTC is positive
    const long magnitude = std::labs(offsetMinutes);
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%c%02ld%02ld", offsetMinutes < 0 ? '-' : '+',
                                     magnitude / 60, magnitude % 60);
    return QByteArray(text, length);
}

QByteArray mailDateText(std::time_t when)
{
    const std::tm t = mailLocalTime(when);
    char text[48];
    const int length = std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d ", DayNames[t.tm_wday],
                                     t.tm_mday, MonthNames[t.tm_mon], t.tm_year + 1900, t.tm_hour, t.tm_min,
                                     t.tm_sec);
    return QByteArray(text, length) + zoneOffsetText(t);
}

QByteArray messageIdStamp(std::time_t when)
{
    const std::tm t = mailLocalTime(when);
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.tm_year + 1900,
                                     t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return QByteArray(text, length);
}

QString TimeZoneText(std::time_t moment)
{
    return QString::fromLatin1(zoneOffsetText(mailLocalTime(moment)));
}

QString TimeZoneText()
{
    return TimeZoneText(std::time(nullptr));
}
