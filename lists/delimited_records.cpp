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
    m_record.resize(0);
    m_record.append(m_text.lineUtf8(first, m_scratch));
    m_cellBytes.resize(0);
    m_cellEnds.clear();
    int lines = 1;
    qsizetype at = 0;
    while (at < m_record.size()) {
        if (m_quoting && m_record[at] == '"')
            at = readQuoted(at, first, lines);
        else
            at = readPlain(at);
        m_cellEnds.push_back(m_cellBytes.size());
        if (at < m_record.size())
            at += m_delimiters.matchAt(m_record, at);   // the delimiter after the field
        if (m_consecutiveAsOne)
            while (at < m_record.size() && m_delimiters.matchAt(m_record, at) > 0)
                at += m_delimiters.matchAt(m_record, at);
    }
    m_cells.clear();
    qsizetype start = 0;
    for (const qsizetype end : m_cellEnds) {
        m_cells.push_back(QByteArrayView(m_cellBytes).sliced(start, end - start));
        start = end;
    }
    return lines;
}

// A field up to the next delimiter, as it stands.
qsizetype DelimitedRecordReader::readPlain(qsizetype at)
{
    const qsizetype end = m_delimiters.find(m_record, at);
    m_cellBytes.append(QByteArrayView(m_record).sliced(at, end - at));
    return end;
}

// A quoted field from its opening quote at at, taking further lines while it is open; then the text after
// its closing quote. When it never closes, the lines it took are given back and it is an ordinary field.
qsizetype DelimitedRecordReader::readQuoted(qsizetype at, int first, int& lines)
{
    const qsizetype recordSize = m_record.size();
    const qsizetype cellStart = m_cellBytes.size();
    const int linesBefore = lines;
    for (qsizetype from = at + 1;;) {
        const char* data = m_record.constData();
        const void* found = std::memchr(data + from, '"', std::size_t(m_record.size() - from));
        if (found) {
            const qsizetype quote = static_cast<const char*>(found) - data;
            m_cellBytes.append(data + from, quote - from);
            if (quote + 1 < m_record.size() && m_record[quote + 1] == '"') {
                m_cellBytes.append('"');
                from = quote + 2;
                continue;
            }
            return readPlain(quote + 1);
        }
        m_cellBytes.append(data + from, m_record.size() - from);
        const int next = first + lines;
        if (next >= m_text.lineCount())
            break;
        const QByteArrayView line = m_text.lineUtf8(next, m_scratch);
        if (m_record.size() + 1 + line.size() > MaxLineBytes)
            break;
        from = m_record.size() + 1;
        m_record.append('\n');
        m_record.append(line);
        m_cellBytes.append('\n');
        ++lines;
    }
    m_record.truncate(recordSize);
    m_cellBytes.truncate(cellStart);
    lines = linesBefore;
    return readPlain(at);
}
