// DB Maker field search: see db_maker_field.h. Pattern look-ups and stop-character scans remember where they
// ended, so a search that steps through many hits of a large record reads each byte a bounded number of times.

#include "lists/db_maker_field.h"

#include "platform/code_page.h"
#include "platform/text_file.h"

#include <array>

namespace {

using StopTable = std::array<bool, 256>;

// Stop characters of the keyword scans: ' " ; blank > < =, every byte below 33 and every byte from 128 up.
StopTable makeStopTable(QByteArrayView extra)
{
    StopTable table{};
    for (int c = 0; c < 256; ++c)
        table[c] = c < 33 || c >= 128;
    for (char c : QByteArrayView("'\";><="))
        table[uchar(c)] = true;
    for (char c : extra)
        table[uchar(c)] = true;
    return table;
}

const StopTable commonStops = makeStopTable("");
const StopTable emailBackwardStops = makeStopTable(":/");
const StopTable domainForwardStops = makeStopTable("/");

// The 21 word separators of "Number of words".
StopTable makeWordSeparators()
{
    StopTable table{};
    for (char c : QByteArrayView(" '\":;,.()[]!?=+-*<>/\\"))
        table[uchar(c)] = true;
    return table;
}
const StopTable wordSeparators = makeWordSeparators();

constexpr QByteArrayView httpPattern = "http://";
constexpr QByteArrayView hrefPattern = "href=";
constexpr QByteArrayView wwwPattern = "www.";
constexpr QByteArrayView atPattern = "@";

// The next occurrence of one pattern at or after a position; positions asked for only grow.
class NextOccurrence {
public:
    NextOccurrence() = default;
    NextOccurrence(QByteArrayView text, QByteArrayView pattern) : m_text(text), m_pattern(pattern) {}

    qsizetype from(qsizetype position)
    {
        if (m_searchedFrom < 0 || position < m_searchedFrom || (m_found >= 0 && m_found < position)) {
            m_searchedFrom = position;
            m_found = m_text.indexOf(m_pattern, position);
        }
        return m_found;
    }
    QByteArrayView pattern() const { return m_pattern; }

private:
    QByteArrayView m_text;
    QByteArrayView m_pattern;
    qsizetype m_searchedFrom = -1;
    qsizetype m_found = -1;
};

// Line breaks: the earliest of "\r\n", "<br>\r\n" and "<br>", within a limit.
class LineBreaks {
public:
    explicit LineBreaks(QByteArrayView text) : m_text(text), m_crlf(text, "\r\n"), m_br(text, "<br>") {}

    // The position just after the next break at or after position that ends by limit, or -1.
    qsizetype after(qsizetype position, qsizetype limit)
    {
        const qsizetype crlf = m_crlf.from(position);
        const qsizetype br = m_br.from(position);
        if (br >= 0 && (crlf < 0 || br < crlf)) {
            qsizetype end = br + 4;
            if (m_text.sliced(end).startsWith("\r\n") && end + 2 <= limit)
                end += 2;
            return end <= limit ? end : -1;
        }
        return crlf >= 0 && crlf + 2 <= limit ? crlf + 2 : -1;
    }

private:
    QByteArrayView m_text;
    NextOccurrence m_crlf;
    NextOccurrence m_br;
};

class KeywordScan {
public:
    KeywordScan(QByteArrayView record, KeywordKind kind) : m_record(record), m_kind(kind)
    {
        if (kind == KeywordKind::Email) {
            m_finders[m_finderCount++] = NextOccurrence(record, atPattern);
        } else {
            for (QByteArrayView pattern : {httpPattern, hrefPattern, wwwPattern})
                m_finders[m_finderCount++] = NextOccurrence(record, pattern);
        }
    }

