// Quoted-printable of the external-server composer: the body encoder that writes every byte other than
// 33..126 (and "=") as "=XX", line ends included, with soft breaks after 70 columns, and the RFC 2047
// "Q" encoding of header words. Pure functions over bytes; no line longer than 76 characters.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Streaming body encoder: the column carries across calls, so a part can be encoded block by block.
class QuotedPrintableEncoder {
public:
    void reset() { m_column = 0; }
    void encode(QByteArrayView data, QByteArray& out);

private:
    int m_column = 0;
};

// RFC 2047 section 4.2 "Q" text of an encoded word: letters, digits and "!*+-/" as they are, a blank as
// "_", every other byte "=XX", so the word is safe in any header, quoted names included.
QByteArray qEncodeWord(QByteArrayView data);
