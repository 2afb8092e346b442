// Maximal record length: see db_maker_records.h.

#include "lists/db_maker_records.h"

qsizetype maximumRecordLength(bool limited, const QString& text)
{
    if (!limited)
        return 0;
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok && value > 0 ? qsizetype(value) : 0;
}
