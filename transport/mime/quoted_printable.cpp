// Quoted-printable body encoding and the header-word "Q" encoding.

#include "transport/mime/quoted_printable.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kSoftBreakColumn = 70;
constexpr qsizetype kMaxLineLength = 998;       // RFC 5322 section 2.1.1, without CR LF

void appendEscaped(QByteArray& out, unsigned char byte)
{
    out.append('=');
    out.append(kHexDigits[byte >> 4]);
    out.append(kHexDigits[byte & 15]);
}

bool isQWordLiteral(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '!' || c == '*'
           || c == '+' || c == '-' || c == '/';
}

}  // namespace

void QuotedPrintableEncoder::encode(QByteArrayView data, QByteArray& out)
{
    for (const char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        // A "." opening a line is escaped so no line of the part can look like the end of data.
        if (byte >= 33 && byte <= 126 && byte != '=' && !(byte == '.' && m_column == 0)) {
            out.append(c);
            m_column += 1;
        } else {
            appendEscaped(out, byte);
            m_column += 3;
        }
        if (m_column > kSoftBreakColumn) {
            out.append("=\r\n", 3);
            m_column = 0;
        }
    }
}

QByteArray qEncodeWord(QByteArrayView data)
{
    QByteArray out;
    out.reserve(data.size() * 3);
    for (const char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ')
            out.append('_');
        else if (isQWordLiteral(byte))
            out.append(c);
        else
            appendEscaped(out, byte);
    }
    return out;
}

bool BodyNeedsEncoding(QByteArrayView body)
{
    qsizetype lineLength = 0;
    for (const char c : body) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r' || byte == '\n') {
            lineLength = 0;
            continue;
        }
        if (byte < 32 || byte >= 127 || ++lineLength > kMaxLineLength)
            return true;
    }
    return false;
}
