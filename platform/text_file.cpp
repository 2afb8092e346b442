// Text-file decoding, line splitting and writing lines: see text_file.h.

#include "platform/text_file.h"

#include "platform/code_page.h"

#include <QFile>
#include <QStringDecoder>

// Checked without building the decoded text.
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

namespace {

constexpr qsizetype kPieceSize = 1 << 20;

// The end of the line that starts at start: just after its CR LF, CR or LF, or the end of text.
template <typename View>
qsizetype lineEnd(View text, qsizetype start)
{
    qsizetype end = start;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r')
        ++end;
    if (end < text.size()) {
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        ++end;
    }
    return end;
}

// UTF-16 text as UTF-8 pieces that end at line ends (never inside a surrogate pair).
void decodeUtf16Pieces(QStringView text, const Utf8PieceSink& sink)
{
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = start;
        while (end < text.size() && end - start < kPieceSize)
            end = lineEnd(text, end);
        if (!sink(text.sliced(start, end - start).toUtf8()))
            return;
        start = end;
    }
}

bool emitRun(QByteArrayView run, bool utf8, int legacyPage, const Utf8PieceSink& sink)
{
    if (utf8)
        return sink(run);
    return sink(codepage::toUnicode(QByteArray::fromRawData(run.data(), run.size()), legacyPage).toUtf8());
}

// Lines grouped into runs of one kind (valid UTF-8 or legacy) of about kPieceSize bytes each.
void decodeLinePieces(QByteArrayView body, int legacyPage, const Utf8PieceSink& sink)
{
    qsizetype runStart = 0;
    bool runIsUtf8 = true;
    for (qsizetype start = 0; start < body.size();) {
        const qsizetype end = lineEnd(body, start);
        const bool lineIsUtf8 = isValidUtf8(body.sliced(start, end - start));
        if (start == runStart) {
            runIsUtf8 = lineIsUtf8;
        } else if (lineIsUtf8 != runIsUtf8 || end - runStart > kPieceSize) {
            if (!emitRun(body.sliced(runStart, start - runStart), runIsUtf8, legacyPage, sink))
                return;
            runStart = start;
            runIsUtf8 = lineIsUtf8;
        }
        start = end;
    }
    if (runStart < body.size())
        emitRun(body.sliced(runStart), runIsUtf8, legacyPage, sink);
}

}  // namespace

int legacyCodePage()
{
    const int named = codepage::codePageFromName(qgetenv("SORVANTA_CODEPAGE"));
    return named != 0 && codepage::isSupported(named) ? named : 1252;
}

void decodeTextPieces(QByteArrayView bytes, const Utf8PieceSink& sink)
{
    decodeTextPieces(bytes, legacyCodePage(), sink);
}

void decodeTextPieces(QByteArrayView bytes, int legacyPage, const Utf8PieceSink& sink)
{
    if (bytes.startsWith("\xFF\xFE")) {
        const QByteArrayView body = bytes.sliced(2);
        decodeUtf16Pieces(QStringView(reinterpret_cast<const QChar*>(body.data()), body.size() / 2), sink);
        return;
    }
    decodeLinePieces(bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes, legacyPage, sink);
}

QString decodeText(QByteArrayView bytes)
{
    return decodeText(bytes, legacyCodePage());
}

QString decodeText(QByteArrayView bytes, int legacyPage)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QString(reinterpret_cast<const QChar*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    QString text;
    decodeTextPieces(bytes, legacyPage, [&](QByteArrayView utf8) {
        text.append(textFromUtf8(utf8));
        return true;
    });
    return text;
}

QString textFromUtf8(QByteArrayView utf8)
{
    if (!utf8.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(utf8);
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
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
    bytes.reserve(size + 3);
    if (!lines.isEmpty() && lines.first().startsWith(QChar(0xFEFF)))
        bytes.append("\xEF\xBB\xBF");
    for (const QString& line : lines) {
        bytes.append(line.toUtf8());
        bytes.append("\r\n", 2);
    }
    return bytes;
}

std::optional<QByteArray> readWholeFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

std::optional<QString> readTextFile(const QString& path, QString* error)
{
    const std::optional<QByteArray> bytes = readWholeFile(path, error);
    if (!bytes)
        return std::nullopt;
    return decodeText(*bytes);
}

bool writeTextLines(const QString& path, const QStringList& lines, QString* error)
{
    return writeFileAtomically(path, encodeLines(lines), error);
}
