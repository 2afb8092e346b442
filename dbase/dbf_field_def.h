// TDbfFieldDef and TDbfFieldDefs: one column of a table as its descriptor states it (name, native letter,
// size, decimals, offset in the record, null-flag bit, dBase VII properties) and the field type the data set
// presents. Sizes are kept as stored so that offsets follow the file; only the field type is derived.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Table families; TableLevel() gives the numbers the data set shows.
enum class TableFamily { DbaseIII, DbaseIV, DbaseVII, FoxPro };
int tableLevelOf(TableFamily family);

enum class TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftLargeint, ftBoolean, ftFloat, ftCurrency,
    ftDate, ftDateTime, ftBytes, ftAutoInc, ftBlob, ftMemo, ftDBaseOle,
};

enum class TDateTimeHandling { dtDateTime, dtBDETimeStamp };

class TDbfFieldDef {
public:
    QString FieldName;
    TFieldType FieldType = TFieldType::ftUnknown;
    char NativeFieldType = 0;   // upper-case letter as stored (or the byte 0x91)
    int Size = 0;
    int Precision = 0;
    int Offset = 0;             // in the record; the deleted flag is byte 0
    quint32 AutoIncNext = 0;    // dBase VII
    bool Required = false;
    int NullBit = -1;           // bit in _NULLFLAGS, -1 when not nullable
    bool Nullable = false;      // FoxPro flag bit 1 of the descriptor
    bool HasDefault = false, HasMin = false, HasMax = false;
    QByteArray DefaultValue, MinValue, MaxValue;

    bool isMemo(TableFamily family) const;
    // Memo fields whose block number is a 4-byte binary value (Visual FoxPro).
    bool isBinaryBlockNumber() const { return isMemoLetter() && Size == 4; }

private:
    bool isMemoLetter() const { return NativeFieldType == 'M' || NativeFieldType == 'G' || NativeFieldType == 'B'; }
};

// The field type of a native letter in a family, ftUnknown for a letter that maps to none.
TFieldType fieldTypeOf(char nativeType, int size, int precision, TableFamily family);

class TDbfFieldDefs {
public:
    explicit TDbfFieldDefs(TableFamily family = TableFamily::DbaseIV) : m_family(family) {}
    TableFamily family() const { return m_family; }
    int count() const { return int(m_items.size()); }
    TDbfFieldDef& operator[](int index) { return m_items[index]; }
    const TDbfFieldDef& operator[](int index) const { return m_items[index]; }
    void add(const TDbfFieldDef& def) { m_items.append(def); }
    // Index of the field named so (without case), -1 when none.
    int indexOf(const QString& name) const;
    bool hasMemoFields() const;

private:
    TableFamily m_family;
    QList<TDbfFieldDef> m_items;
};
