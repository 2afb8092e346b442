// Line-end normalisation and dot-stuffing of the DATA phase, carried across block edges.

#include "transport/mime/smtp_data_stream.h"

#include <utility>

void SmtpDataStream::append(QByteArrayView bytes)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char c = *p;
        if (c == '\n') {
            if (!m_afterCr)
                m_out.append("\r\n", 2);                // a bare LF
            m_afterCr = false;
            m_atLineStart = true;
            ++p;
            continue;
        }
        if (c == '\r') {
            m_out.append("\r\n", 2);                    // the LF of a CR LF pair is then skipped
            m_afterCr = true;
            m_atLineStart = true;
            ++p;
            continue;
        }
        m_afterCr = false;
        if (m_atLineStart && c == '.')
            m_out.append('.');
        m_atLineStart = false;
        // Copy the run up to the next line end in one go.
        const char* runEnd = p;
        while (runEnd < end && *runEnd != '\r' && *runEnd != '\n')
            ++runEnd;
        m_out.append(p, runEnd - p);
        p = runEnd;
    }
}

void SmtpDataStream::appendLine(QByteArrayView line)
{
    append(line);
    append("\r\n");
}

void SmtpDataStream::appendWire(QByteArrayView wire, State after)
{
    m_out.append(wire);
    m_atLineStart = after.atLineStart;
    m_afterCr = after.afterCr;
}

void SmtpDataStream::finish()
{
    if (!m_atLineStart)
        append("\r\n");
}

QByteArray SmtpDataStream::take()
{
    return std::exchange(m_out, QByteArray());
}
