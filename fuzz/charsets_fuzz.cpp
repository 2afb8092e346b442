// libFuzzer target for the MIME charset conversions, every pair: the first two bytes pick the source and the
// target charset, the rest is text in the source. Conversion is decoding then encoding; the Unicode charsets
// (UTF-8, UTF-7, UCS-4, and UCS-2 within the basic plane) give the decoded text back unchanged, and a
// single-byte charset gives back what it can hold, the same on a second pass, and all of it when fitsCharset
// says it holds the text.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 charsets_fuzz (see scripts/fuzz).

#include "transport/mime/charsets.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kCharsets = int(TMimeChar::UTF_7) + 1;

bool holdsAstral(const QString& text)
{
    for (const QChar c : text)
        if (c.isSurrogate())
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const auto from = TMimeChar(data[0] % kCharsets);
    const auto to = TMimeChar(data[1] % kCharsets);
    const QByteArrayView text(data + 2, qsizetype(size - 2));

    // QString::fromUcs4 takes a leading U+FEFF for a byte-order mark and drops it: such text is not compared.
    if (ConvertCharset(text, from, TMimeChar::UCS_4).startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return 0;
    const QString decoded = decodeFromCharset(text, from);
    const QByteArray converted = ConvertCharset(text, from, to);
    if (converted != encodeInCharset(decoded, to))
        std::abort();
    const QString back = decodeFromCharset(converted, to);
    const bool lossless = to == TMimeChar::UTF_8 || to == TMimeChar::UTF_7 || to == TMimeChar::UCS_4
                          || (to == TMimeChar::UCS_2 && !holdsAstral(decoded));
    if (lossless && back != decoded)
        std::abort();
    if (encodeInCharset(back, to) != converted)
        std::abort();
    if (fitsCharset(decoded, to) && back != decoded)      // text the charset holds comes back whole
        std::abort();
    if (to == TMimeChar::UTF_7)
        for (const char c : converted)
            if (static_cast<unsigned char>(c) >= 0x80)
                std::abort();
    CharsetFromName(QString::fromLatin1(text));
    return 0;
}
