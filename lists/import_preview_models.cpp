// The import wizard's preview models: see import_preview_models.h.

#include "lists/import_preview_models.h"

#include "lists/import_text_file.h"
#include "platform/string_grid_delimited.h"
#include "platform/text_file.h"

namespace {

QString shownText(const QString& text)
{
    return text.size() > PreviewCellLimit ? text.left(PreviewCellLimit) + QStringLiteral("...") : text;
}

int lineCountOf(const std::shared_ptr<const ImportText>& text)
{
    return text ? text->lineCount() : 0;
}

}  // namespace

void TextLinesModel::setText(std::shared_ptr<const ImportText> text)
{
    beginResetModel();
    m_text = std::move(text);
    endResetModel();
}

int TextLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : lineCountOf(m_text);
}

int TextLinesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TextLinesModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    if (index.column() == 0)
        return index.row() + 1;
    return shownText(m_text->line(index.row()));
}

void DelimitedPreviewModel::setSource(std::shared_ptr<const ImportText> text, int startRow, const QString& delimiters,
                                      bool consecutiveAsOne, const QString& listDelimiter)
{
    beginResetModel();
    m_reader.reset();
    m_text = std::move(text);
    if (m_text)
        m_reader = std::make_unique<DelimitedRecordReader>(*m_text, delimiters, consecutiveAsOne);
    m_listDelimiter = listDelimiter.toUtf8();
    m_recordLines.clear();
    m_nextLine = std::max(startRow, 1) - 1;
    m_columnCount = 0;
    m_cache.fill({});
    endResetModel();
    fetchMore(QModelIndex());
}

bool DelimitedPreviewModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_reader && m_nextLine < lineCountOf(m_text);
}

// Reads on to the next FetchRecords records; the columns grow to the widest record read.
void DelimitedPreviewModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    std::vector<int> lines;
    int widest = m_columnCount;
    while (m_nextLine < m_text->lineCount() && lines.size() < std::size_t(FetchRecords)) {
        const int first = m_nextLine;
        m_nextLine += m_reader->read(first);
        if (m_reader->cells().empty())
            continue;   // an empty line
        lines.push_back(first);
        widest = std::max(widest, int(m_reader->cells().size()));
    }
    if (widest > m_columnCount) {
        beginInsertColumns(QModelIndex(), m_columnCount, widest - 1);
        m_columnCount = widest;
        endInsertColumns();
    }
    if (lines.empty())
        return;
    const int firstRow = int(m_recordLines.size());
    beginInsertRows(QModelIndex(), firstRow, firstRow + int(lines.size()) - 1);
    m_recordLines.insert(m_recordLines.end(), lines.begin(), lines.end());
    endInsertRows();
}

int DelimitedPreviewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_recordLines.size());
}

int DelimitedPreviewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columnCount;
}

// The record of a row read again, flattened as the import flattens it; the last rows asked for are kept.
const QStringList& DelimitedPreviewModel::cellsOfRow(int row) const
{
    auto& cached = m_cache[std::size_t(row) % m_cache.size()];
    if (cached.first == row + 1)
        return cached.second;
    m_reader->read(m_recordLines[std::size_t(row)]);
    QStringList cells;
    QByteArray flattened;
    for (const QByteArrayView cell : m_reader->cells())
        cells.append(textFromUtf8(flattenListCell(cell, m_listDelimiter, flattened) ? QByteArrayView(flattened) : cell));
    cached = {row + 1, cells};
    return cached.second;
}

QVariant DelimitedPreviewModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return shownText(cellsOfRow(index.row()).value(index.column()));
}

void FixedWidthModel::setSource(std::shared_ptr<const ImportText> text, int width, const QString& mask)
{
    beginResetModel();
    m_text = std::move(text);
    m_width = width;
    m_mask = mask;
    endResetModel();
}

void FixedWidthModel::setMask(const QString& mask)
{
    m_mask = mask;
    if (m_width > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_width - 1), {BreakRole});
}

int FixedWidthModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : lineCountOf(m_text) + 1;
}

int FixedWidthModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_width;
}

QVariant FixedWidthModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= m_width)
        return {};
    const int column = index.column();
    if (role == BreakRole)
        return column < m_mask.size() && m_mask[column] == u'1';
    if (role != Qt::DisplayRole)
        return {};
    if (index.row() == 0)
        return (column + 1) % 10 == 0 ? QVariant(column + 1) : QVariant();
    const QString line = m_text->line(index.row() - 1);
    return column < line.size() ? QVariant(QString(line[column])) : QVariant();
}
