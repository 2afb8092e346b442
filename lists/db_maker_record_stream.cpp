// Record cutting over pieces: see db_maker_record_stream.h. A search that reaches the end of the bytes held
// reads one piece more and goes on from the last place a marker could still start.

#include "lists/db_maker_record_stream.h"

#include <algorithm>
#include <cstring>

RecordStream::RecordStream(SlidingBuffer& buffer, QByteArray begin, QByteArray end, qsizetype maxLength,
                           qsizetype holdLimit, LongRecordSearch* longSearch)
    : m_buffer(buffer), m_begin(std::move(begin)), m_end(end.isEmpty() ? m_begin : std::move(end)),
      m_maxLength(maxLength), m_holdLimit(holdLimit), m_longSearch(longSearch)
{
}

void RecordStream::restart()
{
    m_position = 0;
    m_long = false;
}

namespace {

// Where the last whole occurrence of needle in text starts, or -1. (Qt 6.4's lastIndexOf with a one-byte
// needle looks at the byte just past the view.)
qsizetype lastOccurrence(QByteArrayView text, QByteArrayView needle)
{
    for (qsizetype size = text.size(); size >= needle.size();) {
        const void* last = ::memrchr(text.data(), needle.front(), size_t(size - needle.size() + 1));
        if (!last)
            return -1;
        const qsizetype at = static_cast<const char*>(last) - text.data();
        if (text.sliced(at).startsWith(needle))
            return at;
        size = at + needle.size() - 1;
    }
    return -1;
}

}  // namespace

void RecordStream::skipTo(qint64 target)
{
    Q_ASSERT(canSkip() && target >= m_position && target <= m_buffer.end());
    if (target <= m_position + 1)
        return;
    // The last end marker that starts after the position and at or before the target.
    const qint64 to = std::min(target + m_end.size(), m_buffer.end());
    const qsizetype at = lastOccurrence(m_buffer.lowered(m_position + 1, to), m_end);
    if (at >= 0)
        m_position += 1 + at;
}

std::optional<qint64> RecordStream::findBegin()
{
    if (m_begin.isEmpty()) {
        while (m_position >= m_buffer.end() && m_buffer.readMore(m_position)) {
        }
        return m_position < m_buffer.end() ? std::optional<qint64>(m_position) : std::nullopt;
    }
    qint64 from = m_position;
    for (;;) {
        const qsizetype at = m_buffer.lowered(from, m_buffer.end()).indexOf(m_begin);
        if (at >= 0)
            return from + at;
        from = std::max(from, m_buffer.end() - m_begin.size() + 1);
        if (!m_buffer.readMore(from))
            return std::nullopt;
    }
}

void RecordStream::readOn(qint64 start, qint64 searchFrom, qint64 knownEnd)
{
    if (!m_long && m_buffer.end() - start >= m_holdLimit) {
        m_long = true;
        if (m_longSearch)
            m_longSearch->start(start);
    }
    qint64 keepFrom = m_long ? searchFrom : start;
    if (m_long && m_longSearch) {
        m_longSearch->searchTo(knownEnd, false);
        keepFrom = std::min(keepFrom, m_longSearch->keepFrom());
    }
    m_buffer.readMore(keepFrom);
}

// The end marker is looked for from the begin marker's last byte, but never at the record's first byte; the
// record runs to it, to the maximum length or to the end of the text.
qint64 RecordStream::recordLength(qint64 start)
{
    qint64 searchFrom = std::max(start + m_begin.size() - 1, start + 1);
    // With a maximum length only an end marker that starts within it can shorten the record, so the search
    // need not look further (the whole-text search would, and find the same length).
    const qint64 searchLimit = m_maxLength > 0 ? start + m_maxLength + m_end.size() - 1 : -1;
    for (;;) {
        const qint64 searchTo = searchLimit >= 0 ? std::min(searchLimit, m_buffer.end()) : m_buffer.end();
        if (m_end.isEmpty()) {
            searchFrom = m_buffer.end();   // nothing ends the record but its length or the text's end
        } else if (searchFrom <= searchTo) {
            const qsizetype at = m_buffer.lowered(searchFrom, searchTo).indexOf(m_end);
            if (at >= 0)
                return searchFrom + at - start;
            searchFrom = std::max(searchFrom, searchTo - m_end.size() + 1);
        }
        if (searchLimit >= 0 && m_buffer.end() >= std::max(searchLimit, start + m_maxLength))
            return m_maxLength;
        if (m_buffer.atEnd())
            return m_buffer.end() - start;
        const qint64 from = std::min(searchFrom, m_buffer.end());
        readOn(start, from, m_maxLength > 0 ? std::min(from, start + m_maxLength) : from);
    }
}

std::optional<RecordStream::Record> RecordStream::next()
{
    m_long = false;
    const auto start = findBegin();
    if (!start)
        return std::nullopt;
    qint64 length = recordLength(*start);
    if (m_maxLength > 0)
        length = std::min<qint64>(length, m_maxLength);
    m_position = *start + length;
    if (!m_long)
        return Record{m_buffer.text(*start, m_position), m_buffer.lowered(*start, m_position), *start, length};
    if (m_longSearch)
        m_longSearch->searchTo(m_position, true);
    return Record{{}, {}, *start, length, true};
}
