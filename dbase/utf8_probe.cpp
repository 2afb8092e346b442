// UTF-8 probe: see utf8_probe.h. Validation follows RFC 3629: no overlong forms, no surrogates, nothing past
// U+10FFFF.

#include "dbase/utf8_probe.h"

#include <cstring>

namespace {

// How many continuation bytes follow a lead byte, and the range the first of them must lie in (which rules
// out overlong forms, surrogates and code points past U+10FFFF); -1 for a byte that cannot lead.
struct Lead {
    int continuations;
    quint8 low;
    quint8 high;
};

Lead leadOf(quint8 byte)
{
    if (byte >= 0xC2 && byte <= 0xDF) return {1, 0x80, 0xBF};
    if (byte == 0xE0) return {2, 0xA0, 0xBF};
    if (byte == 0xED) return {2, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {2, 0x80, 0xBF};
    if (byte == 0xF0) return {3, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {3, 0x80, 0xBF};
    if (byte == 0xF4) return {3, 0x80, 0x8F};
    return {-1, 0, 0};
}

// The next position after the ASCII run that starts at position.
qsizetype skipAscii(const char* data, qsizetype position, qsizetype size)
{
    constexpr quint64 HighBits = 0x8080808080808080ull;
    while (position + 8 <= size) {
        quint64 word;
        std::memcpy(&word, data + position, 8);
        if (word & HighBits)
            break;
        position += 8;
    }
    while (position < size && quint8(data[position]) < 0x80)
        ++position;
    return position;
}

}  // namespace

Utf8Form utf8FormOf(QByteArrayView bytes)
{
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    bool nonAscii = false;
    qsizetype at = skipAscii(data, 0, size);
    while (at < size) {
        const Lead lead = leadOf(quint8(data[at]));
        if (lead.continuations < 0)
            return Utf8Form::Invalid;
        for (int i = 1; i <= lead.continuations; ++i) {
            // Cut short by the end of the field: no fault, but no evidence either ("café" in 1252 filling a
            // four-byte field ends in what could lead a UTF-8 sequence).
            if (at + i >= size)
                return nonAscii ? Utf8Form::Utf8 : Utf8Form::Ascii;
            const quint8 next = quint8(data[at + i]);
            const quint8 low = i == 1 ? lead.low : 0x80;
            const quint8 high = i == 1 ? lead.high : 0xBF;
            if (next < low || next > high)
                return Utf8Form::Invalid;
        }
        nonAscii = true;
        at = skipAscii(data, at + 1 + lead.continuations, size);
    }
    return nonAscii ? Utf8Form::Utf8 : Utf8Form::Ascii;
}

void Utf8Probe::add(QByteArrayView text)
{
    if (!m_valid)
        return;
    switch (utf8FormOf(text)) {
    case Utf8Form::Ascii: return;
    case Utf8Form::Utf8: m_nonAscii = true; return;
    case Utf8Form::Invalid: m_valid = false; return;
    }
}
