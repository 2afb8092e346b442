// Base64 of RFC 4648 (standard alphabet, "=" padding, no line breaks), used by SMTP authentication and the
// message composers. The decoder works on one whole text per call and keeps nothing between calls; it
// skips bytes outside the alphabet and stops at the first "=".
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace base64 {

// Length of the encoding of n bytes: 4 * ceil(n / 3).
constexpr qsizetype encodedLength(qsizetype n) { return (n + 2) / 3 * 4; }

QByteArray encode(QByteArrayView data);
// Appends the encoding of data to out (reserve out first to encode without reallocating).
void appendEncoded(QByteArray& out, QByteArrayView data);
// Appends data as lines of bytesPerLine input bytes each (the last may be shorter), each line followed by
// CR LF: 57 bytes give the 76-character lines of attachments, 45 bytes the 60-character lines of pictures.
// bytesPerLine must be a positive multiple of 3 so that only the last line carries padding.
void appendEncodedLines(QByteArray& out, QByteArrayView data, qsizetype bytesPerLine);

QByteArray decode(QByteArrayView text);

}  // namespace base64
