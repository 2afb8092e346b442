// Text-file decoding, line splitting and atomic writes: see text_file.h.

#include "platform/text_file.h"

#include "platform/code_page.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// The legacy code page for files that are neither UTF-16 nor UTF-8: $SORVANTA_CODEPAGE when it names a page
// iconv knows, else Windows-1252.
int legacyCodePage()
{
    const int named = codepage::codePageFromName(qgetenv("SORVANTA_CODEPAGE"));
    return named != 0 && codepage::isSupported(named) ? named : 1252;
}

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(view);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

}  // namespace

QString decodeText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        const QByteArrayView body = QByteArrayView(bytes).sliced(2);
        return QString(reinterpret_cast<const QChar*>(body.data()), body.size() / 2);
    }
    if (std::optional<QString> text = decodeUtf8(bytes))
        return *std::move(text);
    return codepage::toUnicode(bytes, legacyCodePage());
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

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
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
