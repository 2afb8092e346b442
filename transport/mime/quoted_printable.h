// Quoted-printable of the external-server composer: the body encoder that writes every byte other than
// 33..126 (and "=") as "=XX", line ends included, with soft breaks after 70 columns, and the RFC 2047
// "Q" encoding of header words, and the test whether a body needs quoted-printable at all. Pure functions
// over bytes; no line longer than 76 characters.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// True when a body must go quoted-printable: a control byte other than CR and LF, a byte of 127 or
// more, or a line longer than 998 bytes.
bool BodyNeedsEncoding(QByteArrayView body);

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
