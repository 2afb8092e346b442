// Date-header text with the local UTC offset: see mail_date.h. The local time and the offset text are the
// transport's, so both composers write the same zone.

#include "core/mail_date.h"

#include "transport/mail_date.h"

namespace {

const char* const monthNames[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

}  // namespace

QString TimeZoneText(std::time_t moment)
{
    return QString::fromLatin1(zoneOffsetText(mailLocalTime(moment)));
}

QString TimeZoneText()
{
    return TimeZoneText(std::time(nullptr));
}

QString FormatMailDate(const QDateTime& dateTime)
{
    const std::tm fields = mailLocalTime(std::time_t(dateTime.toSecsSinceEpoch()));
    return QString::number(fields.tm_mday) + ' ' + monthNames[fields.tm_mon] + ' '
        + ZeroPad((fields.tm_year + 1900) % 100, 2) + ' ' + ZeroPad(fields.tm_hour, 2) + ':'
        + ZeroPad(fields.tm_min, 2) + ':' + ZeroPad(fields.tm_sec, 2) + ' '
        + QString::fromLatin1(zoneOffsetText(fields));
}

QString ZeroPad(int value, int width)
{
    return QString::number(value).rightJustified(width, '0');
}
