// libFuzzer target for the decoding every text reader shares: any bytes decode; the pieces handed to a
// streaming reader are valid UTF-8, end at line ends (but the last) and together are the decoded text; a line
// that is valid UTF-8 in the bytes keeps its text whatever its neighbours hold.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 text_decode_fuzz (see scripts/fuzz).

#include "platform/text_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = decodeText(bytes);

    QByteArray joined;
    bool previousEndedLine = true;
    decodeTextPieces(bytes, [&](QByteArrayView piece) {
        if (!previousEndedLine || piece.isEmpty() || textFromUtf8(piece).toUtf8() != piece)
            std::abort();
        previousEndedLine = piece.endsWith('\n') || piece.endsWith('\r');
        joined.append(piece);
        return true;
    });
    // UTF-16 text may hold lone surrogates, which UTF-8 pieces cannot carry.
    if (!bytes.startsWith("\xFF\xFE")) {
        if (textFromUtf8(joined) != text)
            std::abort();
        const QStringList decodedLines = splitLines(text);
        const QList<QByteArray> rawLines = bytes.split('\n');
        if (!bytes.contains('\r') && !bytes.startsWith("\xEF\xBB\xBF")) {
            qsizetype line = 0;
            for (const QByteArray& raw : rawLines) {
                if (line >= decodedLines.size())
                    break;
                const QString utf8 = textFromUtf8(raw);
                if (utf8.toUtf8() == raw && decodedLines[line] != utf8)
                    std::abort();
                ++line;
            }
        }
    }
    return 0;
}
