// StringGrid cell store: see string_grid.h. A row's bytes are: the number of stored cells n (trailing empty
// cells are not stored), n cell lengths, then the n cells' UTF-8 bytes; numbers are LEB128 varints, so a
// short cell costs one byte beside its text. Rewritten rows reuse their place when they fit; the space of
// others is counted as waste and reclaimed by compaction once it exceeds the live bytes.

#include "platform/string_grid.h"

#include "platform/text_file.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kBlockSize = 4 << 20;
constexpr std::uint64_t kCompactionThreshold = 16 << 20;

int varintSize(std::uint32_t value)
{
    int size = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++size;
    }
    return size;
}

void putVarint(char*& out, std::uint32_t value)
{
    while (value >= 0x80) {
        *out++ = char(value | 0x80);
        value >>= 7;
    }
    *out++ = char(value);
}

std::uint32_t getVarint(const char*& in)
{
    std::uint32_t value = 0;
    int shift = 0;
    unsigned char byte = 0;
    do {
        byte = static_cast<unsigned char>(*in++);
        value |= std::uint32_t(byte & 0x7F) << shift;
        shift += 7;
    } while (byte & 0x80);
    return value;
}

// The stored cells of a row as views into its bytes.
void decodeRow(QByteArrayView bytes, std::vector<QByteArrayView>& cells)
{
    cells.clear();
    if (bytes.isEmpty())
        return;
    const char* in = bytes.data();
    const std::uint32_t count = getVarint(in);
    const char* lengths = in;
    for (std::uint32_t i = 0; i < count; ++i)
        getVarint(in);
    const char* data = in;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t length = getVarint(lengths);
        cells.emplace_back(data, qsizetype(length));
        data += length;
    }
}

QByteArrayView cellOfRow(QByteArrayView bytes, int column)
{
    if (bytes.isEmpty())
        return {};
    const char* in = bytes.data();
    const std::uint32_t count = getVarint(in);
    if (std::uint32_t(column) >= count)
        return {};
    qsizetype offset = 0;
    std::uint32_t length = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t size = getVarint(in);
        if (i < std::uint32_t(column))
            offset += size;
        else if (i == std::uint32_t(column))
            length = size;
    }
    return QByteArrayView(in + offset, qsizetype(length));
}

// Encodes cells into scratch; returns the encoded size (0 when every cell is empty).
std::uint32_t encodeRow(std::span<const QByteArrayView> cells, std::vector<char>& scratch)
{
    std::size_t stored = cells.size();
    while (stored > 0 && cells[stored - 1].isEmpty())
        --stored;
    if (stored == 0)
        return 0;
    std::size_t size = std::size_t(varintSize(std::uint32_t(stored)));
    for (std::size_t i = 0; i < stored; ++i) {
        Q_ASSERT(std::size_t(cells[i].size()) < (std::size_t(1) << 31));
        size += std::size_t(varintSize(std::uint32_t(cells[i].size()))) + std::size_t(cells[i].size());
    }
    Q_ASSERT(size < (std::size_t(1) << 32));
    scratch.resize(size);
    char* out = scratch.data();
    putVarint(out, std::uint32_t(stored));
    for (std::size_t i = 0; i < stored; ++i)
        putVarint(out, std::uint32_t(cells[i].size()));
    for (std::size_t i = 0; i < stored; ++i) {
        if (!cells[i].isEmpty())
            std::memcpy(out, cells[i].data(), std::size_t(cells[i].size()));
        out += cells[i].size();
    }
    return std::uint32_t(size);
}

thread_local std::vector<char> t_rowScratch;
thread_local std::vector<QByteArrayView> t_cellScratch;

}  // namespace

StringGrid::StringGrid()
    : StringGrid(1, 2)
{
}

StringGrid::StringGrid(int columnCount, int rowCount)
    : m_rows(std::size_t(std::max(rowCount, 0)))
    , m_columnCount(std::max(columnCount, 0))
{
}

StringGrid::StringGrid(const StringGrid& other)
    : m_rows(other.m_rows)
    , m_objectRows(other.m_objectRows)
    , m_freeObjectRows(other.m_freeObjectRows)
    , m_columnCount(other.m_columnCount)
    , m_fixedRows(other.m_fixedRows)
    , m_fixedColumns(other.m_fixedColumns)
{
    relocateRows(other.m_blocks);
}

