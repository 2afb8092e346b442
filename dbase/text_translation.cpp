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
