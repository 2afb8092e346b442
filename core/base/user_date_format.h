// Dates and times as the user's locale (QLocale()) writes them, for stored settings and labels. Years are
// always four digits and the time carries no zone name, so a value written here reads back the same; the
// readers also take ISO 8601 text. An empty or unreadable text reads as an invalid value.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// The locale's short date format with a two-digit year widened to four ("M/d/yy" -> "M/d/yyyy").
QString userDateFormat();
// The locale's long time format without its time-zone field ("h:mm:ss AP t" -> "h:mm:ss AP").
QString userTimeFormat();

QString userDateText(const QDate& date);
QString userTimeText(const QTime& time);
// Date, a blank, time.
QString userDateTimeText(const QDateTime& dateTime);

QDate parseUserDate(const QString& text);
QTime parseUserTime(const QString& text);
// A date alone reads as that day at midnight.
QDateTime parseUserDateTime(const QString& text);
