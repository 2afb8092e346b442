// MD5 message digest (RFC 1321) and the keyed digest HMAC-MD5 (RFC 2104, block size 64) over bytes.
// Digests are the 16 raw bytes; QByteArray::toHex() gives the lower-case hexadecimal form.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>

// Incremental MD5: addData() any number of times, then result() once.
class Md5 {
public:
    Md5();
    void addData(QByteArrayView data);
    QByteArray result();    // pads, finishes and clears the context

private:
    void transform(const unsigned char* block);

    std::array<quint32, 4> m_state;
    quint64 m_byteCount = 0;
    std::array<unsigned char, 64> m_buffer{};
};

QByteArray Md5Text(QByteArrayView text);
QByteArray HmacMd5(QByteArrayView text, QByteArrayView key);
