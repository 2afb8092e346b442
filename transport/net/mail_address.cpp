// Address safety check: see mail_address.h.

#include "transport/net/mail_address.h"

namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

}  // namespace

bool isCommandSafeAddress(QStringView address)
{
    for (const QChar c : address) {
        if (isControl(c.unicode()) || c.isSpace() || c == u'<' || c == u'>')
            return false;
    }
    return true;
}

QString printableAddress(QStringView address)
{
    QString text;
    text.reserve(address.size());
    for (const QChar c : address) {
        if (isControl(c.unicode()))
            text += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text;
}
