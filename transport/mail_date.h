// Local-time texts of the message header: the Date value of RFC 5322 section 3.3 with English day and month
// names and the zone offset in force at that moment (daylight saving included, "+0000" for UTC; a Date is
// never written without its zone), and the "yyyymmddhhnn" stamp inside our Message-IDs.
#pragma once

#include <QByteArray>

#include <ctime>

// "Thu, 3 Dec 2026 09:05:07 +0100"
QByteArray mailDateText(std::time_t when);
// "202612030905"
QByteArray messageIdStamp(std::time_t when);
