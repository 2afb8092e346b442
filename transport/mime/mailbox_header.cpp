// Direct-path header texts: see mailbox_header.h.

#include "transport/mime/mailbox_header.h"

#include "transport/mime/external_composer.h"

#include <algorithm>

namespace {

bool isPlainAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
}

}  // namespace

QString withControlsBlanked(QString text)
{
    std::replace_if(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; }, u' ');
    return text;
}

QByteArray encodeHeaderValue(const QString& text, TMimeChar charset, qsizetype firstLineUsed)
{
    const QString blanked = withControlsBlanked(text);
    if (isPlainAscii(blanked))
        return blanked.toLatin1();
    return EncodeHeaderText(blanked, charset, THdrCoding::hcQuotedPrn, firstLineUsed);
}

QByteArray encodeMailboxHeader(const QString& text, TMimeChar charset, qsizetype firstLineUsed)
{
    const QString blanked = withControlsBlanked(text);
    if (isPlainAscii(blanked))
        return blanked.toLatin1();
    const qsizetype open = blanked.lastIndexOf(u'<');
    QString name = open < 0 ? QString() : blanked.left(open).trimmed();
    if (name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"'))
        name = name.mid(1, name.size() - 2);
    if (name.isEmpty() || isPlainAscii(name))
        return encodeInCharset(blanked, charset);            // nothing to encode outside the address
    return EncodeHeaderText(name, charset, THdrCoding::hcQuotedPrn, firstLineUsed) + ' '
           + encodeInCharset(blanked.mid(open), charset);
}
