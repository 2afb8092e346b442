// Code-page service over glibc iconv: see code_page.h. The locale is read once (setlocale(LC_CTYPE, "")),
// so the answers stay stable for the life of the program.

#include "platform/code_page.h"

#include <QStringList>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <mutex>
#include <vector>

namespace codepage {
namespace {

struct LocaleFacts {
    QByteArray codeset;    // nl_langinfo(CODESET)
    QByteArray language;   // "ru" from "ru_RU.UTF-8"
};

// "ru" from a locale name such as "ru_RU.UTF-8"; empty for "C", "POSIX" or no name.
QByteArray languageOfLocale(const char* localeName)
{
    const QByteArray name(localeName ? localeName : "");
    qsizetype end = 0;
    while (end < name.size() && name[end] >= 'a' && name[end] <= 'z')
        ++end;
    return name.left(end);
}

// "UTF-8" from a locale name such as "ru_RU.UTF-8@euro"; empty when the name has none.
QByteArray codesetOfLocale(const char* localeName)
{
    const QByteArray name(localeName ? localeName : "");
    const qsizetype dot = name.indexOf('.');
    return dot < 0 ? QByteArray() : name.mid(dot + 1).split('@').first();
}

// The locale the environment asks for (LC_ALL, then LC_CTYPE, then LANG), for when it is not installed.
const char* requestedLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(variable); value && *value)
            return value;
    return nullptr;
}

const LocaleFacts& localeFacts()
{
    static LocaleFacts facts;
    static std::once_flag once;
    std::call_once(once, [] {
        const char* applied = std::setlocale(LC_CTYPE, "");
        facts.language = languageOfLocale(applied ? applied : requestedLocaleName());
        facts.codeset = applied ? QByteArray(nl_langinfo(CODESET)) : codesetOfLocale(requestedLocaleName());
    });
    return facts;
}

struct NamedPage {
    int codePage;
    const char* iconvName;
};

// Windows code pages the program meets in list files, OEM text and dBase tables.
constexpr NamedPage kPages[] = {
    {437, "CP437"},     {737, "CP737"},     {775, "CP775"},     {850, "CP850"},     {852, "CP852"},
    {855, "CP855"},     {857, "CP857"},     {860, "CP860"},     {861, "CP861"},     {862, "CP862"},
    {863, "CP863"},     {864, "CP864"},     {865, "CP865"},     {866, "CP866"},     {869, "CP869"},
    {874, "CP874"},     {932, "CP932"},     {936, "CP936"},     {949, "CP949"},     {950, "CP950"},
    {1200, "UTF-16LE"}, {1201, "UTF-16BE"}, {1250, "CP1250"},   {1251, "CP1251"},   {1252, "CP1252"},
    {1253, "CP1253"},   {1254, "CP1254"},   {1255, "CP1255"},   {1256, "CP1256"},   {1257, "CP1257"},
    {1258, "CP1258"},   {20127, "ASCII"},   {20866, "KOI8-R"},  {21866, "KOI8-U"},  {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"}, {28593, "ISO-8859-3"}, {28594, "ISO-8859-4"}, {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"}, {28597, "ISO-8859-7"}, {28598, "ISO-8859-8"}, {28599, "ISO-8859-9"},
    {28600, "ISO-8859-10"}, {28603, "ISO-8859-13"}, {28604, "ISO-8859-14"}, {28605, "ISO-8859-15"},
    {28606, "ISO-8859-16"}, {65001, "UTF-8"},
};

// OEM code page by locale language; everything else keeps 437.
struct LanguagePage {
    const char* language;
    int codePage;
};
constexpr LanguagePage kOemPages[] = {
    {"ru", 866}, {"uk", 866}, {"be", 866},
    {"de", 850}, {"fr", 850}, {"es", 850}, {"it", 850}, {"pt", 850}, {"nl", 850}, {"da", 850},
    {"sv", 850}, {"no", 850}, {"nb", 850}, {"nn", 850}, {"fi", 850}, {"is", 850}, {"ca", 850},
    {"pl", 852}, {"cs", 852}, {"sk", 852}, {"hu", 852}, {"sl", 852}, {"hr", 852}, {"ro", 852},
};

// iconv_open looks the conversion up anew on every call, which costs more than converting a short line (a
// file of mixed lines converts each legacy line apart): each thread keeps its open conversions.
class ConverterCache {
public:
    ~ConverterCache()
    {
        for (const Entry& entry : m_entries)
            iconv_close(entry.handle);
    }
    // An open conversion in its initial state, or iconv_t(-1).
    iconv_t open(const char* to, const char* from)
    {
        for (const Entry& entry : m_entries) {
            if (entry.to == to && entry.from == from) {
                iconv(entry.handle, nullptr, nullptr, nullptr, nullptr);
                return entry.handle;
            }
        }
        const iconv_t handle = iconv_open(to, from);
        if (handle != iconv_t(-1))
            m_entries.push_back({to, from, handle});
        return handle;
    }

private:
    struct Entry {
        QByteArray to;
        QByteArray from;
        iconv_t handle;
    };
    std::vector<Entry> m_entries;
};

