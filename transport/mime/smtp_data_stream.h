// The bytes of an SMTP DATA phase as they go on the wire (RFC 5321 section 4.5.2): every CR, LF or CR LF
// of the content becomes CR LF, and every line that begins with "." gets one more, also when the line
// starts in a later block than the one before it. finish() ends an unfinished last line, so the caller's
// "." line always stands on its own. A part that comes out the same in every message can be kept as the
// bytes append() gave for it and put back with appendWire(), from the same state, without a second pass.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

class SmtpDataStream {
public:
    // Where the stream stands between two appends: the same bytes appended from the same state always
    // give the same output and the same state after.
    struct State {
        bool atLineStart = true;
        bool afterCr = false;   // the last byte was a CR, already written as CR LF
        friend bool operator==(State, State) = default;
    };

    void append(QByteArrayView bytes);
    void appendLine(QByteArrayView line);
    void finish();
    bool atLineStart() const { return m_atLineStart; }
    State state() const { return {m_atLineStart, m_afterCr}; }
    // Output that append() gave earlier from this same state, and the state it left the stream in.
    void appendWire(QByteArrayView wire, State after);
    // What was written since the buffer held `from` bytes; valid until the next append or take().
    QByteArrayView writtenSince(qsizetype from) const { return QByteArrayView(m_out).sliced(from); }

    qsizetype size() const { return m_out.size(); }
    // Hands over what was written so far and starts an empty buffer.
    QByteArray take();

private:
    QByteArray m_out;
    bool m_atLineStart = true;
    bool m_afterCr = false;     // see State
};
