// Field values from record bytes: see field_reader.h.

#include "dbase/field_reader.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

constexpr qint64 MillisecondsPerDay = 86400000;

bool allZero(QByteArrayView bytes)
{
    for (char byte : bytes)
        if (byte != 0)
            return false;
    return true;
}

bool isNullByFlags(const FieldReadContext& context, const TDbfFieldDef& def, QByteArrayView record)
{
    if (context.nullFlagsField < 0 || def.NullBit < 0)
        return false;
    const TDbfFieldDef& flags = (*context.fields)[context.nullFlagsField];
    const int byteIndex = def.NullBit / 8;
    if (byteIndex >= flags.Size)
        return false;
    return (quint8(record[flags.Offset + byteIndex]) >> (def.NullBit % 8)) & 1;
}

QDateTime dateTimeOf(QDate date, qint64 millisecondsOfDay)
{
    if (!date.isValid() || millisecondsOfDay < 0 || millisecondsOfDay >= MillisecondsPerDay)
        return QDateTime(baseDate(), QTime(0, 0));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(millisecondsOfDay)));
}

// Milliseconds counted as (day number + 1) x 86,400,000 + milliseconds of the day, day 0 being 1 January 1.
QDateTime fromTimeStamp(double milliseconds)
{
    if (!std::isfinite(milliseconds) || milliseconds < 0 || milliseconds > 4e17)
        return QDateTime(baseDate(), QTime(0, 0));
    const qint64 total = qint64(milliseconds);
    const qint64 days = total / MillisecondsPerDay - 1;
    return dateTimeOf(QDate(1, 1, 1).addDays(days), total % MillisecondsPerDay);
}

// A day count from the base date with a fraction of the day.
QDateTime fromDayFraction(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3e6)
        return QDateTime(baseDate(), QTime(0, 0));
    const double days = std::floor(value);
    return dateTimeOf(baseDate().addDays(qint64(days)), qint64(std::llround((value - days) * MillisecondsPerDay)) % MillisecondsPerDay);
}

std::optional<FieldValue> readBinary(const FieldReadContext& context, const TDbfFieldDef& def, QByteArrayView bytes)
{
    const bool foxPro = context.fields->family() == TableFamily::FoxPro;
    const char letter = def.NativeFieldType;
    if (letter == 'Y' && bytes.size() == 8)
        return double(qFromLittleEndian<qint64>(bytes.data())) / 10000.0;
    if (letter == 'B' && foxPro && bytes.size() == 8) {
        double value;
        std::memcpy(&value, bytes.data(), 8);
        return qFromLittleEndian(value);
    }
    if ((letter == 'I' || letter == '+') && bytes.size() == 4) {
        if (foxPro)
            return qint64(qFromLittleEndian<qint32>(bytes.data()));
        if (allZero(bytes))
            return std::nullopt;
        return qint64(qint32(qFromBigEndian<quint32>(bytes.data()) ^ 0x80000000u));
    }
    if (allZero(bytes))
        return std::nullopt;
    if (def.isBinaryBlockNumber())
        return qint64(qFromLittleEndian<quint32>(bytes.data()));
    if (letter == 'O' && bytes.size() == 8) {
        quint64 bits = qFromBigEndian<quint64>(bytes.data());
        bits = (bits >> 63) ? bits & ~(quint64(1) << 63) : ~bits;
        double value;
        std::memcpy(&value, &bits, 8);
        return value;
    }
    if (letter == '@' && bytes.size() == 8) {
        const quint64 bits = qFromBigEndian<quint64>(bytes.data());
        double value;
        std::memcpy(&value, &bits, 8);
        if (context.dateTimeHandling == TDateTimeHandling::dtBDETimeStamp)
            return fromTimeStamp(value);
        return fromDayFraction(value);
    }
    if (letter == 'T' && bytes.size() == 8) {
        const qint64 julianDay = qFromLittleEndian<quint32>(bytes.data());
        const qint64 milliseconds = qFromLittleEndian<quint32>(bytes.data() + 4);
        return dateTimeOf(QDate::fromJulianDay(julianDay), milliseconds);
    }
    return std::nullopt;
}

