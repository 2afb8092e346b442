// Quoted-printable (RFC 2045 section 6.7): the streaming body encoder, the RFC 2047 "Q" encoding of header
// words, and the test whether a body needs quoted-printable at all. Text keeps its line breaks as CR LF
// and its blanks as they are, except right before a line break; every output line holds at most 76
// characters, soft break included. Pure functions over bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// True when a body must go quoted-printable: a control byte other than CR and LF, a byte of 127 or
// more, or a line longer than 998 bytes.
bool BodyNeedsEncoding(QByteArrayView body);

// Streaming body encoder: the current output line is held until its end is known, so a part can be
// encoded block by block (a blank at the end of one block is encoded only when a line break follows).
class QuotedPrintableEncoder {
public:
    enum class Content {
        Text,       // CR LF and a lone LF are line breaks (rule 4), written as CR LF; a lone CR is "=0D"
        Binary,     // every CR and LF is encoded: the decoded bytes are the input, byte for byte
    };

    explicit QuotedPrintableEncoder(Content content = Content::Text) : m_content(content) {}
    void reset(Content content = Content::Text);
    void encode(QByteArrayView data, QByteArray& out);
    // Ends the data: a line left open is written with a soft break, so nothing is added to the content.
    void finish(QByteArray& out);

private:
    void addByte(unsigned char byte, QByteArray& out);
    void hardBreak(QByteArray& out);
    void writeFullLines(QByteArray& out, qsizetype longest);
    qsizetype cutBefore(qsizetype limit) const;

    Content m_content;
    QByteArray m_line;          // encoded characters of the output line not written yet
    bool m_pendingCr = false;   // Text: a CR whose LF may come with the next block
};

// RFC 2047 section 4.2 "Q" text of an encoded word: letters, digits and "!*+-/" as they are, a blank as
// "_", every other byte "=XX", so the word is safe in any header, quoted names included.
QByteArray qEncodeWord(QByteArrayView data);
