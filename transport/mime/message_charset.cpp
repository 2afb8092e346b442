// The charset of one message: see message_charset.h.

#include "transport/mime/message_charset.h"

#include <algorithm>

namespace {

bool namesAscii(const QString& name)
{
    const QString upper = name.trimmed().toUpper();
    return upper == u"US-ASCII" || upper == u"US_ASCII" || upper == u"ASCII";
}

bool isAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

}  // namespace

MessageCharset messageCharsetFor(TMimeChar charset, const QString& name, const QStringList& texts)
{
    const bool ascii = namesAscii(name);
    const bool fits = std::all_of(texts.begin(), texts.end(), [&](const QString& text) {
        return ascii ? isAscii(text) : fitsCharset(text, charset);
    });
    if (fits)
        return {charset, name, false};
    return {TMimeChar::UTF_8, CharsetName(TMimeChar::UTF_8), true};
}
