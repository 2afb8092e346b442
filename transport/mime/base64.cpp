// Base64 encoder and stateless decoder (RFC 4648, section 4).

#include "transport/mime/base64.h"

#include <array>

namespace base64 {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<qint8, 256> makeDecodeTable()
{
    std::array<qint8, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<qint8>(i);
    return table;
}

constexpr std::array<qint8, 256> kDecodeTable = makeDecodeTable();

}  // namespace

void appendEncoded(QByteArray& out, QByteArrayView data)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const qsizetype n = data.size();
    const qsizetype start = out.size();
    out.resize(start + encodedLength(n));               // grows geometrically when appended to often
    char* p = out.data() + start;
    qsizetype i = 0;
    for (; i + 3 <= n; i += 3) {
        const quint32 group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        *p++ = kAlphabet[(group >> 18) & 63];
        *p++ = kAlphabet[(group >> 12) & 63];
        *p++ = kAlphabet[(group >> 6) & 63];
        *p++ = kAlphabet[group & 63];
    }
    const qsizetype rest = n - i;
    if (rest == 0)
        return;
    const quint32 group = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
    *p++ = kAlphabet[(group >> 18) & 63];
    *p++ = kAlphabet[(group >> 12) & 63];
    *p++ = rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
    *p = '=';
}

QByteArray encode(QByteArrayView data)
{
    QByteArray out;
    out.reserve(encodedLength(data.size()));
    appendEncoded(out, data);
    return out;
}

void appendEncodedLines(QByteArray& out, QByteArrayView data, qsizetype bytesPerLine)
{
    Q_ASSERT(bytesPerLine > 0 && bytesPerLine % 3 == 0);
    for (qsizetype start = 0; start < data.size(); start += bytesPerLine) {
        appendEncoded(out, data.sliced(start, qMin(bytesPerLine, data.size() - start)));
        out.append("\r\n", 2);
    }
}

QByteArray decode(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size() / 4 * 3 + 2);
    quint32 group = 0;
    int filled = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        const qint8 value = kDecodeTable[static_cast<unsigned char>(c)];
        if (value < 0)
            continue;                                   // line breaks, blanks and stray bytes
        group = (group << 6) | quint32(value);
        if (++filled == 4) {
            out.append(char(group >> 16));
            out.append(char(group >> 8));
            out.append(char(group));
            group = 0;
            filled = 0;
        }
    }
    // A final group of 2 or 3 characters carries 1 or 2 bytes; a lone character carries none.
    if (filled == 2) {
        out.append(char(group >> 4));
    } else if (filled == 3) {
        out.append(char(group >> 10));
        out.append(char(group >> 2));
    }
    return out;
}

}  // namespace base64
