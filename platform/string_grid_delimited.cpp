// List text to grid rows and back: see string_grid_delimited.h. Reading walks the bytes once with memchr
// for line ends and delimiters, in the UTF-8 pieces that the text-file decoding hands over, so a large
// file never exists as one whole QString.

#include "platform/string_grid_delimited.h"

#include "platform/code_page.h"
#include "platform/string_grid.h"
#include "platform/text_file.h"

#include <QIODevice>

#include <cstring>
#include <vector>

namespace {

constexpr qsizetype kPieceSize = 1 << 20;
constexpr int kProgressLines = 4096;

uint codeOf(char c)
{
    return static_cast<unsigned char>(c);
}

uint codeOf(QChar c)
{
    return c.unicode();
}

// Trims characters up to and including the blank at both ends, as the class library's Trim does.
template <typename View>
View trimmed(View field)
{
    qsizetype begin = 0;
    qsizetype end = field.size();
    while (begin < end && codeOf(field[begin]) <= ' ')
        ++begin;
    while (end > begin && codeOf(field[end - 1]) <= ' ')
        --end;
    return field.sliced(begin, end - begin);
}

// Calls add(field) for each trimmed field of line; the whole delimiter is stepped over, so one of several
// characters splits like a single one.
template <typename View, typename Add>
void forEachField(View line, View delimiter, Add&& add)
{
    if (line.isEmpty())
        return;
    if (delimiter.isEmpty()) {
        add(trimmed(line));
        return;
    }
    qsizetype start = 0;
    while (true) {
        const qsizetype found = line.indexOf(delimiter, start);
        if (found < 0) {
            add(trimmed(line.sliced(start)));
            return;
        }
        add(trimmed(line.sliced(start, found - start)));
        start = found + delimiter.size();
        if (start >= line.size())
            return;   // a delimiter that ends the line adds no field
    }
}

// Reads the records of UTF-8 text into grid; lineCount counts every line, empty ones too.
class RowReader {
public:
    RowReader(StringGrid& grid, QStringView delimiter, const ReadProgress& progress)
        : m_grid(grid)
        , m_delimiter(delimiter.toUtf8())
        , m_progress(progress)
    {
    }

    // false when progress asked to stop.
    bool read(QByteArrayView text)
    {
        return forEachByteLine(text, [&](qsizetype start, qsizetype end) { return addLine(text.sliced(start, end - start)); });
    }

    bool finish() { return !m_progress || m_progress(m_lineCount); }
    int rowsAdded() const { return m_rowsAdded; }

private:
    bool addLine(QByteArrayView line)
    {
        m_fields.clear();
        forEachField(line, QByteArrayView(m_delimiter), [this](QByteArrayView field) { m_fields.push_back(field); });
        if (!m_fields.empty()) {
            m_grid.appendRowUtf8(m_fields);
            ++m_rowsAdded;
        }
        ++m_lineCount;
        return m_lineCount % kProgressLines != 0 || !m_progress || m_progress(m_lineCount);
    }

