// Table header parser: see dbf_header.h. Pure over the given bytes; every read is bounds-checked.

#include "dbase/dbf_header.h"

#include "dbase/dbf_error.h"
#include "dbase/language_drivers.h"
#include "platform/code_page.h"

#include <QtEndian>

namespace dbfheader {
namespace {

QString invalid()
{
    return QString::fromLatin1(dbftext::InvalidDbfFile);
}

quint16 u16At(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

quint8 byteAt(QByteArrayView bytes, qsizetype at)
{
    return quint8(bytes[at]);
}

QByteArray zeroTerminated(QByteArrayView bytes)
{
    const qsizetype end = bytes.indexOf('\0');
    return bytes.first(end < 0 ? bytes.size() : end).toByteArray();
}

int tableCodePage(const Header& header)
{
    if (header.prefix.family == TableFamily::DbaseVII)
        return languagedriver::codePageOfDriverName(header.languageDriverName);
    return languagedriver::codePageOfId(header.prefix.languageId);
}

// One descriptor into a definition; an error text for an empty name or an unknown letter.
std::variant<TDbfFieldDef, QString> parseDescriptor(QByteArrayView bytes, TableFamily family, int codePage)
{
    const bool seven = family == TableFamily::DbaseVII;
    TDbfFieldDef def;
    const QByteArray name = zeroTerminated(bytes.first(seven ? 32 : 11));
    def.FieldName = codepage::toUnicode(name, codePage == 0 ? 1252 : codePage).trimmed().toUpper();
    char letter = bytes[seven ? 32 : 11];
    if (letter >= 'a' && letter <= 'z')
        letter = char(letter - 'a' + 'A');
    def.NativeFieldType = letter;
    def.Size = byteAt(bytes, seven ? 33 : 16);
    def.Precision = byteAt(bytes, seven ? 34 : 17);
    if (family == TableFamily::FoxPro && letter == 'C') {   // the decimal byte is the length's high byte
        def.Size += def.Precision * 256;
        def.Precision = 0;
    }
    if (family == TableFamily::FoxPro)
        def.Nullable = (byteAt(bytes, 18) & 0x02) != 0;
    if (seven)
        def.AutoIncNext = qFromLittleEndian<quint32>(bytes.data() + 42);
    def.FieldType = fieldTypeOf(letter, def.Size, def.Precision, family);
    if (def.FieldName.isEmpty() || def.FieldType == TFieldType::ftUnknown)
        return invalid();
    return def;
}

// The dBase VII field-properties block after the terminator; a property pointing outside the block or at no
// field is ignored.
void parseProperties(QByteArrayView block, TDbfFieldDefs& fields)
{
    if (block.size() < 4)
        return;
    const int count = u16At(block, 0);
    const int start = u16At(block, 2);
    for (int i = 0; i < count; ++i) {
        const qsizetype at = qsizetype(start) + qsizetype(i) * 15;
        if (at + 15 > block.size())
            return;
        const int field = u16At(block, at + 2);
        const int type = byteAt(block, at + 4);
        const int valueAt = u16At(block, at + 11);
        const int width = u16At(block, at + 13);
        if (field < 1 || field > fields.count())
            continue;
        TDbfFieldDef& def = fields[field - 1];
        if (type == 1) {
            def.Required = true;
            continue;
        }
        if (type < 2 || type > 4 || qsizetype(valueAt) + width > block.size())
            continue;
        const QByteArray value = block.sliced(valueAt, width).toByteArray();
        if (type == 2)
            def.MinValue = value, def.HasMin = true;
        else if (type == 3)
            def.MaxValue = value, def.HasMax = true;
        else
            def.DefaultValue = value, def.HasDefault = true;
    }
}

// Offsets run from 1; every field must lie inside the record. Nullable fields take _NULLFLAGS bits in order.
std::optional<QString> placeFields(Header& header)
{
    int offset = 1;
    int nextBit = 0;
    for (int i = 0; i < header.fields.count(); ++i) {
        TDbfFieldDef& def = header.fields[i];
        def.Offset = offset;
        if (def.Size > header.prefix.recordSize - offset)
            return invalid();
        offset += def.Size;
        if (def.FieldName == "_NULLFLAGS" && def.NativeFieldType == '0')
            header.nullFlagsField = i;
    }
    if (header.nullFlagsField < 0)
        return std::nullopt;
    const TDbfFieldDef& flags = header.fields[header.nullFlagsField];
    for (int i = 0; i < header.fields.count(); ++i) {
        TDbfFieldDef& def = header.fields[i];
        if (i == header.nullFlagsField || !def.Nullable)
            continue;
        if (nextBit >= flags.Size * 8)
            return invalid();
        def.NullBit = nextBit++;
    }
    return std::nullopt;
}

}  // namespace

std::optional<TableFamily> familyOf(quint8 versionByte, quint8 languageId)
{
    switch (versionByte & 0x07) {
    case 2: return TableFamily::FoxPro;
    case 3: return languageId != 0 ? TableFamily::DbaseIV : TableFamily::DbaseIII;
    case 4: return TableFamily::DbaseVII;
    case 5: return TableFamily::FoxPro;
    default:
        if (versionByte == 0x30 || versionByte == 0x31)
            return TableFamily::FoxPro;
        return std::nullopt;
    }
}

std::variant<Prefix, QString> parsePrefix(QByteArrayView bytes)
{
    if (bytes.size() < FixedPartSize)
        return invalid();
    Prefix prefix;
    prefix.versionByte = byteAt(bytes, 0);
    prefix.languageId = byteAt(bytes, 29);
    const auto family = familyOf(prefix.versionByte, prefix.languageId);
    if (!family)
        return invalid();
    prefix.family = *family;
    prefix.storedRecordCount = qFromLittleEndian<quint32>(bytes.data() + 4);
    prefix.headerSize = u16At(bytes, 8);
    prefix.recordSize = u16At(bytes, 10);
    prefix.productionIndexFlag = byteAt(bytes, 28);
    return prefix;
}

std::variant<Header, QString> parseHeader(QByteArrayView bytes)
{
    auto prefix = parsePrefix(bytes);
    if (auto* error = std::get_if<QString>(&prefix))
        return *error;
    Header header;
    header.prefix = std::get<Prefix>(prefix);
    header.fields = TDbfFieldDefs(header.prefix.family);
    const bool seven = header.prefix.family == TableFamily::DbaseVII;
    const int fixedPart = seven ? FixedPartSizeVII : FixedPartSize;
    const int descriptorSize = seven ? DescriptorSizeVII : DescriptorSize;
    if (header.prefix.headerSize < fixedPart + 1 || header.prefix.headerSize > bytes.size()
        || header.prefix.recordSize < 1)
        return invalid();
    bytes = bytes.first(header.prefix.headerSize);
    if (seven)
        header.languageDriverName = zeroTerminated(bytes.sliced(32, 32));
    const int codePage = tableCodePage(header);

    qsizetype at = fixedPart;
    while (at + descriptorSize <= bytes.size() && bytes[at] != '\x0D') {
        if (header.fields.count() >= MaxFieldCount)
            return QString::fromLatin1(dbftext::InvalidFieldCount).arg(header.fields.count() + 1);
        auto def = parseDescriptor(bytes.sliced(at, descriptorSize), header.prefix.family, codePage);
        if (auto* error = std::get_if<QString>(&def))
            return *error;
        header.fields.add(std::get<TDbfFieldDef>(def));
        at += descriptorSize;
    }
    if (header.fields.count() == 0)
        return QString::fromLatin1(dbftext::InvalidFieldCount).arg(0);
    if (auto error = placeFields(header))
        return *error;
    // dBase VII: a properties block follows the terminator when more than 16 bytes remain.
    if (seven && bytes.size() - at > 16)
        parseProperties(bytes.sliced(at + 1), header.fields);
    return header;
}

}  // namespace dbfheader
