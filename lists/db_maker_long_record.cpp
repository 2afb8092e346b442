// Field search in a record too long to hold: see db_maker_long_record.h. A keyword hit is judged within the
// bytes held around it; a hit whose value reaches the edge of those bytes has a value of at least the
// window's length there, as in the whole text, so it counts the same. Hits that close to the bytes not yet
// read wait for the next piece.

#include "lists/db_maker_long_record.h"

#include <algorithm>

namespace {

// A value whose search ends this close to its window's end may have run on past it.
constexpr qsizetype EdgeMargin = 8;

}  // namespace

LongRecordSearch::Finder LongRecordSearch::newFinder(int field, KeywordKind kind, qint64 position)
{
    Finder finder;
    finder.field = field;
    finder.kind = kind;
    finder.position = position;
    return finder;
}

LongRecordSearch::LongRecordSearch(const QList<DbMakerField>& fields, const SlidingBuffer& buffer,
                                   qsizetype valueWindow)
    : m_fields(fields), m_buffer(buffer), m_window(valueWindow)
{
    Q_ASSERT(valueWindow > EdgeMargin);
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].keywords.isEmpty())
            m_finders << newFinder(i, KeywordKind::Nothing, 0);
        for (KeywordKind kind : fields[i].keywords)
            if (kind != KeywordKind::Nothing)
                m_finders << newFinder(i, kind, 0);
    }
}

void LongRecordSearch::start(qint64 recordStart)
{
    m_start = m_to = recordStart;
    for (Finder& finder : m_finders) {
        finder = newFinder(finder.field, finder.kind, recordStart);
        const DbMakerField& field = m_fields[finder.field];
        if (field.occurrence < 1 && !(finder.kind == KeywordKind::Nothing && field.begin.isEmpty()))
            finder.done = true;   // never found
        else if (finder.kind == KeywordKind::Nothing && field.begin.isEmpty())
            anchorAt(finder, recordStart);
    }
}

void LongRecordSearch::searchTo(qint64 to, bool recordEnds)
{
    for (Finder& finder : m_finders) {
        if (finder.done)
            continue;
        if (finder.anchor < 0) {
            if (finder.kind == KeywordKind::Nothing)
                locateLiteral(finder, to, recordEnds);
            else
                locateKeyword(finder, to, recordEnds);
        }
        if (finder.anchor >= 0)
            collect(finder, to, recordEnds);
        else if (recordEnds)
            finder.done = true;   // fewer occurrences than asked for
    }
    m_to = to;
}

void LongRecordSearch::locateLiteral(Finder& finder, qint64 to, bool recordEnds)
{
    const DbMakerField& field = m_fields[finder.field];
    for (;;) {
        const qsizetype at = m_buffer.lowered(finder.position, to).indexOf(field.begin);
        if (at < 0) {
            if (!recordEnds)
                finder.position = std::max(finder.position, to - field.begin.size() + 1);
            return;
        }
        finder.position += at + field.begin.size();
        if (++finder.found == field.occurrence) {
            anchorAt(finder, finder.position - field.begin.size());
            return;
        }
    }
}

// Hits are counted only up to a window's length before the bytes not yet read, so that every counted hit
// has as many bytes around it as it can tell apart.
void LongRecordSearch::locateKeyword(Finder& finder, qint64 to, bool recordEnds)
{
    const qint64 countUntil = recordEnds ? to : to - m_window;
    if (countUntil <= finder.position)
        return;
    const qint64 viewStart = std::max(m_start, finder.position - m_window);
    const int occurrence = m_fields[finder.field].occurrence;
    forEachKeywordHit(m_buffer.lowered(viewStart, to), finder.kind, finder.position - viewStart,
                      [&](const KeywordHit& hit) {
                          const qint64 at = viewStart + hit.at;
                          if (at >= countUntil)
                              return false;
                          finder.position = at + 1;
                          if (++finder.found < occurrence)
                              return true;
                          anchorAt(finder, at);
                          return false;
                      });
    if (finder.anchor < 0)
        finder.position = std::max(finder.position, countUntil);
}

void LongRecordSearch::anchorAt(Finder& finder, qint64 anchor)
{
    finder.anchor = anchor;
    if (finder.kind == KeywordKind::Nothing) {
        finder.windowStart = anchor;
        finder.windowEnd = anchor + m_fields[finder.field].begin.size() + m_window;
    } else {
        finder.windowStart = std::max(m_start, anchor - m_window);
        finder.windowEnd = anchor + m_window;
    }
}

void LongRecordSearch::collect(Finder& finder, qint64 to, bool recordEnds)
{
    const qint64 from = finder.windowStart + finder.text.size();
    const qint64 until = std::min(to, finder.windowEnd);
    if (until > from) {
        finder.text += m_buffer.text(from, until);
        finder.lowered += m_buffer.lowered(from, until);
    }
    const qint64 collected = finder.windowStart + finder.text.size();
    if (collected == finder.windowEnd || recordEnds)
        searchWindow(finder, recordEnds && collected == to);
}

// The field's own search over its window: the window starts at the occurrence-th begin text, so the first
// one there is it; a keyword's window holds its hit at a known place.
void LongRecordSearch::searchWindow(Finder& finder, bool reachedRecordEnd)
{
    finder.done = true;
    const qsizetype size = finder.lowered.size();
    if (finder.kind == KeywordKind::Nothing) {
        DbMakerField first = m_fields[finder.field];
        first.occurrence = 1;
        finder.span = searchField(finder.lowered, first);
        finder.cut = !reachedRecordEnd && (!finder.span || finder.span->end > size - EdgeMargin);
        return;
    }
    const qsizetype hitAt = qsizetype(finder.anchor - finder.windowStart);
    forEachKeywordHit(finder.lowered, finder.kind, hitAt, [&](const KeywordHit& hit) {
        if (hit.at == hitAt)
            finder.span = hit.span;
        return false;
    });
    finder.cut = !finder.span || (finder.span->start == 0 && finder.windowStart > m_start)
                 || (!reachedRecordEnd && finder.span->end == size);
}

qint64 LongRecordSearch::keepFrom() const
{
    qint64 keep = m_to;
    for (const Finder& finder : m_finders) {
        if (finder.done)
            continue;
        if (finder.anchor >= 0)
            keep = std::min(keep, finder.windowStart + finder.text.size());
        else if (finder.kind == KeywordKind::Nothing)
            keep = std::min(keep, finder.position);
        else
            keep = std::min(keep, std::max(m_start, finder.position - m_window));
    }
    return keep;
}

QStringList LongRecordSearch::values() const
{
    QStringList values;
    for (int field = 0; field < m_fields.size(); ++field) {
        const Finder* best = nullptr;   // the smallest start; the alternative listed first wins a tie
        for (const Finder& finder : m_finders)
            if (finder.field == field && finder.span
                && (!best || finder.windowStart + finder.span->start < best->windowStart + best->span->start))
                best = &finder;
        values << (best ? decodeFieldValue(QByteArrayView(best->text).sliced(
                              best->span->start, best->span->end - best->span->start))
                        : QString());
    }
    return values;
}

int LongRecordSearch::valuesCut() const
{
    int cut = 0;
    for (int field = 0; field < m_fields.size(); ++field)
        cut += std::any_of(m_finders.begin(), m_finders.end(),
                           [&](const Finder& finder) { return finder.field == field && finder.cut; });
    return cut;
}
