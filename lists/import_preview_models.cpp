// The import wizard's preview models: see import_preview_models.h.

#include "lists/import_preview_models.h"

#include "lists/import_splitters.h"

namespace {

QString shownText(const QString& text)
{
    return text.size() > PreviewCellLimit ? text.left(PreviewCellLimit) + QStringLiteral("...") : text;
}

}  // namespace

void TextLinesModel::setLines(const QStringList& lines)
{
    beginResetModel();
    m_lines = lines;
    endResetModel();
}

int TextLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int TextLinesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TextLinesModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_lines.size())
        return {};
    if (index.column() == 0)
        return index.row() + 1;
    return shownText(m_lines[index.row()]);
}

void DelimitedPreviewModel::setSource(const QStringList& lines, int startRow, const QString& delimiters,
                                      bool consecutiveAsOne)
{
    beginResetModel();
    m_lines = lines;
    m_delimiters = delimiters;
    m_consecutiveAsOne = consecutiveAsOne;
    m_rowLines.clear();
    m_columnCount = 0;
    m_cachedRow = -1;
    for (qsizetype line = std::max(startRow, 1) - 1; line < m_lines.size(); ++line) {
        if (m_lines[line].isEmpty())
            continue;
        m_rowLines.push_back(int(line));
        m_columnCount = std::max(m_columnCount, delimitedFieldCount(m_lines[line], m_delimiters, m_consecutiveAsOne));
    }
    endResetModel();
}

int DelimitedPreviewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rowLines.size());
}

int DelimitedPreviewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columnCount;
}

const QStringList& DelimitedPreviewModel::fieldsOfRow(int row) const
{
    if (row != m_cachedRow) {
        m_cachedFields = splitDelimitedLine(m_lines[m_rowLines[std::size_t(row)]], m_delimiters, m_consecutiveAsOne);
        m_cachedRow = row;
    }
    return m_cachedFields;
}

QVariant DelimitedPreviewModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return shownText(fieldsOfRow(index.row()).value(index.column()));
}

void FixedWidthModel::setSource(const QStringList& lines, int width, const QString& mask)
{
    beginResetModel();
    m_lines = lines;
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
    return parent.isValid() ? 0 : int(m_lines.size()) + 1;
}

int FixedWidthModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_width;
}

QVariant FixedWidthModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() > m_lines.size() || index.column() >= m_width)
        return {};
    const int column = index.column();
    if (role == BreakRole)
        return column < m_mask.size() && m_mask[column] == u'1';
    if (role != Qt::DisplayRole)
        return {};
    if (index.row() == 0)
        return (column + 1) % 10 == 0 ? QVariant(column + 1) : QVariant();
    const QString& line = m_lines[index.row() - 1];
    return column < line.size() ? QVariant(QString(line[column])) : QVariant();
}
