// The import wizard's delimited records: see delimited_records.h.

#include "lists/delimited_records.h"

#include "lists/import_text_file.h"

#include <cstring>

DelimiterSet::DelimiterSet(QStringView characters)
{
    for (const QChar character : characters) {
        const QByteArray utf8 = QString(character).toUtf8();
        m_firstBytes[static_cast<unsigned char>(utf8[0])] = true;
        if (utf8.size() > 1)
            m_multiByte.push_back(utf8);
    }
    if (characters.size() == 1 && m_multiByte.empty())
        m_single = static_cast<unsigned char>(characters.front().toLatin1());
}

qsizetype DelimiterSet::matchAt(QByteArrayView text, qsizetype at) const
{
    if (!contains(text[at]))
        return 0;
    if (static_cast<unsigned char>(text[at]) < 0x80)
        return 1;
    for (const QByteArray& delimiter : m_multiByte)
        if (text.sliced(at).startsWith(delimiter))
            return delimiter.size();
    return 0;
}

qsizetype DelimiterSet::find(QByteArrayView text, qsizetype from) const
{
    if (m_single >= 0) {   // fields are short: a plain loop beats a library call per field
        const char single = char(m_single);
        qsizetype at = from;
        while (at < text.size() && text[at] != single)
            ++at;
        return at;
    }
    for (qsizetype at = from; at < text.size(); ++at)
        if (contains(text[at]) && matchAt(text, at) > 0)
            return at;
    return text.size();
}

DelimitedRecordReader::DelimitedRecordReader(const ImportText& text, QStringView delimiters, bool consecutiveAsOne)
    : m_text(text)
    , m_delimiters(delimiters)
    , m_consecutiveAsOne(consecutiveAsOne)
    , m_quoting(!delimiters.contains(u'"'))
{
}

int DelimitedRecordReader::read(int first)
{
    m_view = m_text.lineUtf8(first, m_scratch);
    m_quotedBytes.resize(0);
    m_spans.clear();
    int lines = 1;
    qsizetype at = 0;
    while (at < m_view.size()) {
        if (m_quoting && m_view[at] == '"') {
            at = readQuoted(at, first, lines);
        } else {
            const qsizetype end = plainEnd(at);
            m_spans.push_back({false, at, end - at});
            at = end;
        }
        if (at < m_view.size())
            at += m_delimiters.matchAt(m_view, at);   // the delimiter after the field
        if (m_consecutiveAsOne)
            while (at < m_view.size() && m_delimiters.matchAt(m_view, at) > 0)
                at += m_delimiters.matchAt(m_view, at);
    }
    m_cells.clear();
    for (const CellSpan& span : m_spans)
        m_cells.push_back((span.quoted ? QByteArrayView(m_quotedBytes) : m_view).sliced(span.start, span.size));
    return lines;
}

// Appends line next to the record's text (which becomes m_record); false when there is none, or the record
// would grow past MaxLineBytes.
bool DelimitedRecordReader::joinNextLine(int next)
{
    if (next >= m_text.lineCount())
        return false;
    if (m_view.data() != m_record.constData()) {
        m_record = m_view.toByteArray();   // before the next line reuses the scratch the view may lie in
        m_view = m_record;
    }
    const QByteArrayView line = m_text.lineUtf8(next, m_scratch);
    if (m_record.size() + 1 + line.size() > MaxLineBytes)
        return false;
    m_record.append('\n');
    m_record.append(line);
    m_view = m_record;
    return true;
}

// A quoted field from its opening quote at at, taking further lines while it is open; then the text after
// its closing quote up to the next delimiter. When it never closes, the lines it took are given back and it
// is an ordinary field.
qsizetype DelimitedRecordReader::readQuoted(qsizetype at, int first, int& lines)
{
    const qsizetype textSize = m_view.size();
    const qsizetype cellStart = m_quotedBytes.size();
    const int linesBefore = lines;
    for (qsizetype from = at + 1;;) {
        const char* data = m_view.data();
        const void* found = std::memchr(data + from, '"', std::size_t(m_view.size() - from));
        if (found) {
            const qsizetype quote = static_cast<const char*>(found) - data;
            m_quotedBytes.append(data + from, quote - from);
            if (quote + 1 < m_view.size() && m_view[quote + 1] == '"') {
                m_quotedBytes.append('"');
                from = quote + 2;
                continue;
            }
            const qsizetype end = plainEnd(quote + 1);
            m_quotedBytes.append(m_view.sliced(quote + 1, end - quote - 1));
            m_spans.push_back({true, cellStart, m_quotedBytes.size() - cellStart});
            return end;
        }
        m_quotedBytes.append(data + from, m_view.size() - from);
        from = m_view.size() + 1;
        if (!joinNextLine(first + lines))
            break;
        m_quotedBytes.append('\n');
        ++lines;
    }
    if (m_view.data() == m_record.constData()) {
        m_record.truncate(textSize);
        m_view = m_record;
    }
    m_quotedBytes.truncate(cellStart);
    lines = linesBefore;
    const qsizetype end = plainEnd(at);
    m_spans.push_back({false, at, end - at});
    return end;
}
