// Field coding of the settings file's block layout: see settings_fields.h.

#include "core/settings/settings_fields.h"

#include "core/settings/ini_info.h"
#include "core/base/text_helpers.h"

#include <algorithm>
#include <limits>

namespace {

int hexDigitValue(QChar c)
{
    if (c >= '0' && c <= '9')
        return c.unicode() - '0';
    if (c >= 'A' && c <= 'F')
        return c.unicode() - 'A' + 10;
    return -1;
}

bool needsEscape(const QString& text, qsizetype i)
{
    const QChar c = text[i];
    if (c == '^' || c == '%' || c.unicode() < ' ')
        return true;
    return c == ' ' && (i == 0 || i == text.size() - 1);
}

}  // namespace

QString EscapeField(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (needsEscape(text, i))
            escaped += '%' + QString::number(text[i].unicode(), 16).toUpper().rightJustified(2, '0');
        else
            escaped += text[i];
    }
    return escaped;
}

QString UnescapeField(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexDigitValue(text[i + 1]);
            const int low = hexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                plain += QChar(high * 16 + low);
                i += 2;
                continue;
            }
        }
        plain += text[i];
    }
    return plain;
}

QStringList splitFields(const QString& line)
{
    QStringList fields = line.split('^');
    for (QString& field : fields)
        field = trimBlanks(field);
    return fields;
}

int readNumberField(const QString& field)
{
    qsizetype i = 0;
    while (i < field.size() && field[i] == ' ')
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+'))
        negative = field[i++] == '-';
    int base = 10;
    if (i < field.size() && (field[i] == '$' || field[i] == 'x' || field[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    // A digit that would overflow a 32-bit number ends the number like any other bad character.
    const qint64 limit = qint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    qint64 value = 0;
    for (; i < field.size(); ++i) {
        const int digit = hexDigitValue(field[i].toUpper());
        if (digit < 0 || digit >= base)
            break;
        const qint64 next = value * base + digit;
        if (next > limit)
            break;
        value = next;
    }
    if (i < field.size())
        return int(std::min<qint64>(value, std::numeric_limits<int>::max()));
    return int(negative ? -value : value);
}

QString flagField(bool flag)
{
    return flag ? QStringLiteral("1") : QString();
}

bool readFlagField(const QString& field)
{
    return field == QLatin1String("1");
}

QString cutText(const QString& text, TextLength length)
{
    return length == TextLength::Short ? text.left(shortStringLength) : text;
}

QString textField(const QString& text, TextLength length)
{
    return EscapeField(cutText(text, length));
}

QString readTextField(const QString& field, TextLength length)
{
    return cutText(UnescapeField(field), length);
}
