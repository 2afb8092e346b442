// Record filter: see db_maker_record_filter.h.

#include "lists/db_maker_record_filter.h"

#include <algorithm>

namespace {

QList<QByteArray> patternsOf(KeywordKind kind)
{
    switch (kind) {
    case KeywordKind::Email: return {"@"};
    case KeywordKind::Url:
    case KeywordKind::Domain: return {"http://", "href=", "www."};
    case KeywordKind::Nothing: return {};
    }
    Q_UNREACHABLE();
}

bool hasLetter(QByteArrayView text)
{
    for (char c : text)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            return true;
    return false;
}

}  // namespace

RecordFilter::RecordFilter(const QList<DbMakerField>& fields, const SlidingBuffer& buffer) : m_buffer(buffer)
{
    QList<QByteArray> texts;
    for (const DbMakerField& field : fields) {
        if (!field.keywords.isEmpty()) {
            for (KeywordKind kind : field.keywords)
                texts << patternsOf(kind);
        } else if (field.begin.isEmpty()) {
            m_always = true;
        } else {
            texts << field.begin;
        }
    }
    for (const QByteArray& text : texts) {
        m_longest = std::max(m_longest, text.size());
        if (std::none_of(m_patterns.begin(), m_patterns.end(), [&](const Pattern& p) { return p.text == text; }))
            m_patterns << Pattern{text};
    }
}

void RecordFilter::restart()
{
    for (Pattern& pattern : m_patterns)
        pattern = Pattern{pattern.text};
}

qint64 RecordFilter::nextOccurrence(Pattern& pattern, qint64 from)
{
    const bool known = pattern.searchedFrom >= 0 && pattern.searchedFrom <= from
                       && (pattern.found >= from || (pattern.found < 0 && pattern.searchedTo == m_buffer.end()));
    if (!known) {
        const qsizetype at = m_buffer.lowered(from, m_buffer.end()).indexOf(pattern.text);
        pattern.searchedFrom = from;
        pattern.searchedTo = m_buffer.end();
        pattern.found = at < 0 ? -1 : from + at;
    }
    return pattern.found;
}

bool RecordFilter::occursIn(Pattern& pattern, const RecordStream::Record& record)
{
    Q_ASSERT(!record.longRecord);   // not held: the long-record search has its values
    const qint64 end = record.start + record.length;
    const bool knownAbsent = pattern.found < 0 && pattern.searchedFrom >= 0 && pattern.searchedFrom <= record.start
                             && end <= pattern.searchedTo;
    if (knownAbsent)
        return false;
    const qint64 found = nextOccurrence(pattern, record.start);
    return found >= 0 && found + pattern.text.size() <= end;
}

qint64 RecordFilter::nextCandidate(qint64 from)
{
    qint64 first = -1;
    for (Pattern& pattern : m_patterns) {
        const qint64 found = nextOccurrence(pattern, from);
        if (found >= 0 && (first < 0 || found < first))
            first = found;
    }
    return first;
}

bool RecordFilter::mayHaveValue(const RecordStream::Record& record)
{
    if (m_always)
        return true;
    for (Pattern& pattern : m_patterns)
        if (occursIn(pattern, record))
            return true;
    return false;
}

bool searchesNeedLowering(const QList<DbMakerField>& fields, QByteArrayView beginMarker, QByteArrayView endMarker)
{
    if (hasLetter(beginMarker) || hasLetter(endMarker))
        return true;
    for (const DbMakerField& field : fields) {
        const bool literalBegin = field.keywords.isEmpty();
        if ((literalBegin && hasLetter(field.begin)) || hasLetter(field.end) || field.lines > 0
            || field.lineNumber > 1)
            return true;
        for (KeywordKind kind : field.keywords)
            for (const QByteArray& pattern : patternsOf(kind))
                if (hasLetter(pattern))
                    return true;
    }
    return false;
}