// Runs iconv over the whole input; an input sequence the target cannot take is skipped by `inputStep` bytes
// and replaced by substitute(its first byte), already encoded in the target.
template <typename Substitute>
QByteArray convert(const QByteArray& input, const char* from, const char* to, Substitute&& substitute,
                   size_t inputStep)
{
    thread_local ConverterCache converters;
    iconv_t handle = converters.open(to, from);
    if (handle == iconv_t(-1))
        return {};
    QByteArray output;
    output.reserve(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = size_t(input.size());
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(handle, &in, &inLeft, &out, &outLeft);
        output.append(buffer, out - buffer);
        if (result != size_t(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (a truncated sequence at the end): substitute and step over it.
        output.append(substitute(static_cast<unsigned char>(*in)));
        const size_t step = std::min(inputStep, inLeft);
        in += step;
        inLeft -= step;
    }
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(handle, nullptr, nullptr, &out, &outLeft);
    output.append(buffer, out - buffer);
    return output;
}

// The number a codeset name stands for, 0 when none.
int codePageNumberOfCodeset(const QByteArray& codeset)
{
    if (codeset == "UTF-8" || codeset == "UTF8")
        return 65001;
    if (codeset.startsWith("ISO-8859-"))
        return 28590 + codeset.mid(9).toInt();
    if (codeset == "KOI8-R")
        return 20866;
    if (codeset == "KOI8-U")
        return 21866;
    if (codeset.startsWith("CP125") && codeset.size() == 6)
        return codeset.mid(2).toInt();
    return 0;
}

}  // namespace

int ansiCodePage()
{
    return codePageOfCodeset(localeFacts().codeset);
}

int oemCodePage()
{
    return oemCodePageOfLanguage(localeFacts().language);
}

int codePageOfCodeset(const QByteArray& name)
{
    const int codePage = codePageNumberOfCodeset(name.toUpper());
    return codePage != 0 && !iconvName(codePage).isEmpty() ? codePage : 1252;
}

int oemCodePageOfLanguage(const QByteArray& language)
{
    for (const LanguagePage& entry : kOemPages)
        if (language == entry.language)
            return entry.codePage;
    return 437;
}

QByteArray iconvName(int codePage)
{
    for (const NamedPage& page : kPages)
        if (page.codePage == codePage)
            return page.iconvName;
    return {};
}

int codePageFromName(const QByteArray& name)
{
    QByteArray upper = name.trimmed().toUpper();
    if (upper.startsWith("WINDOWS-"))
        upper = upper.mid(8);
    else if (upper.startsWith("CP"))
        upper = upper.mid(2);
    bool isNumber = false;
    const int number = upper.toInt(&isNumber);
    if (isNumber)
        return iconvName(number).isEmpty() ? 0 : number;
    for (const NamedPage& page : kPages)
        if (upper == page.iconvName || (upper == "UTF8" && page.codePage == 65001))
            return page.codePage;
    return 0;
}

bool isSupported(int codePage)
{
    const QByteArray name = iconvName(codePage);
    if (name.isEmpty())
        return false;
    iconv_t handle = iconv_open("UTF-16LE", name.constData());
    if (handle == iconv_t(-1))
        return false;
    iconv_close(handle);
    return true;
}

QString toUnicode(const QByteArray& bytes, int codePage)
{
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    const QByteArray name = iconvName(codePage);
    if (name.isEmpty())
        return QString::fromLatin1(bytes);
    // Windows maps the five holes of 1252 to the control characters of the same number, so such bytes
    // survive; elsewhere an undefined byte becomes U+FFFD.
    const auto replacement = [codePage](unsigned char byte) {
        return codePage == 1252 ? QByteArray(1, char(byte)) + '\0' : QByteArray("\xFD\xFF", 2);
    };
    const QByteArray utf16 = convert(bytes, name.constData(), "UTF-16LE", replacement, 1);
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

QByteArray fromUnicode(const QString& text, int codePage, char substitute)
{
    const QByteArray name = iconvName(codePage);
    if (codePage == 65001 || name.isEmpty())
        return codePage == 65001 ? text.toUtf8() : text.toLatin1();
    // UTF-32 input so that one unconvertible character is one 4-byte step, surrogate pairs included.
    QByteArray utf32;
    const QList<uint> codePoints = text.toUcs4();
    utf32.resize(codePoints.size() * 4);
    std::memcpy(utf32.data(), codePoints.constData(), size_t(utf32.size()));
    const char* utf32Name = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-32LE" : "UTF-32BE";
    return convert(utf32, utf32Name, name.constData(), [substitute](unsigned char) { return QByteArray(1, substitute); },
                   4);
}

}  // namespace codepage
