// Reading a text file for the import wizard: see import_text_file.h.

#include "lists/import_text_file.h"

#include "platform/code_page.h"
#include "platform/text_file.h"

#include <QFile>
#include <QStringView>

#include <climits>
#include <cstring>
#include <new>

namespace {

// The start of every line of text (CR LF, CR or LF end a line; a last line end adds no line), then the end
// of the text; and the longest line in units.
template <typename View>
qsizetype indexLines(View text, std::vector<qsizetype>& starts)
{
    qsizetype longest = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        starts.push_back(start);
        qsizetype end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        longest = std::max(longest, end - start);
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    starts.push_back(text.size());
    return longest;
}

// The same for bytes.
qsizetype indexByteLines(QByteArrayView text, std::vector<qsizetype>& starts)
{
    qsizetype longest = 0;
    forEachByteLine(text, [&](qsizetype start, qsizetype end) {
        starts.push_back(start);
        longest = std::max(longest, end - start);
        return true;
    });
    starts.push_back(text.size());
    return longest;
}

// UTF-16 units of valid UTF-8: one per lead byte, two for a four-byte sequence.
int utf16Length(QByteArrayView utf8)
{
    int units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80;
        units += byte >= 0xF0;
    }
    return units;
}

ImportTextFile refused(const QString& error)
{
    ImportTextFile file;
    file.error = error;
    return file;
}

}  // namespace

QByteArrayView ImportText::rawLine(int index) const
{
    const qsizetype start = m_starts[std::size_t(index)];
    return QByteArrayView(m_bytes).sliced(m_bodyStart + start, lineEnd(index) - start);
}

// A line's end without its line end: the next line's start less one LF and one CR before it.
qsizetype ImportText::lineEnd(int index) const
{
    const qsizetype start = m_starts[std::size_t(index)];
    qsizetype end = m_starts[std::size_t(index) + 1];
    const auto unitAt = [&](qsizetype at) -> char16_t {
        if (m_encoding == Encoding::Utf16) {
            const auto* units = reinterpret_cast<const uchar*>(m_bytes.constData() + m_bodyStart);
            return char16_t(units[2 * at] | (units[2 * at + 1] << 8));
        }
        return char16_t(static_cast<unsigned char>(m_bytes[m_bodyStart + at]));
    };
    if (end > start && unitAt(end - 1) == u'\n')
        --end;
    if (end > start && unitAt(end - 1) == u'\r')
        --end;
    return end;
}

QString ImportText::line(int index) const
{
    if (index < 0 || index >= lineCount())
        return QString();
    auto& cached = m_cache[std::size_t(index) % m_cache.size()];
    if (cached.first == index + 1)
        return cached.second;
    QString text;
    if (m_encoding == Encoding::Utf16) {
        const qsizetype start = m_starts[std::size_t(index)];
        text = QString(reinterpret_cast<const QChar*>(m_bytes.constData() + m_bodyStart) + start, lineEnd(index) - start);
    } else {
        const QByteArrayView raw = rawLine(index);
        text = m_encoding == Encoding::PerLine && isValidUtf8(raw)
                   ? textFromUtf8(raw)
                   : codepage::toUnicode(QByteArray::fromRawData(raw.data(), raw.size()), m_codePage);
    }
    cached = {index + 1, text};
    return text;
}

QByteArrayView ImportText::lineUtf8(int index, QByteArray& scratch) const
{
    if (m_encoding == Encoding::PerLine) {
        const QByteArrayView raw = rawLine(index);
        if (isValidUtf8(raw))
            return raw;
        scratch = codepage::toUnicode(QByteArray::fromRawData(raw.data(), raw.size()), m_codePage).toUtf8();
        return scratch;
    }
    if (m_encoding == Encoding::Oem) {
        const QByteArrayView raw = rawLine(index);
        scratch = codepage::toUnicode(QByteArray::fromRawData(raw.data(), raw.size()), m_codePage).toUtf8();
        return scratch;
    }
    const qsizetype start = m_starts[std::size_t(index)];
    scratch = QStringView(reinterpret_cast<const QChar*>(m_bytes.constData() + m_bodyStart) + start,
                          lineEnd(index) - start)
                  .toUtf8();
    return scratch;
}

int ImportText::lineLength(int index) const
{
    if (m_encoding == Encoding::Utf16)
        return int(lineEnd(index) - m_starts[std::size_t(index)]);
    const QByteArrayView raw = rawLine(index);
    if (m_encoding == Encoding::PerLine && isValidUtf8(raw))
        return utf16Length(raw);
    if (m_encoding == Encoding::Oem)
        return int(raw.size());   // one character a byte
    return int(line(index).size());
}

int ImportText::longestLine() const
{
    if (m_longestLine < 0) {
        m_longestLine = 0;
        for (int index = 0; index < lineCount(); ++index)
            m_longestLine = std::max(m_longestLine, lineLength(index));
    }
    return m_longestLine;
}

ImportTextFile decodeImportText(const QByteArray& bytes, bool dos)
{
    auto text = std::make_shared<ImportText>();
    const bool utf16 = !dos && bytes.startsWith("\xFF\xFE");
    if (!utf16 && std::memchr(bytes.constData(), '\0', std::size_t(bytes.size())))
        return refused(QStringLiteral("This is not a text file."));
    text->m_bytes = bytes;
    text->m_encoding = utf16 ? ImportText::Encoding::Utf16 : dos ? ImportText::Encoding::Oem : ImportText::Encoding::PerLine;
    text->m_codePage = dos ? codepage::oemCodePage() : legacyCodePage();
    text->m_bodyStart = utf16 ? 2 : !dos && bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    qsizetype longestBytes = 0;
    try {
        if (utf16) {
            const QByteArrayView body = QByteArrayView(bytes).sliced(2);
            longestBytes = 2 * indexLines(QStringView(reinterpret_cast<const QChar*>(body.data()), body.size() / 2),
                                          text->m_starts);
        } else {
            longestBytes = indexByteLines(QByteArrayView(bytes).sliced(text->m_bodyStart), text->m_starts);
        }
    } catch (const std::bad_alloc&) {
        return refused(QStringLiteral("Not enough memory to read the file."));
    }
    if (longestBytes > MaxLineBytes)
        return refused(QStringLiteral("A line of this file is longer than %1 bytes; it is not a list.").arg(MaxLineBytes));
    if (text->m_starts.size() > std::size_t(INT_MAX))
        return refused(QStringLiteral("This file has more lines than a list can hold."));
    ImportTextFile file;
    file.ok = true;
    file.text = std::move(text);
    return file;
}

ImportTextFile readImportTextFile(const QString& fileName, bool dos)
{
    QFile source(fileName);
    if (!source.open(QIODevice::ReadOnly))
        return refused(source.errorString());
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return refused(source.errorString());
    return decodeImportText(bytes, dos);
}