bool isBinaryForm(const TDbfFieldDef& def, TableFamily family)
{
    switch (def.NativeFieldType) {
    case 'I': case '+': case 'O': case '@': case 'Y': return def.Size == (def.NativeFieldType == 'I' || def.NativeFieldType == '+' ? 4 : 8);
    case 'T': case 'B': return family == TableFamily::FoxPro && def.Size == 8;
    case 'M': case 'G': return def.isBinaryBlockNumber();
    default: return false;
    }
}

// A part of a date text; 1 when it does not parse.
int datePart(QByteArrayView text, qsizetype from, qsizetype length)
{
    if (from + length > text.size())
        return 1;
    bool ok = false;
    const int value = text.sliced(from, length).toByteArray().toInt(&ok);
    return ok ? value : 1;
}

FieldValue readDate(QByteArrayView text, bool withTime)
{
    const QDate date(datePart(text, 0, 4), datePart(text, 4, 2), datePart(text, 6, 2));
    if (!date.isValid())
        return withTime ? FieldValue(QDateTime(baseDate(), QTime(0, 0))) : FieldValue(baseDate());
    if (!withTime)
        return date;
    if (text.size() < 14)
        return QDateTime(date, QTime(0, 0));
    const QTime time(datePart(text, 8, 2), datePart(text, 10, 2), datePart(text, 12, 2));
    return QDateTime(date, time.isValid() ? time : QTime(0, 0));
}

std::optional<FieldValue> readText(const TDbfFieldDef& def, QByteArrayView bytes, TFieldType wanted)
{
    qsizetype end = bytes.size();
    while (end > 0 && (bytes[end - 1] == ' ' || bytes[end - 1] == '\0'))
        --end;
    qsizetype start = 0;
    if (wanted != TFieldType::ftString)
        while (start < end && bytes[start] == ' ')
            ++start;
    const QByteArray text = bytes.sliced(start, end - start).toByteArray();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    switch (wanted) {
    case TFieldType::ftSmallint: case TFieldType::ftInteger: case TFieldType::ftLargeint: case TFieldType::ftAutoInc:
    case TFieldType::ftMemo: case TFieldType::ftBlob: case TFieldType::ftDBaseOle: {
        const qint64 value = text.toLongLong(&ok);
        return ok ? value : qint64(0);
    }
    case TFieldType::ftFloat: case TFieldType::ftCurrency: {
        const double value = text.toDouble(&ok);
        return ok && std::isfinite(value) ? value : 0.0;
    }
    case TFieldType::ftBoolean:
        if (text[0] == '?')
            return std::nullopt;
        return text[0] == 'T' || text[0] == 't' || text[0] == 'Y' || text[0] == 'y';
    case TFieldType::ftDate:
        return readDate(text, false);
    case TFieldType::ftDateTime:
        return readDate(text, def.Size >= 14);
    case TFieldType::ftString: case TFieldType::ftBytes: case TFieldType::ftUnknown:
        return text;
    }
    Q_UNREACHABLE();
}

}  // namespace

QDate baseDate()
{
    return QDate(1899, 12, 30);
}

std::optional<FieldValue> readFieldValue(const FieldReadContext& context, const TDbfFieldDef& def,
                                         QByteArrayView record, TFieldType wanted)
{
    Q_ASSERT(context.fields);
    if (def.Offset < 1 || def.Size < 0 || def.Offset + def.Size > record.size())
        return std::nullopt;
    if (isNullByFlags(context, def, record))
        return std::nullopt;
    const QByteArrayView bytes = record.sliced(def.Offset, def.Size);
    if (isBinaryForm(def, context.fields->family()))
        return readBinary(context, def, bytes);
    return readText(def, bytes, wanted);
}
