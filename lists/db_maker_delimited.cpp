// Delimited lines: see db_maker_delimited.h.

#include "lists/db_maker_delimited.h"

namespace {

// Leading and trailing blanks and control characters (everything up to U+0020) removed.
QString trimBlanks(const QString& text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && text[first].unicode() <= 0x20)
        ++first;
    while (last > first && text[last - 1].unicode() <= 0x20)
        --last;
    return text.mid(first, last - first);
}

// The list rule: values trimmed, empty inner values kept, one trailing delimiter adds no value.
QStringList splitPlain(const QString& line, QChar delimiter)
{
    QStringList values;
    if (line.isEmpty())
        return values;
    values = line.split(delimiter);
    if (line.endsWith(delimiter))
        values.removeLast();
    for (QString& value : values)
        value = trimBlanks(value);
    return values;
}

QStringList splitSeveralAsOne(const QString& line, QChar delimiter)
{
    QStringList values;
    qsizetype position = 0;
    for (;;) {
        const qsizetype at = line.indexOf(delimiter, position);
        if (at < 0) {
            values << line.mid(position);
            return values;
        }
        values << line.mid(position, at - position);
        position = at;
        while (position < line.size() && line[position] == delimiter)
            ++position;
        if (position == line.size()) {
            values << QString();
            return values;
        }
    }
}

QStringList splitQuoteAware(const QString& line, QChar delimiter)
{
    QStringList values;
    qsizetype position = 0;
    while (position < line.size()) {
        while (position < line.size() && line[position] == QLatin1Char(' '))
            ++position;
        if (position == line.size()) {
            values << QString();   // blanks after the last delimiter
            break;
        }
        qsizetype delimiterAt = -1;
        if (line[position] == QLatin1Char('"')) {
            const qsizetype close = line.indexOf(QLatin1Char('"'), position + 1);
            const qsizetype valueEnd = close < 0 ? line.size() : close;
            values << trimBlanks(line.mid(position + 1, valueEnd - position - 1));
            delimiterAt = close < 0 ? -1 : line.indexOf(delimiter, close + 1);
        } else {
            delimiterAt = line.indexOf(delimiter, position);
            const qsizetype valueEnd = delimiterAt < 0 ? line.size() : delimiterAt;
            values << trimBlanks(line.mid(position, valueEnd - position));
        }
        if (delimiterAt < 0)
            break;
        position = delimiterAt + 1;
    }
    return values;
}

}  // namespace

QStringList splitDelimitedLine(const QString& line, QChar delimiter, DelimitedRule rule)
{
    switch (rule) {
    case DelimitedRule::Plain:
        return splitPlain(line, delimiter);
    case DelimitedRule::SeveralAsOne:
        return splitSeveralAsOne(line, delimiter);
    case DelimitedRule::QuoteAware:
        return splitQuoteAware(line, delimiter);
    }
    Q_UNREACHABLE();
}
