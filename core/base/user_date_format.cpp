// Locale date and time texts: see user_date_format.h.

#include "core/base/user_date_format.h"

#include <QLocale>
#include <QRegularExpression>

QString userDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString userTimeFormat()
{
    // A zone name ("UTC", "CET") would not read back on another machine; the times stored are local.
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

QString userDateText(const QDate& date)
{
    return date.isValid() ? QLocale().toString(date, userDateFormat()) : QString();
}

QString userTimeText(const QTime& time)
{
    return time.isValid() ? QLocale().toString(time, userTimeFormat()) : QString();
}

QString userDateTimeText(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return QString();
    return userDateText(dateTime.date()) + QLatin1Char(' ') + userTimeText(dateTime.time());
}

QDate parseUserDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    const QDate date = QLocale().toDate(trimmed, userDateFormat());
    return date.isValid() ? date : QDate::fromString(trimmed, Qt::ISODate);
}

QTime parseUserTime(const QString& text)
{
    const QString trimmed = text.trimmed();
    const QTime time = QLocale().toTime(trimmed, userTimeFormat());
    return time.isValid() ? time : QTime::fromString(trimmed, Qt::ISODate);
}

QDateTime parseUserDateTime(const QString& text)
{
    const QString trimmed = text.trimmed();
    const QDateTime dateTime =
        QLocale().toDateTime(trimmed, userDateFormat() + QLatin1Char(' ') + userTimeFormat());
    if (dateTime.isValid())
        return dateTime;
    const QDateTime iso = QDateTime::fromString(trimmed, Qt::ISODate);
    if (iso.isValid())
        return iso;
    const QDate midnight = parseUserDate(trimmed);   // a date and time at midnight may be written as the date
    return midnight.isValid() ? QDateTime(midnight, QTime(0, 0)) : QDateTime();
}
