// Local-time texts of the message header: the Date value of RFC 5322 section 3.3 with English day and month
// names and the zone offset in force at that moment (daylight saving included, "+0000" for UTC; a Date is
// never written without its zone), written alike by both composers, and the "yyyymmddhhnnss" stamp inside
// our Message-IDs. The one place that turns a moment into header text.
#pragma once

#include <QByteArray>
#include <QString>

#include <ctime>

// Reads the zone in force now (TZ, else the system's zone file). A sending run calls it once when it
// starts; the texts below then use that zone, so no message pays for looking at the zone again.
void readMailTimeZone();
// The local time at that moment in the zone last read (the C library reads it once on first use).
std::tm mailLocalTime(std::time_t when);
// "+0100", "-0530": the UTC offset in force at that local time (tm_gmtoff), "+0000" for UTC.
QByteArray zoneOffsetText(const std::tm& local);

// "Thu, 3 Dec 2026 09:05:07 +0100"
QByteArray mailDateText(std::time_t when);
// "20261203090507"
QByteArray messageIdStamp(std::time_t when);

// The UTC offset in force at moment (or now), as zoneOffsetText gives it.
QString TimeZoneText(std::time_t moment);
QString TimeZoneText();
