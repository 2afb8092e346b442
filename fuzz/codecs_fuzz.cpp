// libFuzzer target for base64 and quoted-printable: decoding any text never reads past it; encoding any
// bytes decodes back to them, whole, in attachment lines and in the streaming quoted-printable encoder fed
// in chunks (the first byte sets the chunk size), as binary content byte for byte and as text with its
// line breaks kept as CR LF; encoded text holds only the characters it may.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 codecs_fuzz (see scripts/fuzz).

#include "transport/mime/base64.h"
#include "transport/mime/quoted_printable.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes of the body encoder's output: "=XX" a byte, "=" CR LF a soft break, CR LF a hard line break
// (text only); anything else, a line over 76 characters, a blank right before a hard break or a line that
// opens with "." must not occur.
QByteArray decodeQuotedPrintable(const QByteArray& text, bool hardBreaksAllowed)
{
    QByteArray bytes;
    qsizetype column = 0;
    for (qsizetype i = 0; i < text.size();) {
        const char c = text[i];
        if (text.mid(i, 2) == "\r\n") {
            if (!hardBreaksAllowed || (i > 0 && (text[i - 1] == ' ' || text[i - 1] == '\t')))
                std::abort();
            bytes.append("\r\n");
            i += 2;
            column = 0;
            continue;
        }
        if (c != '=') {
            const bool blank = c == ' ' || c == '\t';
            if ((!blank && (c < 33 || c > 126)) || (c == '.' && column == 0))   // a "." opening a line could end the data
                std::abort();
            bytes.append(c);
            ++i;
            ++column;
        } else if (text.mid(i, 3) == "=\r\n") {
            i += 3;
            column = -1;
        } else {
            if (i + 2 >= text.size())
                std::abort();
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0)
                std::abort();
            bytes.append(char(high * 16 + low));
            i += 3;
            column += 3;
        }
        if (column > 76)
            std::abort();
        column = std::max<qsizetype>(column, 0);
    }
    return bytes;
}

// Text keeps its line breaks, and a lone LF is one as well: CR LF is what it decodes to.
QByteArray withCrLfBreaks(const QByteArray& bytes)
{
    QByteArray text;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            text.append('\r');
        text.append(bytes[i]);
    }
    return text;
}

// The encoder fed in chunks of that size, then finished.
QByteArray encodeInChunks(const QByteArray& bytes, qsizetype chunk, QuotedPrintableEncoder::Content content)
{
    QuotedPrintableEncoder encoder(content);
    QByteArray quoted;
    for (qsizetype at = 0; at < bytes.size(); at += chunk)
        encoder.encode(QByteArrayView(bytes).sliced(at, std::min(chunk, bytes.size() - at)), quoted);
    encoder.finish(quoted);
    return quoted;
}

QByteArray decodeQWord(const QByteArray& word)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] == '_') {
            bytes.append(' ');
        } else if (word[i] == '=' && i + 2 < word.size() && hexValue(word[i + 1]) >= 0 && hexValue(word[i + 2]) >= 0) {
            bytes.append(char(hexValue(word[i + 1]) * 16 + hexValue(word[i + 2])));
            i += 2;
        } else if (QByteArrayView("!*+-/").contains(word[i]) || std::isalnum(static_cast<unsigned char>(word[i])) != 0) {
            bytes.append(word[i]);
        } else {
            std::abort();
        }
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype chunk = 1 + data[0] % 100;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    base64::decode(bytes);
    const QByteArray encoded = base64::encode(bytes);
    if (encoded.size() != base64::encodedLength(bytes.size()) || base64::decode(encoded) != bytes)
        std::abort();
    QByteArray lines;
    base64::appendEncodedLines(lines, bytes, 57);
    if (base64::decode(lines) != bytes)
        std::abort();

    using Content = QuotedPrintableEncoder::Content;
    if (decodeQuotedPrintable(encodeInChunks(bytes, chunk, Content::Binary), false) != bytes)
        std::abort();
    if (decodeQuotedPrintable(encodeInChunks(bytes, chunk, Content::Text), true) != withCrLfBreaks(bytes))
        std::abort();
    if (decodeQWord(qEncodeWord(bytes)) != bytes)
        std::abort();
    return 0;
}
