// The record files' value codecs: see record_values.h.

#include "lists/record_values.h"

#include "lists/record_locale.h"

#include <QDate>

#include <array>
#include <cmath>

namespace {

const QDate kDayZero(1899, 12, 30);

QStringView trimmed(QStringView text)
{
    while (!text.isEmpty() && text.front().unicode() <= ' ')
        text = text.mid(1);
    while (!text.isEmpty() && text.back().unicode() <= ' ')
        text.chop(1);
    return text;
}

enum class DatePart { Day, Month, Year };

struct DateField {
    DatePart part;
    int width;   // day and month 1 or 2, year 2 or 4
};

// The numeric form of a Qt date format: its day, month and year fields in order with the texts between them.
// Names (ddd, MMM) count as numbers; a format without all three numeric fields falls back to dd/MM/yyyy.
struct DateLayout {
    std::array<DateField, 3> fields;
    std::array<QString, 2> separators;
};

DateLayout fallbackLayout()
{
    return {{{{DatePart::Day, 2}, {DatePart::Month, 2}, {DatePart::Year, 4}}}, {QStringLiteral("/"), QStringLiteral("/")}};
}

DateLayout layoutOf(const QString& format)
{
    DateLayout layout;
    int found = 0;
    bool seen[3] = {false, false, false};
    QString between;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        i += run;
        const bool day = c == u'd' && run <= 2;
        const bool month = c == u'M';
        const bool year = c == u'y';
        if (!day && !month && !year) {
            if (c != u'd' && c != u'\'')   // a weekday name or a quote mark has no place in the numeric form
                between += QString(run, c);
            continue;
        }
        const DatePart part = day ? DatePart::Day : month ? DatePart::Month : DatePart::Year;
        if (found == 3 || seen[int(part)])
            return fallbackLayout();
        seen[int(part)] = true;
        if (found > 0)
            layout.separators[found - 1] = between;
        between.clear();
        const int width = year ? (run <= 2 ? 2 : 4) : std::min<int>(int(run), 2);
        layout.fields[found++] = {part, width};
    }
    if (found != 3)
        return fallbackLayout();
    for (const QString& separator : layout.separators)
        if (separator.isEmpty())
            return fallbackLayout();   // digits run together could not be read back
    return layout;
}

// The layout of the locale in force, worked out again only when its format changes.
const DateLayout& currentLayout()
{
    static QString format;
    static DateLayout layout = fallbackLayout();
    static bool known = false;
    const QString& wanted = recordLocale().shortDateFormat;
    if (!known || wanted != format) {
        format = wanted;
        layout = layoutOf(wanted);
        known = true;
    }
    return layout;
}

int fullYear(int digits, int value)
{
    if (digits == 4)
        return value;
    return value < 50 ? 2000 + value : 1900 + value;
}

}  // namespace

int readRecordInteger(QStringView text)
{
    bool ok = false;
    const int value = trimmed(text).toInt(&ok, 10);
    return ok ? value : 0;
}

double readRecordFloat(QStringView text)
{
    const QStringView bare = trimmed(text);
    bool ok = false;
    double value = bare.toDouble(&ok);
    const QChar separator = recordLocale().decimalSeparator;
    if (!ok && separator != u'.') {
        QString dotted = bare.toString();
        dotted.replace(separator, u'.');
        value = QStringView(dotted).toDouble(&ok);
    }
    return ok && std::isfinite(value) ? value : 0.0;
}

QString writeRecordFloat(double value)
{
    if (value == 0.0)
        return QString();
    QString text = QString::number(value, 'f', 4);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    text.replace(u'.', recordLocale().decimalSeparator);
    return text;
}

double readRecordDate(QStringView text)
{
    const QStringView bare = trimmed(text);
    int values[3] = {0, 0, 0};
    int widths[3] = {0, 0, 0};
    int group = -1;
    bool inDigits = false;
    for (const QChar c : bare) {
        if (c.isDigit() && c.unicode() < 128) {
            if (!inDigits && ++group == 3)
                return 0;
            inDigits = true;
            if (++widths[group] > 4)
                return 0;
            values[group] = values[group] * 10 + (c.unicode() - '0');
        } else if (c.isLetterOrNumber() || group < 0) {
            return 0;   // letters, or a separator before the first number
        } else {
            inDigits = false;
        }
    }
    if (group != 2 || !inDigits)
        return 0;
    const DateLayout& layout = currentLayout();
    int day = 0, month = 0, year = 0;
    for (int i = 0; i < 3; ++i) {
        const DatePart part = layout.fields[i].part;
        const bool yearField = part == DatePart::Year;
        if (yearField ? (widths[i] != 2 && widths[i] != 4) : widths[i] > 2)
            return 0;
        (part == DatePart::Day ? day : part == DatePart::Month ? month : year) =
            yearField ? fullYear(widths[i], values[i]) : values[i];
    }
    const QDate date(year, month, day);
    return date.isValid() ? double(kDayZero.daysTo(date)) : 0.0;
}

QString writeRecordDate(double value)
{
    if (!(value > 0) || value > 2958465)   // after 31 December 9999 there is no short date
        return QString();
    const QDate date = kDayZero.addDays(qint64(std::floor(value)));
    const DateLayout& layout = currentLayout();
    QString text;
    for (int i = 0; i < 3; ++i) {
        const DateField field = layout.fields[i];
        const int number = field.part == DatePart::Day     ? date.day()
                           : field.part == DatePart::Month ? date.month()
                           : field.width == 2              ? date.year() % 100
                                                           : date.year();
        text += QString::number(number).rightJustified(field.width, u'0');
        if (i < 2)
            text += layout.separators[i];
    }
    return text;
}

bool readRecordFlag(QStringView text)
{
    return trimmed(text) == u"1";
}

QString EscapeCaret(const QString& text, bool toFile)
{
    QString result = text;
    if (toFile)
        result.replace(u'^', QStringLiteral("#5E"));
    else
        result.replace(QStringLiteral("#5E"), QStringLiteral("^"), Qt::CaseSensitive);
    return result;
}

bool ParseLineId(QStringView line, int& id)
{
    const qsizetype caret = line.indexOf(u'^');
    if (caret < 0)
        return false;
    bool ok = false;
    const int value = trimmed(line.left(caret)).toInt(&ok, 10);
    if (!ok || value <= 0)
        return false;
    id = value;
    return true;
}
