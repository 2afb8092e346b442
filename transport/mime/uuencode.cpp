// uuencode body lines (the historical "begin 666" format, without the begin and end lines).

#include "transport/mime/uuencode.h"

namespace uuencode {
namespace {

char encodeSixBits(quint32 value) { return char(32 + (value & 63)); }

}  // namespace

void appendLines(QByteArray& out, QByteArrayView data)
{
    for (qsizetype start = 0; start < data.size(); start += kBytesPerLine) {
        const qsizetype length = qMin(kBytesPerLine, data.size() - start);
        out.append(char(32 + length));
        for (qsizetype i = 0; i < length; i += 3) {
            const auto byteAt = [&](qsizetype k) {
                return k < length ? quint32(static_cast<unsigned char>(data[start + k])) : 0u;
            };
            const quint32 group = byteAt(i) << 16 | byteAt(i + 1) << 8 | byteAt(i + 2);
            out.append(encodeSixBits(group >> 18));
            out.append(encodeSixBits(group >> 12));
            out.append(encodeSixBits(group >> 6));
            out.append(encodeSixBits(group));
        }
        out.append("\r\n", 2);
    }
}

}  // namespace uuencode
