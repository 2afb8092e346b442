// HTML files as text, decoded by the charset they declare: see html_file_text.h.

#include "core/project/html_file_text.h"

#include "platform/code_page.h"
#include "platform/text_file.h"
#include "transport/mime/html_meta_charset.h"

namespace {

struct CharsetAlias {
    const char* name;
    int codePage;
};

// Names pages use that the code-page table does not spell this way. Latin-1 and ASCII labels mean
// windows-1252 in every browser, so pages labelled so hold its letters.
constexpr CharsetAlias kAliases[] = {
    {"iso-8859-1", 1252}, {"latin1", 1252}, {"us-ascii", 1252}, {"ascii", 1252},
    {"shift_jis", 932}, {"sjis", 932}, {"gb2312", 936}, {"gbk", 936}, {"euc-kr", 949}, {"ks_c_5601-1987", 949},
    {"big5", 950},
};

int codePageOfCharset(const QByteArray& name)
{
    const QByteArray lower = name.toLower();
    for (const CharsetAlias& alias : kAliases)
        if (lower == alias.name)
            return alias.codePage;
    return codepage::codePageFromName(name);
}

}  // namespace

int HtmlLegacyCodePage(QByteArrayView html)
{
    const int declared = codePageOfCharset(declaredCharset(html));
    // A page that claims a Unicode form but is not valid in it is most likely in the legacy page.
    const bool unicode = declared == 65001 || declared == 1200 || declared == 1201;
    return declared != 0 && !unicode && codepage::isSupported(declared) ? declared : legacyCodePage();
}

QString DecodeHtmlText(QByteArrayView html)
{
    return decodeText(html, HtmlLegacyCodePage(html));
}

std::optional<QString> ReadHtmlFile(const QString& path, QString* error)
{
    const std::optional<QByteArray> bytes = readWholeFile(path, error);
    if (!bytes)
        return std::nullopt;
    return DecodeHtmlText(*bytes);
}