    // The next hit at or after position whose value is neither empty nor the bare pattern.
    std::optional<KeywordHit> next(qsizetype position)
    {
        for (;;) {
            qsizetype hit = -1;
            QByteArrayView pattern;
            for (int i = 0; i < m_finderCount; ++i) {   // the pattern listed first wins a tie
                NextOccurrence& finder = m_finders[i];
                const qsizetype at = finder.from(position);
                if (at >= 0 && (hit < 0 || at < hit)) {
                    hit = at;
                    pattern = finder.pattern();
                }
            }
            if (hit < 0)
                return std::nullopt;
            const FieldSpan span = spanAt(hit, pattern);
            position = hit + 1;
            const QByteArrayView value = m_record.sliced(span.start, span.end - span.start);
            if (!value.isEmpty() && value != pattern)
                return KeywordHit{hit, span};
        }
    }

private:
    FieldSpan spanAt(qsizetype hit, QByteArrayView pattern)
    {
        qsizetype start = hit;
        if (pattern == hrefPattern) {
            start = hit + hrefPattern.size();
            while (start < m_record.size() && (m_record[start] == ' ' || m_record[start] == '"'))
                ++start;
        } else if (pattern != httpPattern) {
            start = backwardStart(hit, m_kind == KeywordKind::Email ? emailBackwardStops : commonStops);
        }
        if (m_kind == KeywordKind::Domain && m_record.sliced(start).startsWith(httpPattern))
            return {start, forwardStop(start + httpPattern.size(), 1, domainForwardStops)};
        return {start, forwardStop(start, 0, commonStops)};
    }

    // The first byte after the last stop character before hit. A scan that reaches the previous hit ends
    // where that one ended, as nothing between them stops it.
    qsizetype backwardStart(qsizetype hit, const StopTable& stops)
    {
        qsizetype start = hit;
        while (start > 0 && !stops[uchar(m_record[start - 1])]) {
            --start;
            if (start <= m_lastHit) {
                start = m_lastStart;
                break;
            }
        }
        m_lastHit = hit;
        m_lastStart = start;
        return start;
    }

    // The first stop character at or after position, or the record's end.
    qsizetype forwardStop(qsizetype position, int cache, const StopTable& stops)
    {
        ForwardCache& remembered = m_forward[cache];
        if (remembered.from >= 0 && position >= remembered.from && position <= remembered.stop)
            return remembered.stop;
        qsizetype stop = position;
        while (stop < m_record.size() && !stops[uchar(m_record[stop])])
            ++stop;
        remembered = {position, stop};
        return stop;
    }

    struct ForwardCache {
        qsizetype from = -1;
        qsizetype stop = -1;
    };

    QByteArrayView m_record;
    KeywordKind m_kind;
    std::array<NextOccurrence, 3> m_finders;
    int m_finderCount = 0;
    qsizetype m_lastHit = -1;
    qsizetype m_lastStart = 0;
    std::array<ForwardCache, 2> m_forward;
};

KeywordKind keywordKind(QByteArrayView alternative)
{
    if (alternative == "^find@")
        return KeywordKind::Email;
    if (alternative == "^findurl")
        return KeywordKind::Url;
    if (alternative == "^finddomain")
        return KeywordKind::Domain;
    return KeywordKind::Nothing;
}

int cellNumber(const QStringList& cells, int index, int fallback)
{
    bool ok = false;
    const int value = cells.value(index).trimmed().toInt(&ok);
    return ok ? value : fallback;
}

// The start just after the occurrence-th occurrence of begin, or -1.
qsizetype literalStart(QByteArrayView record, QByteArrayView begin, int occurrence)
{
    if (occurrence < 1)
        return -1;
    qsizetype position = 0;
    for (int found = 0; found < occurrence; ++found) {
        const qsizetype at = record.indexOf(begin, position);
        if (at < 0)
            return -1;
        position = at + begin.size();
    }
    return position;
}

// Moves the end before the separator that ends the words-th word; the start skips leading separators.
void applyWords(QByteArrayView record, int words, FieldSpan& span)
{
    qsizetype at = span.start;
    while (at < span.end && wordSeparators[uchar(record[at])])
        ++at;
    span.start = at;
    int counted = 0;
    while (at < span.end) {
        while (at < span.end && !wordSeparators[uchar(record[at])])
            ++at;
        if (at >= span.end)
            return;
        if (++counted == words) {
            span.end = at;
            return;
        }
        while (at < span.end && wordSeparators[uchar(record[at])])
            ++at;
    }
}

}  // namespace

QByteArray lowerAscii(QByteArrayView bytes)
{
    QByteArray lowered(bytes.size(), Qt::Uninitialized);
    const char* from = bytes.data();
    char* to = lowered.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = from[i];
        to[i] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
    return lowered;
}

