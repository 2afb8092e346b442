// The bytes of an SMTP DATA phase as they go on the wire (RFC 5321 section 4.5.2): every CR, LF or CR LF
// of the content becomes CR LF, and every line that begins with "." gets one more, also when the line
// starts in a later block than the one before it. finish() ends an unfinished last line, so the caller's
// "." line always stands on its own.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

class SmtpDataStream {
public:
    void append(QByteArrayView bytes);
    void appendLine(QByteArrayView line);
    void finish();
    bool atLineStart() const { return m_atLineStart; }

    qsizetype size() const { return m_out.size(); }
    // Hands over what was written so far and starts an empty buffer.
    QByteArray take();

private:
    QByteArray m_out;
    bool m_atLineStart = true;
    bool m_afterCr = false;     // the last byte was a CR, already written as CR LF
};
