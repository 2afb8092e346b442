// StringGridModel: see string_grid_model.h. A change that touches the header row is told as a reset, as
// the header is not a model row.

#include "platform/string_grid_model.h"

#include <utility>

StringGridModel::StringGridModel(StringGrid* grid, QObject* parent)
    : QAbstractTableModel(parent)
    , m_grid(grid)
{
    Q_ASSERT(grid);
    m_grid->addObserver(this);
}

StringGridModel::~StringGridModel()
{
    if (m_grid)
        m_grid->removeObserver(this);
}

int StringGridModel::headerRows() const
{
    return m_grid && m_grid->fixedRows() > 0 && m_grid->rowCount() > 0 ? 1 : 0;
}

int StringGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_grid)
        return 0;
    return m_grid->rowCount() - headerRows();
}

int StringGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_grid ? 0 : m_grid->columnCount();
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_grid)
        return {};
    const int row = gridRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_grid->cell(index.column(), row);
    case Qt::ToolTipRole: {
        // The whole text, for cells too narrow to show it.
        const QString text = m_grid->cell(index.column(), row);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case RowStatusRole:
        return m_grid->rowStatus(row);
    case ObjectRole:
        return m_grid->object(index.column(), row);
    default:
        return {};
    }
}

bool StringGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || !m_grid || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int row = gridRow(index.row());
    const QString text = value.toString();
    m_grid->setCell(index.column(), row, text);
    emit cellEdited(index.column(), row, text);
    return true;
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !m_grid)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const bool fixed = gridRow(index.row()) < m_grid->fixedRows() || index.column() < m_grid->fixedColumns();
    if (m_editable && !fixed)
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !m_grid)
        return {};
    return headerRows() > 0 ? QVariant(m_grid->cell(section, 0)) : QVariant();
}

void StringGridModel::gridAboutToReset()
{
    beginResetModel();
}

void StringGridModel::gridReset()
{
    endResetModel();
}

void StringGridModel::rowsAboutToInsert(int first, int last)
{
    if (modelRow(first) < 0 || (headerRows() == 0 && m_grid->fixedRows() > 0)) {
        m_resetInstead = true;   // the header row itself changes
        return beginResetModel();
    }
    beginInsertRows({}, modelRow(first), modelRow(last));
}

void StringGridModel::rowsInserted()
{
    if (std::exchange(m_resetInstead, false))
        return endResetModel();
    endInsertRows();
}

void StringGridModel::rowsAboutToRemove(int first, int last)
{
    if (modelRow(first) < 0) {
        m_resetInstead = true;
        return beginResetModel();
    }
    beginRemoveRows({}, modelRow(first), modelRow(last));
}

void StringGridModel::rowsRemoved()
{
    if (std::exchange(m_resetInstead, false))
        return endResetModel();
    endRemoveRows();
}

void StringGridModel::rowAboutToMove(int from, int to)
{
    if (modelRow(from) < 0 || modelRow(to) < 0) {
        m_resetInstead = true;
        return beginResetModel();
    }
    // Qt names the place before which the row lands, counted before the move.
    beginMoveRows({}, modelRow(from), modelRow(from), {}, to > from ? modelRow(to) + 1 : modelRow(to));
}

void StringGridModel::rowMoved()
{
    if (std::exchange(m_resetInstead, false))
        return endResetModel();
    endMoveRows();
}

void StringGridModel::columnsAboutToChange(int oldCount, int newCount)
{
    m_insertingColumns = newCount > oldCount;
    if (m_insertingColumns)
        beginInsertColumns({}, oldCount, newCount - 1);
    else
        beginRemoveColumns({}, newCount, oldCount - 1);
}

void StringGridModel::columnsChanged(int, int)
{
    if (m_insertingColumns)
        endInsertColumns();
    else
        endRemoveColumns();
}

void StringGridModel::cellsChanged(int firstColumn, int firstRow, int lastColumn, int lastRow)
{
    if (firstRow < headerRows())
        emit headerDataChanged(Qt::Horizontal, firstColumn, lastColumn);
    const int first = std::max(modelRow(firstRow), 0);
    const int last = modelRow(lastRow);
    if (last >= first)
        emit dataChanged(index(first, firstColumn), index(last, lastColumn));
}

void StringGridModel::gridDestroyed()
{
    beginResetModel();
    m_grid = nullptr;
    endResetModel();
}