std::optional<DbMakerField> fieldFromCells(const QStringList& cells)
{
    if (cells.value(0).trimmed().isEmpty())
        return std::nullopt;
    DbMakerField field;
    field.name = cells.value(0);
    field.begin = lowerAscii(cells.value(1).toUtf8());
    field.end = lowerAscii(cells.value(2).toUtf8());
    if (field.begin.startsWith('^')) {
        qsizetype from = 0;
        for (;;) {
            const qsizetype joint = field.begin.indexOf("^+", from);
            const qsizetype until = joint < 0 ? field.begin.size() : joint;
            field.keywords << keywordKind(QByteArrayView(field.begin).sliced(from, until - from));
            if (joint < 0)
                break;
            from = joint + 2;
        }
    }
    field.occurrence = cellNumber(cells, 3, 1);
    field.symbols = cellNumber(cells, 4, 0);
    field.words = cellNumber(cells, 5, 0);
    field.lines = cellNumber(cells, 6, 0);
    field.lineNumber = cellNumber(cells, 7, 0);
    field.unique = !cells.value(8).isEmpty();
    return field;
}

QList<DbMakerField> fieldsFromRows(const QList<QStringList>& rows)
{
    QList<DbMakerField> fields;
    for (const QStringList& row : rows)
        if (auto field = fieldFromCells(row))
            fields << *field;
    return fields;
}

std::optional<FieldSpan> searchKeywords(QByteArrayView record, const QList<KeywordKind>& keywords,
                                        int occurrence)
{
    std::optional<FieldSpan> best;
    if (occurrence < 1)
        return best;
    for (KeywordKind kind : keywords) {
        if (kind == KeywordKind::Nothing)
            continue;
        KeywordScan scan(record, kind);
        std::optional<KeywordHit> hit = scan.next(0);
        for (int hits = 1; hit && hits < occurrence; ++hits)
            hit = scan.next(hit->at + 1);
        if (hit && (!best || hit->span.start < best->start))   // the alternative listed first wins a tie
            best = hit->span;
    }
    return best;
}

std::optional<FieldSpan> searchField(QByteArrayView record, const DbMakerField& field)
{
    if (!field.keywords.isEmpty())
        return searchKeywords(record, field.keywords, field.occurrence);
    FieldSpan span{0, record.size()};
    if (!field.begin.isEmpty()) {
        span.start = literalStart(record, field.begin, field.occurrence);
        if (span.start < 0)
            return std::nullopt;
    }
    const bool numeric = field.symbols > 0 || field.words > 0 || field.lines > 0 || field.lineNumber > 0;
    const QByteArrayView endText = !field.end.isEmpty() ? QByteArrayView(field.end)
                                   : numeric            ? QByteArrayView()
                                                        : QByteArrayView(" ");
    if (!endText.isEmpty()) {
        const qsizetype at = record.indexOf(endText, span.start);
        if (at >= 0)
            span.end = at;
    }
    LineBreaks breaks(record);
    for (int line = 1; line < field.lineNumber; ++line) {
        span.start = breaks.after(span.start, span.end);
        if (span.start < 0)
            return std::nullopt;
    }
    if (field.lines > 0) {
        qsizetype at = span.start;
        for (int line = 0; line < field.lines && at >= 0; ++line)
            at = breaks.after(at, span.end);
        if (at >= 0)
            span.end = at;
    }
    if (field.symbols > 0 && span.end - span.start > field.symbols)
        span.end = span.start + field.symbols;
    if (field.words > 0)
        applyWords(record, field.words, span);
    return span;
}

void forEachKeywordHit(QByteArrayView record, KeywordKind kind, qsizetype from,
                       const std::function<bool(const KeywordHit& hit)>& take)
{
    if (kind == KeywordKind::Nothing)
        return;
    KeywordScan scan(record, kind);
    while (const auto hit = scan.next(from)) {
        if (!take(*hit))
            return;
        from = hit->at + 1;
    }
}

QString decodeFieldValue(QByteArrayView bytes)
{
    QByteArray value;
    value.reserve(bytes.size());
    for (char c : bytes)
        if (c != '\r' && c != '\n' && c != '\t')
            value += c;
    // A value that happens to begin with FF FE is not UTF-16: only whole files carry that mark.
    if (value.startsWith("\xFF\xFE"))
        return codepage::toUnicode(value, legacyCodePage());
    return decodeText(value);
}
