// Text translation over the platform's code-page service: see text_translation.h.

#include "dbase/text_translation.h"

#include "platform/code_page.h"

namespace translation {

bool isInstalled(int codePage)
{
    return codePage > 0 && codepage::isSupported(codePage);
}

TTranslationMode modeFor(int tableCodePage, int ansiCodePage, int oemCodePage)
{
    if (tableCodePage == ansiCodePage)
        return TTranslationMode::tmNoneNeeded;
    if (tableCodePage == oemCodePage)
        return TTranslationMode::tmSimple;
    return isInstalled(tableCodePage) ? TTranslationMode::tmAdvanced : TTranslationMode::tmNoneAvailable;
}

int decodingPage(TTranslationMode mode, int tableCodePage, int ansiCodePage, int oemCodePage)
{
    switch (mode) {
    case TTranslationMode::tmNoneNeeded:
    case TTranslationMode::tmNoneAvailable: return ansiCodePage;
    case TTranslationMode::tmSimple: return oemCodePage;
    case TTranslationMode::tmAdvanced: return tableCodePage;
    }
    Q_UNREACHABLE();
}

QByteArray translate(const QByteArray& source, int fromCodePage, int toCodePage)
{
    if (fromCodePage == toCodePage)
        return source;
    return codepage::fromUnicode(decode(source, fromCodePage), toCodePage);
}

QString decode(const QByteArray& bytes, int codePage)
{
    return codepage::toUnicode(bytes, isInstalled(codePage) ? codePage : 1252);
}

}  // namespace translation

namespace {
// Pages where a character may take more than one byte.
bool isMultiByte(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1200
           || codePage == 1201 || codePage == 65001;
}
}  // namespace

TextDecoder::TextDecoder(int codePage)
    : m_codePage(translation::isInstalled(codePage) ? codePage : 1252)
{
    if (isMultiByte(m_codePage))
        return;
    QByteArray all(256, '\0');
    for (int byte = 0; byte < 256; ++byte)
        all[byte] = char(byte);
    const QString decoded = codepage::toUnicode(all, m_codePage);
    if (decoded.size() != 256)
        return;
    for (int byte = 0; byte < 256; ++byte)
        m_table[byte] = decoded[byte].unicode();
    m_singleByte = true;
}

QString TextDecoder::decode(QByteArrayView bytes) const
{
    if (!m_singleByte)
        return codepage::toUnicode(bytes.toByteArray(), m_codePage);
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = m_table[quint8(bytes[i])];
    return text;
}