StringGrid& StringGrid::operator=(const StringGrid& other)
{
    if (this == &other)
        return *this;
    notify([](StringGridObserver* o) { o->gridAboutToReset(); });
    m_rows = other.m_rows;
    m_objectRows = other.m_objectRows;
    m_freeObjectRows = other.m_freeObjectRows;
    m_columnCount = other.m_columnCount;
    m_fixedRows = other.m_fixedRows;
    m_fixedColumns = other.m_fixedColumns;
    m_blocks.clear();
    relocateRows(other.m_blocks);
    notify([](StringGridObserver* o) { o->gridReset(); });
    return *this;
}

StringGrid::~StringGrid()
{
    for (StringGridObserver* observer : std::vector(m_observers))
        observer->gridDestroyed();
}

void StringGrid::setRowCount(int count)
{
    count = std::max(count, 0);
    const int old = rowCount();
    if (count > old) {
        notify([&](StringGridObserver* o) { o->rowsAboutToInsert(old, count - 1); });
        m_rows.resize(std::size_t(count));
        notify([](StringGridObserver* o) { o->rowsInserted(); });
    } else if (count < old) {
        removeRows(count, old - count);
    }
}

void StringGrid::setColumnCount(int count)
{
    count = std::max(count, 0);
    const int old = m_columnCount;
    if (count == old)
        return;
    notify([&](StringGridObserver* o) { o->columnsAboutToChange(old, count); });
    if (count < old)
        truncateCells(count);
    m_columnCount = count;
    notify([&](StringGridObserver* o) { o->columnsChanged(old, count); });
}

void StringGrid::setFixedRows(int count)
{
    notify([](StringGridObserver* o) { o->gridAboutToReset(); });
    m_fixedRows = std::max(count, 0);
    notify([](StringGridObserver* o) { o->gridReset(); });
}

void StringGrid::setFixedColumns(int count)
{
    notify([](StringGridObserver* o) { o->gridAboutToReset(); });
    m_fixedColumns = std::max(count, 0);
    notify([](StringGridObserver* o) { o->gridReset(); });
}

QString StringGrid::cell(int column, int row) const
{
    return textFromUtf8(cellUtf8(column, row));
}

QByteArrayView StringGrid::cellUtf8(int column, int row) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columnCount)
        return {};
    return cellOfRow(rowBytes(m_rows[std::size_t(row)]), column);
}

void StringGrid::rowUtf8(int row, std::vector<QByteArrayView>& cells) const
{
    decodeRow(rowBytes(m_rows[std::size_t(row)]), cells);
    if (cells.size() > std::size_t(m_columnCount))
        cells.resize(std::size_t(m_columnCount));
}

void StringGrid::setCell(int column, int row, const QString& text)
{
    Q_ASSERT(row >= 0 && row < rowCount() && column >= 0 && column < m_columnCount);
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columnCount)
        return;
    const QByteArray utf8 = text.toUtf8();
    Row& target = m_rows[std::size_t(row)];
    decodeRow(rowBytes(target), t_cellScratch);
    if (t_cellScratch.size() <= std::size_t(column))
        t_cellScratch.resize(std::size_t(column) + 1);
    t_cellScratch[std::size_t(column)] = utf8;
    storeRow(target, t_cellScratch);
    notify([&](StringGridObserver* o) { o->cellsChanged(column, row, column, row); });
}

QStringList StringGrid::rowCells(int row) const
{
    // One pass over the row's bytes: reading cell by cell would walk the cell lengths once per column.
    std::vector<QByteArrayView> utf8;
    if (row >= 0 && row < rowCount())
        rowUtf8(row, utf8);
    QStringList cells;
    cells.reserve(m_columnCount);
    for (const QByteArrayView cell : utf8)
        cells.append(textFromUtf8(cell));
    while (cells.size() < m_columnCount)
        cells.append(QString());
    return cells;
}

void StringGrid::setRowCells(int row, const QStringList& cells)
{
    Q_ASSERT(row >= 0 && row < rowCount());
    if (row < 0 || row >= rowCount())
        return;
    const qsizetype count = std::min<qsizetype>(cells.size(), m_columnCount);
    std::vector<QByteArray> utf8(static_cast<std::size_t>(count));
    std::vector<QByteArrayView> views(static_cast<std::size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        utf8[std::size_t(i)] = cells[i].toUtf8();
        views[std::size_t(i)] = utf8[std::size_t(i)];
    }
    storeRow(m_rows[std::size_t(row)], views);
    if (m_columnCount > 0)
        notify([&](StringGridObserver* o) { o->cellsChanged(0, row, m_columnCount - 1, row); });
}

QVariant StringGrid::object(int column, int row) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columnCount)
        return {};
    const Row& source = m_rows[std::size_t(row)];
    if (source.objects == 0)
        return {};
    const std::vector<QVariant>& objects = m_objectRows[source.objects - 1];
    return std::size_t(column) < objects.size() ? objects[std::size_t(column)] : QVariant();
}

