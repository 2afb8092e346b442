// Code-page files: see code_page_file.h.

#include "dbase/code_page_file.h"

#include "dbase/file_lookup.h"
#include "dbase/language_drivers.h"
#include "platform/code_page.h"

#include <QFile>

namespace codepagefile {
namespace {

constexpr qint64 MaxFileBytes = 256;

// Names the code-page service does not know by these spellings.
struct Alias {
    const char* name;
    int codePage;
};
constexpr Alias Aliases[] = {
    {"UTF-8", 65001}, {"UTF8", 65001},  {"BIG5", 950},       {"GBK", 936},        {"GB2312", 936},
    {"SJIS", 932},    {"SHIFT_JIS", 932}, {"SHIFT-JIS", 932}, {"EUC-KR", 949},     {"US-ASCII", 20127},
};

QByteArray firstLine(QByteArrayView text)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    qsizetype end = 0;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n' && text[end] != '\0')
        ++end;
    return text.first(end).toByteArray().trimmed().toUpper();
}

// "8859-5", "8859_5", "ISO 8859-5", "ISO88595", "88595": the ISO 8859 part's page, else 0.
int iso8859Page(QByteArray name)
{
    if (name.startsWith("ISO"))
        name = name.mid(3);
    name.replace('-', "").replace('_', "").replace(' ', "");
    if (!name.startsWith("8859") || name.size() < 5)
        return 0;
    bool isNumber = false;
    const int part = name.mid(4).toInt(&isNumber);
    return isNumber && part >= 1 && part <= 16 ? 28590 + part : 0;
}

// "LDID/87": a language driver id, whose page the language table gives.
int languageDriverPage(const QByteArray& name)
{
    if (!name.startsWith("LDID/"))
        return 0;
    bool isNumber = false;
    const int id = name.mid(5).toInt(&isNumber);
    return isNumber && id > 0 && id < 256 ? languagedriver::codePageOfId(id) : 0;
}

int knownPage(int codePage)
{
    return codePage != 0 && !codepage::iconvName(codePage).isEmpty() ? codePage : 0;
}

}  // namespace

int codePageOfName(QByteArrayView text)
{
    QByteArray name = firstLine(text);
    for (const char* prefix : {"ANSI ", "OEM "})
        if (name.startsWith(prefix))
            name = name.mid(qsizetype(qstrlen(prefix))).trimmed();
    if (name.isEmpty())
        return 0;
    for (const Alias& alias : Aliases)
        if (name == alias.name)
            return knownPage(alias.codePage);
    if (const int page = iso8859Page(name))
        return knownPage(page);
    if (const int page = languageDriverPage(name))
        return knownPage(page);
    return knownPage(codepage::codePageFromName(name));
}

int codePageBeside(const QString& tablePath)
{
    const QString path = findCompanionFile(tablePath, QStringLiteral(".cpg"));
    if (path.isEmpty())
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return codePageOfName(file.read(MaxFileBytes));
}

}  // namespace codepagefile
