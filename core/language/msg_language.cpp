// TMsgLanguage: see msg_language.h.

#include "core/language/msg_language.h"

TMsgLanguage::TMsgLanguage(QObject* owner, const QStringList& items) : QObject(owner), m_items(items)
{
    setObjectName(QStringLiteral("msl"));
}

void TMsgLanguage::setText(int index, const QString& text)
{
    if (index >= 0 && index < m_items.size())
        m_items[index] = text;
}