void StringGrid::setObject(int column, int row, const QVariant& object)
{
    Q_ASSERT(row >= 0 && row < rowCount() && column >= 0 && column < m_columnCount);
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columnCount)
        return;
    Row& target = m_rows[std::size_t(row)];
    if (target.objects == 0) {
        if (!object.isValid())
            return;
        if (m_freeObjectRows.empty()) {
            m_objectRows.emplace_back();
            target.objects = std::uint32_t(m_objectRows.size());
        } else {
            target.objects = m_freeObjectRows.back() + 1;
            m_freeObjectRows.pop_back();
        }
    }
    std::vector<QVariant>& objects = m_objectRows[target.objects - 1];
    if (objects.size() <= std::size_t(column))
        objects.resize(std::size_t(column) + 1);
    objects[std::size_t(column)] = object;
    notify([&](StringGridObserver* o) { o->cellsChanged(column, row, column, row); });
}

int StringGrid::rowStatus(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[std::size_t(row)].status : 0;
}

void StringGrid::setRowStatus(int row, int status)
{
    Q_ASSERT(row >= 0 && row < rowCount());
    if (row < 0 || row >= rowCount())
        return;
    m_rows[std::size_t(row)].status = status;
    if (m_columnCount > 0)
        notify([&](StringGridObserver* o) { o->cellsChanged(0, row, m_columnCount - 1, row); });
}

void StringGrid::insertRows(int at, int count)
{
    Q_ASSERT(at >= 0 && at <= rowCount());
    if (count <= 0 || at < 0 || at > rowCount())
        return;
    notify([&](StringGridObserver* o) { o->rowsAboutToInsert(at, at + count - 1); });
    m_rows.insert(m_rows.begin() + at, std::size_t(count), Row{});
    notify([](StringGridObserver* o) { o->rowsInserted(); });
}

void StringGrid::removeRows(int at, int count)
{
    Q_ASSERT(at >= 0 && count >= 0 && at + count <= rowCount());
    count = std::min(count, rowCount() - at);
    if (count <= 0 || at < 0)
        return;
    notify([&](StringGridObserver* o) { o->rowsAboutToRemove(at, at + count - 1); });
    for (int row = at; row < at + count; ++row) {
        releaseRow(m_rows[std::size_t(row)]);
        releaseObjects(m_rows[std::size_t(row)]);
    }
    m_rows.erase(m_rows.begin() + at, m_rows.begin() + at + count);
    notify([](StringGridObserver* o) { o->rowsRemoved(); });
    compactIfWasteful();
}

void StringGrid::removeMarkedRows(const std::vector<bool>& remove)
{
    notify([](StringGridObserver* o) { o->gridAboutToReset(); });
    std::size_t kept = 0;
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (row < remove.size() && remove[row]) {
            releaseRow(m_rows[row]);
            releaseObjects(m_rows[row]);
        } else {
            m_rows[kept++] = m_rows[row];
        }
    }
    m_rows.resize(kept);
    notify([](StringGridObserver* o) { o->gridReset(); });
    compactIfWasteful();
}

void StringGrid::moveRow(int from, int to)
{
    Q_ASSERT(from >= 0 && from < rowCount() && to >= 0 && to < rowCount());
    if (from == to || from < 0 || from >= rowCount() || to < 0 || to >= rowCount())
        return;
    notify([&](StringGridObserver* o) { o->rowAboutToMove(from, to); });
    if (from < to)
        std::rotate(m_rows.begin() + from, m_rows.begin() + from + 1, m_rows.begin() + to + 1);
    else
        std::rotate(m_rows.begin() + to, m_rows.begin() + from, m_rows.begin() + from + 1);
    notify([](StringGridObserver* o) { o->rowMoved(); });
}

void StringGrid::clear()
{
    notify([](StringGridObserver* o) { o->gridAboutToReset(); });
    std::fill(m_rows.begin(), m_rows.end(), Row{});
    m_blocks.clear();
    m_objectRows.clear();
    m_freeObjectRows.clear();
    m_wastedBytes = 0;
    m_liveBytes = 0;
    notify([](StringGridObserver* o) { o->gridReset(); });
}

void StringGrid::appendRowUtf8(std::span<const QByteArrayView> cells)
{
    if (cells.size() > std::size_t(m_columnCount))
        setColumnCount(int(cells.size()));
    const int row = rowCount();
    notify([&](StringGridObserver* o) { o->rowsAboutToInsert(row, row); });
    m_rows.emplace_back();
    storeRow(m_rows.back(), cells);
    notify([](StringGridObserver* o) { o->rowsInserted(); });
}

