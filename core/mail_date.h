// The text of the Date header, "5 MAR 09 14:07:09 +0300": the date and time in local time and the UTC offset in
// force at that moment, daylight saving included ("+0000" for UTC). The offset always appears.
#pragma once

#include <QDateTime>
#include <QString>

#include <ctime>

// The local UTC offset in force at moment as a sign, two hour digits and two minute digits ("+0100", "-0530").
QString TimeZoneText(std::time_t moment);
// The offset in force now.
QString TimeZoneText();

QString FormatMailDate(const QDateTime& dateTime);

// value in decimal, right-aligned in width characters padded with "0" (width 0: plain; wider values stay whole).
QString ZeroPad(int value, int width);
