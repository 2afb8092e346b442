// Numeric keys: see numeric_key.h.

#include "dbase/numeric_key.h"

#include <cmath>
#include <cstdio>

namespace numerickey {
namespace {

constexpr int ExponentBias = 0x34;
constexpr quint8 NegativeBit = 0x80;
constexpr int DigitBytes = MdxKeyLength - 2;

std::optional<QByteArray> pack(const QByteArray& digits, int exponent, bool negative)
{
    if (exponent + ExponentBias < 0 || exponent + ExponentBias > 0xFF || digits.size() > 2 * DigitBytes)
        return std::nullopt;
    QByteArray key(MdxKeyLength, '\0');
    key[0] = char(ExponentBias + exponent);
    key[1] = char((digits.size() + 1) / 2 * 8 + 1 + (negative ? NegativeBit : 0));
    for (int i = 0; i < digits.size(); ++i) {
        const int nibble = digits[i] - '0';
        key[2 + i / 2] = char(uchar(key[2 + i / 2]) | (i % 2 ? nibble : nibble << 4));
    }
    return key;
}

QByteArray withoutTrailingZeros(QByteArray digits)
{
    while (digits.endsWith('0'))
        digits.chop(1);
    return digits;
}

}  // namespace

std::optional<QByteArray> fromInteger(qint64 value)
{
    const quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    if (magnitude == 0)
        return pack({}, 0, false);
    const QByteArray all = QByteArray::number(magnitude);
    return pack(withoutTrailingZeros(all), int(all.size()), value < 0);
}

std::optional<QByteArray> fromDouble(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    if (value == 0)
        return pack({}, 0, false);
    char text[40];
    std::snprintf(text, sizeof text, "%.14e", std::fabs(value));   // d.dddddddddddddde+XX: 15 digits
    const QByteArray scientific(text);
    const qsizetype e = scientific.indexOf('e');
    const QByteArray digits = withoutTrailingZeros(scientific.left(1) + scientific.mid(2, e - 2));
    return pack(digits, scientific.mid(e + 1).toInt() + 1, value < 0);
}

double toDouble(QByteArrayView key)
{
    if (key.size() < 2)
        return 0;
    QByteArray digits;
    for (qsizetype i = 2; i < key.size() && i < MdxKeyLength; ++i)
        digits += char('0' + (uchar(key[i]) >> 4)) + QByteArray(1, char('0' + (uchar(key[i]) & 0x0F)));
    const int exponent = int(uchar(key[0])) - ExponentBias;
    const double magnitude = (QByteArray("0.") + (digits.isEmpty() ? QByteArray("0") : digits) + 'e'
                              + QByteArray::number(exponent)).toDouble();
    return (uchar(key[1]) & NegativeBit) ? -magnitude : magnitude;
}

// Signs first; equal exponents compare their digit bytes; otherwise zero is lowest and the larger exponent
// is the larger value. Two negative keys order the other way round.
int compare(QByteArrayView left, QByteArrayView right)
{
    const bool leftNegative = uchar(left[1]) & NegativeBit, rightNegative = uchar(right[1]) & NegativeBit;
    if (leftNegative != rightNegative)
        return leftNegative ? -1 : 1;
    const auto isZero = [](QByteArrayView key) { return uchar(key[0]) == ExponentBias && uchar(key[1]) == 1; };
    int result;
    if (left[0] == right[0])
        result = QByteArrayView(left).sliced(2, 8).compare(QByteArrayView(right).sliced(2, 8));
    else if (isZero(left))
        result = -1;
    else if (isZero(right))
        result = 1;
    else
        result = int(uchar(left[0])) - int(uchar(right[0]));
    return leftNegative ? -result : result;
}

}  // namespace numerickey