void StringGrid::bulkChange(const std::function<void()>& change)
{
    // Observers hear "reset" even when change throws, so a model never stays half reset.
    struct Bulk {
        StringGrid& grid;
        explicit Bulk(StringGrid& g) : grid(g)
        {
            if (grid.m_bulkDepth++ == 0)
                grid.notifyAlways([](StringGridObserver* o) { o->gridAboutToReset(); });
        }
        ~Bulk()
        {
            if (--grid.m_bulkDepth == 0)
                grid.notifyAlways([](StringGridObserver* o) { o->gridReset(); });
        }
    };
    const Bulk bulk(*this);
    change();
}

void StringGrid::addObserver(StringGridObserver* observer)
{
    m_observers.push_back(observer);
}

void StringGrid::removeObserver(StringGridObserver* observer)
{
    std::erase(m_observers, observer);
}

QByteArrayView StringGrid::rowBytes(const Row& row) const
{
    if (row.size == 0)
        return {};
    return QByteArrayView(m_blocks[row.block].bytes.get() + row.offset, qsizetype(row.size));
}

// cells may point into this grid's own blocks: they are encoded into a scratch buffer before any write.
void StringGrid::storeRow(Row& row, std::span<const QByteArrayView> cells)
{
    const std::uint32_t size = encodeRow(cells, t_rowScratch);
    if (size != 0 && size <= row.size) {
        std::memcpy(m_blocks[row.block].bytes.get() + row.offset, t_rowScratch.data(), size);
        m_wastedBytes += row.size - size;
        m_liveBytes -= row.size - size;
        row.size = size;
    } else {
        releaseRow(row);
        if (size != 0) {
            char* place = reserve(size, row.block, row.offset);
            std::memcpy(place, t_rowScratch.data(), size);
            row.size = size;
            m_liveBytes += size;
        }
    }
    compactIfWasteful();
}

char* StringGrid::reserve(std::uint32_t size, std::uint32_t& block, std::uint32_t& offset)
{
    if (m_blocks.empty() || m_blocks.back().capacity - m_blocks.back().used < size) {
        const std::uint32_t capacity = std::max(kBlockSize, size);
        m_blocks.push_back(Block{std::make_unique_for_overwrite<char[]>(capacity), capacity, 0});
    }
    Block& last = m_blocks.back();
    block = std::uint32_t(m_blocks.size() - 1);
    offset = last.used;
    last.used += size;
    return last.bytes.get() + offset;
}

void StringGrid::releaseRow(Row& row)
{
    m_wastedBytes += row.size;
    m_liveBytes -= row.size;
    row.size = 0;
}

void StringGrid::releaseObjects(Row& row)
{
    if (row.objects == 0)
        return;
    m_objectRows[row.objects - 1].clear();
    m_freeObjectRows.push_back(row.objects - 1);
    row.objects = 0;
}

void StringGrid::compactIfWasteful()
{
    if (m_wastedBytes < kCompactionThreshold || m_wastedBytes < m_liveBytes)
        return;
    const std::vector<Block> old = std::move(m_blocks);
    m_blocks.clear();
    relocateRows(old);
}

// Copies the bytes of every row from source (where m_rows now point) into fresh blocks of this grid.
void StringGrid::relocateRows(const std::vector<Block>& source)
{
    m_liveBytes = 0;
    m_wastedBytes = 0;
    for (Row& row : m_rows) {
        if (row.size == 0)
            continue;
        const char* from = source[row.block].bytes.get() + row.offset;
        std::memcpy(reserve(row.size, row.block, row.offset), from, row.size);
        m_liveBytes += row.size;
    }
}

void StringGrid::truncateCells(int count)
{
    for (Row& row : m_rows) {
        decodeRow(rowBytes(row), t_cellScratch);
        if (t_cellScratch.size() > std::size_t(count)) {
            t_cellScratch.resize(std::size_t(count));
            storeRow(row, t_cellScratch);
        }
        if (row.objects != 0) {
            std::vector<QVariant>& objects = m_objectRows[row.objects - 1];
            if (objects.size() > std::size_t(count))
                objects.resize(std::size_t(count));
        }
    }
}

template <typename Notify>
void StringGrid::notify(Notify&& call) const
{
    if (!quiet())
        notifyAlways(call);
}

template <typename Notify>
void StringGrid::notifyAlways(Notify&& call) const
{
    for (StringGridObserver* observer : m_observers)
        call(observer);
}
