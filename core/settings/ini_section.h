// A section of an ini file as one table of fields {key, member or codec, kind, default}: one loop reads the
// section into a record and one writes it back, so a key cannot be spelled two ways and a field cannot be
// read but not written. Numbers and flags follow platform/ini_file.h's rules.
#pragma once

#include "platform/ini_file.h"

#include <QString>

#include <span>

enum class IniKind {
    Text,        // a QString member
    Int,         // an int member
    Bool,        // a bool member ("1"/"0")
    IntCodec,    // a number stored for a member of another form (an enum, a clamped value)
    TextCodec,   // a text stored for a member of another form (dates, delimiters)
};

template <typename Record>
struct IniField {
    const char* key;
    IniKind kind;
    QString Record::*text = nullptr;
    int Record::*number = nullptr;
    bool Record::*flag = nullptr;
    int (*storedNumber)(const Record&) = nullptr;          // IntCodec
    void (*takeNumber)(Record&, int stored) = nullptr;     // IntCodec
    QString (*storedText)(const Record&) = nullptr;        // TextCodec
    void (*takeText)(Record&, const QString& stored) = nullptr;   // TextCodec
    // A missing key keeps the member as it is, unless the field resets it to this default.
    bool resets = false;
    const char* defaultText = "";
    int defaultNumber = 0;

    static constexpr IniField textField(const char* key, QString Record::*member)
    {
        return {key, IniKind::Text, member};
    }
    static constexpr IniField intField(const char* key, int Record::*member)
    {
        return {key, IniKind::Int, nullptr, member};
    }
    static constexpr IniField boolField(const char* key, bool Record::*member)
    {
        return {key, IniKind::Bool, nullptr, nullptr, member};
    }
    static constexpr IniField intCodec(const char* key, int (*stored)(const Record&), void (*take)(Record&, int))
    {
        return {key, IniKind::IntCodec, nullptr, nullptr, nullptr, stored, take};
    }
    static constexpr IniField textCodec(const char* key, QString (*stored)(const Record&),
                                        void (*take)(Record&, const QString&))
    {
        return {key, IniKind::TextCodec, nullptr, nullptr, nullptr, nullptr, nullptr, stored, take};
    }
    // This field with a missing key read as text (Text, TextCodec) or number (Int, IntCodec).
    constexpr IniField orText(const char* text) const
    {
        IniField field = *this;
        field.resets = true;
        field.defaultText = text;
        return field;
    }
    constexpr IniField orNumber(int number) const
    {
        IniField field = *this;
        field.resets = true;
        field.defaultNumber = number;
        return field;
    }
};

template <typename Record>
void readIniSection(const IniFile& ini, const QString& section, std::span<const IniField<Record>> fields,
                    Record& record)
{
    for (const IniField<Record>& field : fields) {
        const QString key = QString::fromLatin1(field.key);
        const QString textDefault = QString::fromUtf8(field.defaultText);
        switch (field.kind) {
        case IniKind::Text:
            record.*field.text = ini.readString(section, key, field.resets ? textDefault : record.*field.text);
            break;
        case IniKind::Int:
            record.*field.number =
                ini.readInteger(section, key, field.resets ? field.defaultNumber : record.*field.number);
            break;
        case IniKind::Bool:
            record.*field.flag = ini.readBool(section, key, record.*field.flag);
            break;
        case IniKind::IntCodec:
            field.takeNumber(record, ini.readInteger(section, key,
                                                     field.resets ? field.defaultNumber : field.storedNumber(record)));
            break;
        case IniKind::TextCodec:
            field.takeText(record,
                           ini.readString(section, key, field.resets ? textDefault : field.storedText(record)));
            break;
        }
    }
}

// Writes every field in table order: a new section gets them in this order, an existing one keeps its own.
template <typename Record>
void writeIniSection(IniFile& ini, const QString& section, std::span<const IniField<Record>> fields,
                     const Record& record)
{
    for (const IniField<Record>& field : fields) {
        const QString key = QString::fromLatin1(field.key);
        switch (field.kind) {
        case IniKind::Text: ini.writeString(section, key, record.*field.text); break;
        case IniKind::Int: ini.writeInteger(section, key, record.*field.number); break;
        case IniKind::Bool: ini.writeBool(section, key, record.*field.flag); break;
        case IniKind::IntCodec: ini.writeInteger(section, key, field.storedNumber(record)); break;
        case IniKind::TextCodec: ini.writeString(section, key, field.storedText(record)); break;
        }
    }
}
