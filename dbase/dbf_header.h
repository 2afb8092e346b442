// Parser of a table's header bytes: the family from the version byte, the sizes, the 32- or 48-byte field
// descriptors up to the 0x0D terminator, the dBase VII field-properties block and the _NULLFLAGS bits.
// Every size is checked against the bytes and the file before use; a fault gives an error text, never a throw.
#pragma once

#include "dbase/dbf_field_def.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <variant>

namespace dbfheader {

constexpr int FixedPartSize = 32;          // dBase III, IV, FoxPro
constexpr int FixedPartSizeVII = 68;
constexpr int DescriptorSize = 32;
constexpr int DescriptorSizeVII = 48;
constexpr int MaxFieldCount = 4095;

// The family of a version byte (bits 0-2 first); nullopt for a byte no family has.
std::optional<TableFamily> familyOf(quint8 versionByte, quint8 languageId);

struct Prefix {
    TableFamily family = TableFamily::DbaseIII;
    quint8 versionByte = 0;
    quint32 storedRecordCount = 0;
    int headerSize = 0;
    int recordSize = 0;
    quint8 productionIndexFlag = 0;
    quint8 languageId = 0;
};
// The first 32 bytes; an error text for a short prefix or an unknown version byte.
std::variant<Prefix, QString> parsePrefix(QByteArrayView bytes);

struct Header {
    Prefix prefix;
    QByteArray languageDriverName;   // dBase VII, bytes 32-63 up to the first zero
    TDbfFieldDefs fields;
    int nullFlagsField = -1;         // index of _NULLFLAGS, -1 when none
};
// The whole header (headerSize bytes). Checks descriptors within the header, fields within the record, names
// present, letters known, at most 4095 fields. Names are decoded with the table's code page and upper-cased.
std::variant<Header, QString> parseHeader(QByteArrayView header);

}  // namespace dbfheader
