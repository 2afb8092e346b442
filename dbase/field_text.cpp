// AsString forms: see field_text.h.

#include "dbase/field_text.h"

#include <QLocale>

namespace fieldtext {
namespace {

QString& overriddenDateFormat()
{
    static QString format;
    return format;
}

QString dateText(QDate date)
{
    return QLocale::system().toString(date, shortDateFormat());
}

}  // namespace

QString shortDateFormat()
{
    const QString& format = overriddenDateFormat();
    return format.isEmpty() ? QLocale::system().dateFormat(QLocale::ShortFormat) : format;
}

void setShortDateFormat(const QString& format)
{
    overriddenDateFormat() = format;
}

QString textOf(const FieldValue& value)
{
    struct Visitor {
        QString operator()(const QByteArray& bytes) const { return QString::fromLatin1(bytes); }
        QString operator()(qint64 number) const { return QString::number(number); }
        QString operator()(double number) const
        {
            return QString::number(number, 'f', QLocale::FloatingPointShortest);
        }
        QString operator()(bool flag) const { return QString::fromLatin1(flag ? TrueText : FalseText); }
        QString operator()(QDate date) const { return dateText(date); }
        QString operator()(const QDateTime& stamp) const
        {
            const QTime time = stamp.time();
            if (time == QTime(0, 0))
                return dateText(stamp.date());
            return dateText(stamp.date()) + ' ' + time.toString(QStringLiteral("HH:mm:ss"));
        }
    };
    return std::visit(Visitor{}, value);
}

}  // namespace fieldtext
