// uuencode lines for attachments sent with encoding kind 4: each line is a length character (32 + n)
// and the 4-character groups of its n bytes (45 per full line, "M"), every 6-bit value v written as the
// character 32 + v. The last group of a short line is padded with zero bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace uuencode {

constexpr qsizetype kBytesPerLine = 45;

// Appends the lines of data, each followed by CR LF.
void appendLines(QByteArray& out, QByteArrayView data);

}  // namespace uuencode
