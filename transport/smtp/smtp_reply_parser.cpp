// SMTP reply parser: see smtp_reply_parser.h.

#include "transport/smtp/smtp_reply_parser.h"

#include <cstring>

namespace {

constexpr qsizetype QuotedLineLimit = 80;   // how much of a bad line an error text repeats

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reply code of a line: optional leading blanks, three digits (first 2..5), then the end, a blank or "-".
// Returns false for anything else.
bool parseReplyLine(QByteArrayView line, int& code, bool& continuation)
{
    qsizetype p = 0;
    while (p < line.size() && (line[p] == ' ' || line[p] == '\t'))
        ++p;
    if (line.size() - p < 3 || line[p] < '2' || line[p] > '5' || !isDigit(line[p + 1]) || !isDigit(line[p + 2]))
        return false;
    code = (line[p] - '0') * 100 + (line[p + 1] - '0') * 10 + (line[p + 2] - '0');
    p += 3;
    if (p == line.size()) {
        continuation = false;
        return true;
    }
    const char separator = line[p];
    continuation = separator == '-';
    return continuation || separator == ' ' || separator == '\t';
}

}  // namespace

void SmtpReplyParser::commit(qsizetype count)
{
    Q_ASSERT(count >= 0 && count <= freeSize());
    m_filled += count;
}

std::optional<SmtpReplyLine> SmtpReplyParser::nextLine()
{
    if (m_error != Error::None)
        return std::nullopt;
    const qsizetype from = std::max<qsizetype>(0, m_scanned - 1);   // a CR may wait for its LF
    const void* found = memmem(m_buffer.data() + from, size_t(m_filled - from), "\r\n", 2);
    if (!found) {
        m_scanned = m_filled;
        if (m_filled == BufferSize)
            return fail(Error::LineTooLong);
        return std::nullopt;
    }
    const qsizetype length = static_cast<const char*>(found) - m_buffer.data();
    const QByteArray text(m_buffer.data(), length);
    consume(length + 2);
    return takeLine(text);
}

std::optional<SmtpReplyLine> SmtpReplyParser::takeLine(QByteArrayView text)
{
    if (m_error != Error::None)
        return std::nullopt;
    if (text.size() > BufferSize - 2)
        return fail(Error::LineTooLong, text);
    SmtpReplyLine line;
    line.text = text.toByteArray();
    if (!parseReplyLine(line.text, line.code, line.continuation))
        return fail(Error::MalformedLine, line.text);
    if (m_replyCode != 0 && line.code != m_replyCode)
        return fail(Error::CodesDisagree, line.text);
    // Cap multi-line replies: a hostile server could otherwise keep one reply going forever.
    if (++m_replyLines > MaxLinesPerReply)
        return fail(Error::TooManyLines);
    m_replyCode = line.continuation ? line.code : 0;
    if (!line.continuation)
        m_replyLines = 0;
    return line;
}

QString SmtpReplyParser::errorString() const
{
    const QString quoted = QString::fromLatin1(m_badLine.left(QuotedLineLimit));
    switch (m_error) {
    case Error::None:
        return {};
    case Error::LineTooLong:
        return QStringLiteral("Reply line longer than %1 bytes").arg(BufferSize - 2);
    case Error::MalformedLine:
        return QStringLiteral("Malformed reply line '%1'").arg(quoted);
    case Error::CodesDisagree:
        return QStringLiteral("Reply code changed within a reply: '%1'").arg(quoted);
    case Error::TooManyLines:
        return QStringLiteral("Reply of more than %1 lines").arg(MaxLinesPerReply);
    }
    Q_UNREACHABLE();
}

void SmtpReplyParser::reset()
{
    m_filled = 0;
    m_scanned = 0;
    m_replyCode = 0;
    m_replyLines = 0;
    m_error = Error::None;
    m_badLine.clear();
}

std::optional<SmtpReplyLine> SmtpReplyParser::fail(Error error, QByteArrayView line)
{
    m_error = error;
    m_badLine = line.toByteArray();
    m_filled = 0;
    m_scanned = 0;
    return std::nullopt;
}

void SmtpReplyParser::consume(qsizetype count)
{
    std::memmove(m_buffer.data(), m_buffer.data() + count, size_t(m_filled - count));
    m_filled -= count;
    m_scanned = 0;
}
