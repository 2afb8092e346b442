// Quoted-printable body encoding and the header-word "Q" encoding.

#include "transport/mime/quoted_printable.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr qsizetype kMaxEncodedLine = 76;       // RFC 2045 section 6.7 rule 5, the "=" of a soft break included
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

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

void QuotedPrintableEncoder::reset(Content content)
{
    m_content = content;
    m_line.clear();
    m_pendingCr = false;
}

void QuotedPrintableEncoder::encode(QByteArrayView data, QByteArray& out)
{
    for (const char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        if (m_content == Content::Text) {
            if (m_pendingCr) {
                m_pendingCr = false;
                if (byte == '\n') {
                    hardBreak(out);
                    continue;
                }
                addByte('\r', out);
            }
            if (byte == '\r') {
                m_pendingCr = true;
                continue;
            }
            if (byte == '\n') {
                hardBreak(out);
                continue;
            }
        }
        addByte(byte, out);
    }
}

void QuotedPrintableEncoder::finish(QByteArray& out)
{
    if (m_pendingCr) {
        m_pendingCr = false;
        addByte('\r', out);
    }
    if (m_line.isEmpty())
        return;
    writeFullLines(out, kMaxEncodedLine - 1);
    out.append(m_line).append("=\r\n", 3);
    m_line.clear();
}

// Blanks and the characters 33..126 but "=" stand for themselves; a "." opening a line is escaped so that
// no line of the part can look like the end of data to a careless relay.
void QuotedPrintableEncoder::addByte(unsigned char byte, QByteArray& out)
{
    const bool literal = (byte >= 33 && byte <= 126 && byte != '=') || byte == ' ' || byte == '\t';
    if (literal && !(byte == '.' && m_line.isEmpty()))
        m_line.append(char(byte));
    else
        appendEscaped(m_line, byte);
    writeFullLines(out, kMaxEncodedLine);
}

// Rule 3: a blank at the end of a line is encoded, or a decoder would drop it.
void QuotedPrintableEncoder::hardBreak(QByteArray& out)
{
    if (!m_line.isEmpty() && isBlank(m_line.back())) {
        const auto blank = static_cast<unsigned char>(m_line.back());
        m_line.chop(1);
        appendEscaped(m_line, blank);
        writeFullLines(out, kMaxEncodedLine);
    }
    out.append(m_line).append("\r\n", 2);
    m_line.clear();
}

// Writes soft-broken lines off the front of the held line until at most `longest` characters are left.
void QuotedPrintableEncoder::writeFullLines(QByteArray& out, qsizetype longest)
{
    while (m_line.size() > longest) {
        const qsizetype cut = cutBefore(kMaxEncodedLine - 1);
        out.append(m_line.constData(), cut).append("=\r\n", 3);
        m_line.remove(0, cut);
        if (m_line.startsWith('.'))
            m_line.replace(0, 1, "=2E");
    }
}

// The longest front of at most limit characters that does not split an "=XX" escape.
qsizetype QuotedPrintableEncoder::cutBefore(qsizetype limit) const
{
    if (m_line[limit - 1] == '=')
        return limit - 1;
    if (m_line[limit - 2] == '=')
        return limit - 2;
    return limit;
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
