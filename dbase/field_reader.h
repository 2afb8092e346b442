// Reads one field's value out of a record's bytes, by native letter and family: text forms (trimmed, parsed
// with "." as the separator) and the binary forms of FoxPro and dBase VII. Pure; reads only inside the field.
// Values that do not parse read as 0 (numbers) or the base date 1899-12-30 (dates), never as an error.
#pragma once

#include "dbase/dbf_field_def.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>

#include <optional>
#include <variant>

// Text: the field's bytes untranslated (string fields; memo fields hold their block number instead).
using FieldValue = std::variant<QByteArray, qint64, double, bool, QDate, QDateTime>;

struct FieldReadContext {
    const TDbfFieldDefs* fields = nullptr;
    int nullFlagsField = -1;
    TDateTimeHandling dateTimeHandling = TDateTimeHandling::dtBDETimeStamp;
};

// The value of def in record (the whole record, deleted flag first), read as the wanted type; nullopt when
// the field holds no value. For memo fields the value is the block number (qint64).
std::optional<FieldValue> readFieldValue(const FieldReadContext& context, const TDbfFieldDef& def,
                                         QByteArrayView record, TFieldType wanted);
inline std::optional<FieldValue> readFieldValue(const FieldReadContext& context, const TDbfFieldDef& def,
                                                QByteArrayView record)
{
    return readFieldValue(context, def, record, def.FieldType);
}

// The date of the base of date-time values (day 0).
QDate baseDate();
