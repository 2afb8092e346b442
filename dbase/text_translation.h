// Translation of table text between code pages through the code-page service (iconv). The whole text is
// converted, whatever its length. A page that iconv lacks counts as not installed; bytes that are not valid
// in their page become replacement characters, never an error.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

enum class TTranslationMode {
    tmNoneNeeded,      // the table's page is the system's ANSI page
    tmSimple,          // the table's page is the system's OEM page
    tmAdvanced,        // another installed page: converted through UTF-16
    tmNoneAvailable,   // the page is not installed: the bytes are taken as the ANSI page's
};

namespace translation {

bool isInstalled(int codePage);
TTranslationMode modeFor(int tableCodePage, int ansiCodePage, int oemCodePage);
// The page whose rules decode a table's text in a mode.
int decodingPage(TTranslationMode mode, int tableCodePage, int ansiCodePage, int oemCodePage);
// Bytes of one page into another; a plain copy for equal pages.
QByteArray translate(const QByteArray& source, int fromCodePage, int toCodePage);
QString decode(const QByteArray& bytes, int codePage);

}  // namespace translation

// Decodes many texts of one page: single-byte pages through a table of 256 characters built once, other pages
// through the code-page service.
class TextDecoder {
public:
    explicit TextDecoder(int codePage = 1252);
    QString decode(QByteArrayView bytes) const;

private:
    int m_codePage;
    bool m_singleByte = false;
    char16_t m_table[256] = {};
};
