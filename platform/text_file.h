// Reading and writing the program's text files. Reading decodes UTF-16 LE when the bytes start with FF FE;
// otherwise line by line (a UTF-8 BOM at the start dropped): a line that is valid UTF-8 is UTF-8, any other
// line is in the legacy code page, Windows-1252 or the one named by $SORVANTA_CODEPAGE. So one stray byte
// spoils its own line, not the whole file. Writing produces UTF-8 without BOM, CR LF after every line (the last
// included), through the one file writer (platform/atomic_file.h): a failed write leaves the old file and says why.
#pragma once

#include "platform/atomic_file.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstring>
#include <functional>
#include <optional>

// The one decoding of every reader: the text of bytes as UTF-8, handed to sink in pieces of about a megabyte
// that end at line ends (a longer line is a piece of its own), so a large file never exists decoded whole.
// A piece that is valid UTF-8 in the file is a view into bytes. sink answers false to stop.
using Utf8PieceSink = std::function<bool(QByteArrayView utf8)>;
void decodeTextPieces(QByteArrayView bytes, const Utf8PieceSink& sink);
QString decodeText(QByteArrayView bytes);
// Well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF): the per-line rule of the readers
// takes such a line as UTF-8 and any other in the legacy code page.
bool isValidUtf8(QByteArrayView bytes);
// The same with the lines that are not UTF-8 read in legacyPage (a file that names its own code page).
void decodeTextPieces(QByteArrayView bytes, int legacyPage, const Utf8PieceSink& sink);
QString decodeText(QByteArrayView bytes, int legacyPage);
// UTF-8 bytes as text with a leading U+FEFF kept: QString::fromUtf8 drops it as a byte-order mark, but inside a
// file or a cell it is the text's own character.
QString textFromUtf8(QByteArrayView utf8);
// The code page of legacy files: $SORVANTA_CODEPAGE when it names one iconv knows, else 1252.
int legacyCodePage();
// Lines split at CR LF, CR or LF; a final line end adds no empty line.
QStringList splitLines(const QString& text);
// The same for bytes, without copying: calls line(start, end) for each line, end before its line end;
// line answers false to stop, and so does this function. Walks the bytes with memchr, as list-sized files
// go through here.
template <typename Line>
bool forEachByteLine(QByteArrayView text, Line&& line)
{
    const char* data = text.data();
    const qsizetype size = text.size();
    qsizetype nextCr = -1;   // position of the next CR at or after start, or size
    for (qsizetype start = 0; start < size;) {
        const void* lf = std::memchr(data + start, '\n', std::size_t(size - start));
        qsizetype end = lf ? static_cast<const char*>(lf) - data : size;
        if (nextCr < start) {
            const void* cr = std::memchr(data + start, '\r', std::size_t(size - start));
            nextCr = cr ? static_cast<const char*>(cr) - data : size;
        }
        qsizetype next = end + 1;
        if (nextCr < end) {
            end = nextCr;
            next = end + 1 < size && data[end + 1] == '\n' ? end + 2 : end + 1;
        }
        if (!line(start, end))
            return false;
        start = next;
    }
    return true;
}
// lines joined with CR LF after every line, as UTF-8. Text that starts with U+FEFF gets a byte-order mark
// before it, so that reading it back (which drops one mark) keeps the character.
QByteArray encodeLines(const QStringList& lines);

// The file's bytes, or nullopt when it cannot be read (*error says why).
std::optional<QByteArray> readWholeFile(const QString& path, QString* error = nullptr);
// The whole file decoded, or nullopt when it cannot be read (*error says why).
std::optional<QString> readTextFile(const QString& path, QString* error = nullptr);
// lines as the file's new content (encodeLines), written as writeFileAtomically does.
bool writeTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);
