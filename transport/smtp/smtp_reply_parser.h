// Incremental parser for SMTP replies (RFC 5321 4.2): "250-" continuation lines, a 4096-byte receive buffer
// that bytes are read into directly, so a reply line holds at most 4094 characters before its CR LF.
// A fault (line too long, no three-digit code, codes of one reply that disagree, too many lines) stops the
// parser until reset(); it never throws. No socket I/O here.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

struct SmtpReplyLine {
    QByteArray text;            // the line without its CR LF
    int code = 0;               // the three-digit reply code
    bool continuation = false;  // "-" right behind the code: more lines of this reply follow
};

class SmtpReplyParser {
public:
    static constexpr qsizetype BufferSize = 4096;
    static constexpr int MaxLinesPerReply = 256;

    enum class Error { None, LineTooLong, MalformedLine, CodesDisagree, TooManyLines };

    // The free part of the buffer: receive up to freeSize() bytes at freeSpace(), then commit() the count.
    char* freeSpace() { return m_buffer.data() + m_filled; }
    qsizetype freeSize() const { return BufferSize - m_filled; }
    void commit(qsizetype count);

    // The next complete line, or nullopt when more bytes are needed or a fault stopped the parser.
    std::optional<SmtpReplyLine> nextLine();
    // A line someone else cut from the stream (without CR LF), held to the same rules and limits as the
    // lines of nextLine(); nullopt when it breaks one (or a fault stopped the parser before).
    std::optional<SmtpReplyLine> takeLine(QByteArrayView text);

    // Bytes taken in but not yet handed out as lines (a partial line included).
    qsizetype buffered() const { return m_filled; }
    Error error() const { return m_error; }
    // What went wrong, naming the offending line where there is one; empty without a fault.
    QString errorString() const;
    // Forgets buffered bytes, the reply in progress and any fault (a new connection).
    void reset();

private:
    std::optional<SmtpReplyLine> fail(Error error, QByteArrayView line = {});
    void consume(qsizetype count);

    std::array<char, BufferSize> m_buffer{};
    qsizetype m_filled = 0;
    qsizetype m_scanned = 0;   // bytes already searched for CR LF without finding one
    int m_replyCode = 0;       // code of the reply in progress (0 between replies)
    int m_replyLines = 0;
    Error m_error = Error::None;
    QByteArray m_badLine;
};
