// Local-time texts of the message header: the Date value of RFC 5322 section 3.3 with English day and month
// names and the zone offset in force (daylight saving included, "+0000" for UTC; a Date is never written
// without its zone), written alike by both composers, and the "yyyymmddhhnnss" stamp inside our
// Message-IDs. The one place that turns a moment into header text. A sending run reads the offset once when
// it starts and hands it on, so no message pays for looking at the zone again.
#pragma once

#include <QByteArray>
#include <QString>

#include <ctime>

// Reads the zone anew (TZ, else the system's zone file) and answers the UTC offset in force now, in
// seconds east of UTC: what a sending run writes into every message it sends.
long readMailTimeZone();
// The UTC offset in force at that moment, in the zone last read.
long zoneOffsetAt(std::time_t when);
// "+0100", "-0530" for an offset in seconds east of UTC, "+0000" for UTC.
QByteArray zoneOffsetText(long offsetSeconds);

// "Thu, 3 Dec 2026 09:05:07 +0100": with the given offset, or the one in force at that moment.
QByteArray mailDateText(std::time_t when, long offsetSeconds);
QByteArray mailDateText(std::time_t when);
// "20261203090507"
QByteArray messageIdStamp(std::time_t when, long offsetSeconds);
QByteArray messageIdStamp(std::time_t when);

// The UTC offset in force at moment (or now), as zoneOffsetText gives it.
QString TimeZoneText(std::time_t moment);
QString TimeZoneText();
