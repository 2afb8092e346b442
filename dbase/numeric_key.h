// Numeric keys of multiple-index files: 12 bytes, byte 0 = 0x34 + the decimal exponent (digits before the
// point), byte 1 = (digit count + 1) / 2 * 8 + 1 with 0x80 for a negative value, then the digits packed two
// to a byte. Integers keep all their digits, floats 15 significant ones; zero has none. Values whose exponent
// the byte cannot hold (beyond 1e203 or below 1e-52) and non-finite values have no key.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace numerickey {

inline constexpr int MdxKeyLength = 12;

std::optional<QByteArray> fromInteger(qint64 value);
std::optional<QByteArray> fromDouble(double value);
// The value of a 12-byte key (of at least 2 bytes; missing digits count as 0).
double toDouble(QByteArrayView key);
// Negative, zero or positive as left orders before, with or after right.
int compare(QByteArrayView left, QByteArrayView right);

}  // namespace numerickey