    StringGrid& m_grid;
    const QByteArray m_delimiter;
    const ReadProgress& m_progress;
    std::vector<QByteArrayView> m_fields;
    int m_lineCount = 0;
    int m_rowsAdded = 0;
};

// Whether a cell needs flattening: it holds CR, LF or the delimiter (unless that is a blank). One pass over
// the cell for the usual one-byte delimiter, since every cell of every save goes through here.
bool needsFlattening(QByteArrayView cell, QByteArrayView delimiter)
{
    const bool blankDelimiter = delimiter.isEmpty() || (delimiter.size() == 1 && delimiter[0] == ' ');
    const char single = delimiter.size() == 1 && !blankDelimiter ? delimiter[0] : '\n';
    for (const char c : cell)
        if (c == '\n' || c == '\r' || c == single)
            return true;
    return delimiter.size() > 1 && cell.indexOf(delimiter) >= 0;
}

template <typename Sink>
bool forEachLineBlock(const StringGrid& grid, QStringView delimiter, int firstRow, int& cellsChanged, Sink&& sink)
{
    const QByteArray separator = delimiter.toUtf8();
    std::vector<QByteArrayView> cells;
    QByteArray block;
    QByteArray flattened;
    block.reserve(kPieceSize + 4096);
    bool firstLine = true;
    cellsChanged = 0;
    for (int row = std::max(firstRow, 0); row < grid.rowCount(); ++row) {
        grid.rowUtf8(row, cells);
        for (int column = 0; column < grid.columnCount(); ++column) {
            if (column > 0)
                block.append(separator);
            if (std::size_t(column) >= cells.size())
                continue;
            const QByteArrayView cell = cells[std::size_t(column)];
            if (flattenListCell(cell, separator, flattened)) {
                block.append(flattened);
                ++cellsChanged;
            } else {
                block.append(cell);
            }
        }
        // A first cell that starts with U+FEFF would read back as a byte-order mark and be dropped: a mark
        // before it keeps it.
        if (firstLine && block.startsWith("\xEF\xBB\xBF"))
            block.prepend("\xEF\xBB\xBF");
        firstLine = false;
        block.append("\r\n", 2);
        if (block.size() >= kPieceSize) {
            if (!sink(QByteArrayView(block)))
                return false;
            block.resize(0);
        }
    }
    return block.isEmpty() || sink(QByteArrayView(block));
}

}  // namespace

QStringList splitListLine(QStringView line, QStringView delimiter)
{
    QStringList fields;
    forEachField(line, delimiter, [&](QStringView field) { fields.append(field.toString()); });
    return fields;
}

int appendDelimitedText(StringGrid& grid, QByteArrayView utf8, QStringView delimiter, const ReadProgress& progress)
{
    RowReader reader(grid, delimiter, progress);
    grid.bulkChange([&] {
        if (reader.read(utf8))
            reader.finish();
    });
    return reader.rowsAdded();
}

int appendDelimitedFileBytes(StringGrid& grid, const QByteArray& bytes, QStringView delimiter,
                             const ReadProgress& progress)
{
    RowReader reader(grid, delimiter, progress);
    grid.bulkChange([&] {
        bool goOn = true;
        decodeTextPieces(bytes, [&](QByteArrayView utf8) { return goOn = reader.read(utf8); });
        if (goOn)
            reader.finish();
    });
    return reader.rowsAdded();
}

bool flattenListCell(QByteArrayView cell, QByteArrayView delimiter, QByteArray& out)
{
    if (!needsFlattening(cell, delimiter))
        return false;
    const bool blankDelimiter = delimiter.isEmpty() || (delimiter.size() == 1 && delimiter[0] == ' ');
    out.resize(0);
    out.reserve(cell.size());
    for (qsizetype at = 0; at < cell.size();) {
        if (cell[at] == '\r' || cell[at] == '\n') {
            at += cell[at] == '\r' && at + 1 < cell.size() && cell[at + 1] == '\n' ? 2 : 1;
            out.append(' ');
        } else if (!blankDelimiter && cell.sliced(at).startsWith(delimiter)) {
            at += delimiter.size();
            out.append(' ');
        } else {
            out.append(cell[at++]);
        }
    }
    return true;
}

bool flattenListCell(QString& cell, QStringView delimiter)
{
    const QByteArray utf8 = cell.toUtf8();
    QByteArray flattened;
    if (!flattenListCell(utf8, delimiter.toUtf8(), flattened))
        return false;
    cell = textFromUtf8(flattened);
    return true;
}

QByteArray delimitedLines(const StringGrid& grid, QStringView delimiter, int firstRow, int* cellsChanged)
{
    QByteArray bytes;
    int changed = 0;
    forEachLineBlock(grid, delimiter, firstRow, changed, [&](QByteArrayView block) {
        bytes.append(block);
        return true;
    });
    if (cellsChanged)
        *cellsChanged = changed;
    return bytes;
}

bool writeDelimitedLines(QIODevice& device, const StringGrid& grid, QStringView delimiter, int firstRow,
                         int* cellsChanged)
{
    int changed = 0;
    const bool written = forEachLineBlock(grid, delimiter, firstRow, changed, [&](QByteArrayView block) {
        return device.write(block.data(), block.size()) == block.size();
    });
    if (cellsChanged)
        *cellsChanged = changed;
    return written;
}
