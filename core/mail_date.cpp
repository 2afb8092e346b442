// Date-header text with the local UTC offset: see mail_date.h.

#include "core/mail_date.h"

#include <cstdlib>

namespace {

const char* const monthNames[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

std::tm localTime(std::time_t moment)
{
    std::tm fields{};
    localtime_r(&moment, &fields);
    return fields;
}

QString offsetText(long offsetSeconds)
{
    const long minutes = std::labs(offsetSeconds) / 60;
    return QString(offsetSeconds < 0 ? '-' : '+') + ZeroPad(int(minutes / 60), 2) + ZeroPad(int(minutes % 60), 2);
}

}  // namespace

QString TimeZoneText(std::time_t moment)
{
    return offsetText(localTime(moment).tm_gmtoff);
}

QString TimeZoneText()
{
    return TimeZoneText(std::time(nullptr));
}

QString FormatMailDate(const QDateTime& dateTime)
{
    const std::tm fields = localTime(std::time_t(dateTime.toSecsSinceEpoch()));
    return QString::number(fields.tm_mday) + ' ' + monthNames[fields.tm_mon] + ' '
        + ZeroPad((fields.tm_year + 1900) % 100, 2) + ' ' + ZeroPad(fields.tm_hour, 2) + ':'
        + ZeroPad(fields.tm_min, 2) + ':' + ZeroPad(fields.tm_sec, 2) + ' ' + offsetText(fields.tm_gmtoff);
}

QString ZeroPad(int value, int width)
{
    return QString::number(value).rightJustified(width, '0');
}
