// Letter case by code page: see case_mapping.h.

#include "dbase/case_mapping.h"

#include "platform/code_page.h"

#include <QHash>

#include <array>
#include <mutex>

namespace casemapping {
namespace {

using ByteTable = std::array<char, 256>;

bool isSingleBytePage(int codePage)
{
    return codePage != 932 && codePage != 936 && codePage != 949 && codePage != 950 && codePage != 65001;
}

ByteTable buildTable(int codePage, bool toUpper)
{
    ByteTable table{};
    for (int b = 0; b < 256; ++b) {
        table[size_t(b)] = char(b);
        const QString decoded = codepage::toUnicode(QByteArray(1, char(b)), codePage);
        if (decoded.size() != 1)
            continue;
        const QString mapped = toUpper ? decoded.toUpper() : decoded.toLower();
        if (mapped == decoded || mapped.size() != 1)
            continue;
        const QByteArray encoded = codepage::fromUnicode(mapped, codePage);
        if (encoded.size() == 1 && codepage::toUnicode(encoded, codePage) == mapped)
            table[size_t(b)] = encoded.at(0);
    }
    return table;
}

const ByteTable& tableFor(int codePage, bool toUpper)
{
    static std::mutex lock;
    static QHash<int, ByteTable> tables;
    const std::lock_guard<std::mutex> guard(lock);
    const int key = toUpper ? codePage : -codePage - 1;
    auto it = tables.find(key);
    if (it == tables.end())
        it = tables.insert(key, buildTable(codePage, toUpper));
    return *it;
}

QByteArray mapCase(QByteArrayView text, int codePage, bool toUpper)
{
    if (!isSingleBytePage(codePage)) {
        const QString decoded = codepage::toUnicode(text.toByteArray(), codePage);
        const QByteArray mapped = codepage::fromUnicode(toUpper ? decoded.toUpper() : decoded.toLower(), codePage);
        return mapped.size() == text.size() ? mapped : text.toByteArray();
    }
    const ByteTable& table = tableFor(codePage, toUpper);
    QByteArray result(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        result[i] = table[uchar(text[i])];
    return result;
}

}  // namespace

QByteArray upper(QByteArrayView text, int codePage) { return mapCase(text, codePage, true); }
QByteArray lower(QByteArrayView text, int codePage) { return mapCase(text, codePage, false); }

}  // namespace casemapping
