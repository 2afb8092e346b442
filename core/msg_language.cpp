// TMsgLanguage: see msg_language.h.

#include "core/msg_language.h"

TMsgLanguage::TMsgLanguage(QObject* owner, const QStringList& items) : QObject(owner), m_items(items)
{
    setObjectName(QStringLiteral("msl"));
}
