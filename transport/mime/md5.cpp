// MD5 after RFC 1321 section 3 and HMAC-MD5 after RFC 2104 section 2.

#include "transport/mime/md5.h"

#include <cstring>

namespace {

constexpr std::array<quint32, 4> kInitialState = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

// Per-step additive constants: floor(abs(sin(i + 1)) * 2^32).
constexpr quint32 kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

constexpr quint32 rotateLeft(quint32 x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

Md5::Md5() : m_state(kInitialState) {}

void Md5::transform(const unsigned char* block)
{
    quint32 words[16];
    for (int i = 0; i < 16; ++i)
        words[i] = quint32(block[4 * i]) | quint32(block[4 * i + 1]) << 8 | quint32(block[4 * i + 2]) << 16
                   | quint32(block[4 * i + 3]) << 24;

    quint32 a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (int step = 0; step < 64; ++step) {
        const int round = step / 16;
        quint32 f;
        int index;
        switch (round) {
        case 0: f = (b & c) | (~b & d); index = step; break;
        case 1: f = (d & b) | (~d & c); index = (5 * step + 1) % 16; break;
        case 2: f = b ^ c ^ d; index = (3 * step + 5) % 16; break;
        default: f = c ^ (b | ~d); index = (7 * step) % 16; break;
        }
        const quint32 rotated = rotateLeft(a + f + kSine[step] + words[index], kShift[round][step % 4]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

void Md5::addData(QByteArrayView data)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    qsizetype remaining = data.size();
    qsizetype used = qsizetype(m_byteCount % 64);
    m_byteCount += quint64(remaining);
    if (used > 0) {
        const qsizetype take = qMin(remaining, 64 - used);
        std::memcpy(m_buffer.data() + used, bytes, size_t(take));
        bytes += take;
        remaining -= take;
        if (used + take < 64)
            return;
        transform(m_buffer.data());
    }
    for (; remaining >= 64; remaining -= 64, bytes += 64)
        transform(bytes);
    if (remaining > 0)
        std::memcpy(m_buffer.data(), bytes, size_t(remaining));
}

QByteArray Md5::result()
{
    const quint64 bitCount = m_byteCount * 8;
    // 0x80, zeros up to 56 bytes mod 64 (a further block when fewer than 9 bytes remain), the bit count.
    unsigned char padding[72] = {0x80};
    const qsizetype used = qsizetype(m_byteCount % 64);
    const qsizetype padLength = used < 56 ? 56 - used : 120 - used;
    for (int i = 0; i < 8; ++i)
        padding[padLength + i] = static_cast<unsigned char>(bitCount >> (8 * i));
    addData(QByteArrayView(reinterpret_cast<const char*>(padding), padLength + 8));
    Q_ASSERT(m_byteCount % 64 == 0);

    QByteArray digest(16, Qt::Uninitialized);
    for (int i = 0; i < 16; ++i)
        digest[i] = char(m_state[i / 4] >> (8 * (i % 4)));
    m_state = kInitialState;
    m_byteCount = 0;
    m_buffer.fill(0);
    return digest;
}

QByteArray Md5Text(QByteArrayView text)
{
    Md5 md5;
    md5.addData(text);
    return md5.result();
}

QByteArray HmacMd5(QByteArrayView text, QByteArrayView key)
{
    constexpr int kBlockSize = 64;
    QByteArray shortKey = key.size() > kBlockSize ? Md5Text(key) : key.toByteArray();
    QByteArray innerPad(kBlockSize, 0x36);
    QByteArray outerPad(kBlockSize, 0x5c);
    for (qsizetype i = 0; i < shortKey.size(); ++i) {
        innerPad[i] = char(innerPad[i] ^ shortKey[i]);
        outerPad[i] = char(outerPad[i] ^ shortKey[i]);
    }
    Md5 inner;
    inner.addData(innerPad);
    inner.addData(text);
    Md5 outer;
    outer.addData(outerPad);
    outer.addData(inner.result());
    return outer.result();
}
