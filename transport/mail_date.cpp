// Local-time texts of the message header: see mail_date.h.

#include "transport/mail_date.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::tm localTime(std::time_t when)
{
    tzset();   // follow a TZ changed since the last call, as the C library does for localtime()
    std::tm local{};
    localtime_r(&when, &local);
    return local;
}

}  // namespace

QByteArray mailDateText(std::time_t when)
{
    const std::tm t = localTime(when);
    const long offsetMinutes = t.tm_gmtoff / 60;   // east of UTC is positive
    const long magnitude = std::labs(offsetMinutes);
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                                     DayNames[t.tm_wday], t.tm_mday, MonthNames[t.tm_mon], t.tm_year + 1900,
                                     t.tm_hour, t.tm_min, t.tm_sec, offsetMinutes < 0 ? '-' : '+',
                                     magnitude / 60, magnitude % 60);
    return QByteArray(text, length);
}

QByteArray messageIdStamp(std::time_t when)
{
    const std::tm t = localTime(when);
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1,
                                     t.tm_mday, t.tm_hour, t.tm_min);
    return QByteArray(text, length);
}
