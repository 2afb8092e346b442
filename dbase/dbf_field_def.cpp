// Field definitions: the native-letter table of field types. See dbf_field_def.h.

#include "dbase/dbf_field_def.h"

int tableLevelOf(TableFamily family)
{
    switch (family) {
    case TableFamily::DbaseIII: return 3;
    case TableFamily::DbaseIV: return 4;
    case TableFamily::DbaseVII: return 7;
    case TableFamily::FoxPro: return 25;
    }
    Q_UNREACHABLE();
}

bool TDbfFieldDef::isMemo(TableFamily family) const
{
    if (NativeFieldType == 'B')
        return family != TableFamily::FoxPro;   // FoxPro "B" is a double
    return isMemoLetter();
}

TFieldType fieldTypeOf(char nativeType, int size, int precision, TableFamily family)
{
    const bool foxPro = family == TableFamily::FoxPro;
    switch (nativeType) {
    case 'C': return TFieldType::ftString;
    case 'N':
    case 'F':
        if (precision > 0)
            return TFieldType::ftFloat;
        return size < 5 ? TFieldType::ftSmallint : size > 9 ? TFieldType::ftLargeint : TFieldType::ftInteger;
    case 'L': return TFieldType::ftBoolean;
    case 'D': return TFieldType::ftDate;
    case 'M': return TFieldType::ftMemo;
    case 'G': return TFieldType::ftDBaseOle;
    case 'B': return foxPro ? TFieldType::ftFloat : TFieldType::ftBlob;
    case 'I': return TFieldType::ftInteger;
    case '+': return TFieldType::ftAutoInc;
    case 'O': return TFieldType::ftFloat;
    case '@': return TFieldType::ftDateTime;
    case 'T': return TFieldType::ftDateTime;
    case 'Y': return TFieldType::ftCurrency;
    case '0': return TFieldType::ftBytes;
    case char(0x91): return TFieldType::ftString;
    default: return TFieldType::ftUnknown;
    }
}

int TDbfFieldDefs::indexOf(const QString& name) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].FieldName.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool TDbfFieldDefs::hasMemoFields() const
{
    for (const TDbfFieldDef& def : m_items)
        if (def.isMemo(m_family))
            return true;
    return false;
}
