// Text-file decoding, line splitting and atomic writes: see text_file.h.

#include "platform/text_file.h"

#include "platform/code_page.h"

#include <QFile>
#include <QSaveFile>

namespace {

// Well-formed UTF-8 as the Unicode standard defines it (no overlong forms, surrogates or values above
// U+10FFFF), checked without building the decoded text.
bool isValidUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int trail = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (*p >= 0xC2 && *p <= 0xDF) {
            trail = 1;
        } else if (*p >= 0xE0 && *p <= 0xEF) {
            trail = 2;
            low = *p == 0xE0 ? 0xA0 : 0x80;
            high = *p == 0xED ? 0x9F : 0xBF;
        } else if (*p >= 0xF0 && *p <= 0xF4) {
            trail = 3;
            low = *p == 0xF0 ? 0x90 : 0x80;
            high = *p == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - p <= trail || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i <= trail; ++i)
            if (p[i] < 0x80 || p[i] > 0xBF)
                return false;
        p += trail + 1;
    }
    return true;
}

}  // namespace

int legacyCodePage()
{
    const int named = codepage::codePageFromName(qgetenv("SORVANTA_CODEPAGE"));
    return named != 0 && codepage::isSupported(named) ? named : 1252;
}

TextEncoding textEncoding(QByteArrayView bytes, qsizetype* bodyStart)
{
    qsizetype start = 0;
    TextEncoding encoding = TextEncoding::Legacy;
    if (bytes.startsWith("\xFF\xFE")) {
        start = 2;
        encoding = TextEncoding::Utf16Le;
    } else {
        if (bytes.startsWith("\xEF\xBB\xBF"))
            start = 3;
        if (isValidUtf8(bytes.sliced(start)))
            encoding = TextEncoding::Utf8;
        else
            start = 0;
    }
    if (bodyStart)
        *bodyStart = start;
    return encoding;
}

QString decodeText(const QByteArray& bytes)
{
    qsizetype start = 0;
    const QByteArrayView body(bytes);
    switch (textEncoding(body, &start)) {
    case TextEncoding::Utf16Le:
        return QString(reinterpret_cast<const QChar*>(body.data() + start), (body.size() - start) / 2);
    case TextEncoding::Utf8:
        return QString::fromUtf8(body.sliced(start));
    case TextEncoding::Legacy:
        return codepage::toUnicode(bytes, legacyCodePage());
    }
    Q_UNREACHABLE();
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    const qsizetype size = text.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != '\r' && text[end] != '\n')
            ++end;
        lines.append(text.mid(start, end - start));
        if (end < size && text[end] == '\r' && end + 1 < size && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

QByteArray encodeLines(const QStringList& lines)
{
    QByteArray bytes;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 2;
    bytes.reserve(size);
    for (const QString& line : lines) {
        bytes.append(line.toUtf8());
        bytes.append("\r\n", 2);
    }
    return bytes;
}

std::optional<QString> readTextFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return decodeText(bytes);
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error,
                         QFileDevice::Permissions permissions)
{
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && (!permissions || file.setPermissions(permissions))
        && file.write(bytes) == bytes.size() && file.commit();
    if (!written) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
    }
    return written;
}

bool writeTextLines(const QString& path, const QStringList& lines, QString* error)
{
    return writeFileAtomically(path, encodeLines(lines), error);
}
