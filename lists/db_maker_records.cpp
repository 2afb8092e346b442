// Record cutting: see db_maker_records.h.

#include "lists/db_maker_records.h"

#include <algorithm>

qsizetype maximumRecordLength(bool limited, const QString& text)
{
    if (!limited)
        return 0;
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok && value > 0 ? qsizetype(value) : 0;
}

RecordCutter::RecordCutter(QByteArrayView lowered, QByteArray begin, QByteArray end, qsizetype maxLength)
    : m_text(lowered), m_begin(std::move(begin)), m_end(end.isEmpty() ? m_begin : std::move(end)),
      m_maxLength(maxLength)
{
}

std::optional<RecordCutter::Record> RecordCutter::next()
{
    if (m_position >= m_text.size())
        return std::nullopt;
    const qsizetype start = m_begin.isEmpty() ? m_position : m_text.indexOf(m_begin, m_position);
    if (start < 0)
        return std::nullopt;
    // The end marker is looked for from the begin marker's last byte, but never at the record's first byte:
    // a record that would be empty there runs to the next end marker instead.
    const qsizetype from = std::max(start + m_begin.size() - 1, start + 1);
    const qsizetype endAt = m_end.isEmpty() || from > m_text.size() ? -1 : m_text.indexOf(m_end, from);
    qsizetype length = (endAt < 0 ? m_text.size() : endAt) - start;
    if (m_maxLength > 0)
        length = std::min(length, m_maxLength);
    m_position = start + length;
    return Record{start, length};
}
