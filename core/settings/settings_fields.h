// Field coding of the block layout of "setupkrn.ini": "^" separates fields, so texts are escaped as "%XX".
// Numbers are read as the class library's Val reads them, flags are "1" or empty.
#pragma once

#include "core/settings/ini_info.h"

#include "platform/ini_file.h"

#include <QString>
#include <QStringList>

#include <span>

enum class TextLength { Short, Long };   // short texts are cut at 255 characters

// "^" and "%" become "%5E" and "%25"; so do control characters and blanks at either end (the reader trims
// fields), so every text reads back unchanged. The result never holds "^", CR or LF.
QString EscapeField(const QString& text);
// "%" with two upper-case hexadecimal digits (0-9, A-F) becomes that character; everything else is copied.
QString UnescapeField(const QString& text);

// Every "^"-separated field of line, trimmed; a trailing empty field counts (so a false last flag survives).
QStringList splitFields(const QString& line);

// A decimal (or "$", "x", "0x" hexadecimal) number after optional blanks and sign. When reading stops early at
// another character, the value of the digits before it without the sign (0 when none).
int readNumberField(const QString& field);
QString flagField(bool flag);                        // "1" or empty
bool readFlagField(const QString& field);            // exactly "1" is true
QString cutText(const QString& text, TextLength length);   // a short text cut at 255 characters
QString textField(const QString& text, TextLength length = TextLength::Short);      // cut, then escaped
QString readTextField(const QString& field, TextLength length = TextLength::Short);  // unescaped, then cut

// One field of a "^"-joined line, the record member it holds and its key in the old INI layout; a table of them
// describes a whole line, so the writer and the readers of a line cannot disagree on its order.
template <typename Record>
struct LineField {
    constexpr LineField(const char* key, QString Record::*member, TextLength length = TextLength::Short)
        : key(key), text(member), length(length) {}
    constexpr LineField(const char* key, int Record::*member) : key(key), number(member) {}
    constexpr LineField(const char* key, bool Record::*member) : key(key), flag(member) {}

    const char* key = nullptr;   // INI key; null for a field the INI layout keeps elsewhere
    QString Record::*text = nullptr;
    int Record::*number = nullptr;
    bool Record::*flag = nullptr;
    TextLength length = TextLength::Short;
};

template <typename Record>
QString formatLine(const Record& record, std::span<const LineField<Record>> fields)
{
    QStringList parts;
    for (const LineField<Record>& field : fields) {
        if (field.text)
            parts.append(textField(record.*field.text, field.length));
        else if (field.number)
            parts.append(QString::number(record.*field.number));
        else
            parts.append(flagField(record.*field.flag));
    }
    return parts.join('^');
}

// Applies the fields present in line by position; fields beyond the table are ignored, missing ones keep values.
template <typename Record>
void parseLine(Record& record, const QString& line, std::span<const LineField<Record>> fields)
{
    const QStringList parts = splitFields(line);
    for (qsizetype i = 0; i < parts.size() && i < qsizetype(fields.size()); ++i) {
        const LineField<Record>& field = fields[size_t(i)];
        if (field.text)
            record.*field.text = readTextField(parts[i], field.length);
        else if (field.number)
            record.*field.number = readNumberField(parts[i]);
        else
            record.*field.flag = readFlagField(parts[i]);
    }
}

// Reads the keyed fields from section of ini, in table order; a missing key keeps the member's value.
template <typename Record>
void readIniFields(Record& record, const IniFile& ini, const QString& section,
                   std::span<const LineField<Record>> fields)
{
    for (const LineField<Record>& field : fields) {
        if (!field.key)
            continue;
        const QString key = QString::fromLatin1(field.key);
        if (field.text) {
            record.*field.text = cutText(ini.readString(section, key, record.*field.text), field.length);
        } else if (field.number) {
            record.*field.number = ini.readInteger(section, key, record.*field.number);
        } else {
            record.*field.flag = ini.readBool(section, key, record.*field.flag);
        }
    }
}
