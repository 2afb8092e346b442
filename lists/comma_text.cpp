// Comma texts of rows: see comma_text.h.

#include "lists/comma_text.h"

#include "platform/string_list.h"

QString valuesCommaText(const QStringList& values)
{
    StringList list;
    for (const QString& value : values)
        list.add(value);
    return list.commaText();
}

QStringList commaTextValues(const QString& commaText)
{
    StringList list;
    list.setCommaText(commaText);
    return list.toStringList();
}
