// StringGridView: see string_grid_view.h.

#include "platform/widgets/string_grid_view.h"

#include "platform/widgets/form_units.h"
#include "platform/widgets/grid_sizing.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>

StringGridView::StringGridView(QWidget* parent)
    : QTableView(parent)
{
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    applyEditTriggers();
    applyFormSizes();
}

void StringGridView::setGrid(StringGrid* grid)
{
    StringGridModel* oldModel = m_model;
    QItemSelectionModel* oldSelection = selectionModel();   // setModel leaves the old one to us
    m_model = grid ? new StringGridModel(grid, this) : nullptr;
    if (m_model) {
        m_model->setEditable(m_editing);
        connect(m_model, &StringGridModel::cellEdited, this, &StringGridView::cellEdited);
    }
    setModel(m_model);
    delete oldSelection;
    if (selectionModel())
        connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
            if (current.isValid())
                emit cellSelected(current.column(), m_model->gridRow(current.row()));
        });
    delete oldModel;
    if (m_sizing)
        m_sizing->watchModel();
}

StringGrid* StringGridView::grid() const
{
    return m_model ? m_model->grid() : nullptr;
}

void StringGridView::setEditing(bool on)
{
    m_editing = on;
    if (m_model)
        m_model->setEditable(on);
    applyEditTriggers();
}

void StringGridView::setRowSelect(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void StringGridView::setRangeSelect(bool on)
{
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void StringGridView::setDefaultColumnWidth(int formPixels)
{
    m_formColumnWidth = formPixels;
    applyFormSizes();
}

void StringGridView::setDefaultRowHeight(int formPixels)
{
    m_formRowHeight = formPixels;
    applyFormSizes();
}

void StringGridView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyFormSizes();
}

void StringGridView::applyFormSizes()
{
    const QFontMetrics metrics = fontMetrics();
    if (m_formColumnWidth > 0)
        horizontalHeader()->setDefaultSectionSize(formWidth(m_formColumnWidth, metrics));
    const int height = m_formRowHeight > 0 ? formHeight(m_formRowHeight, metrics) : GridSizing::lineHeight(metrics);
    verticalHeader()->setMinimumSectionSize(std::min(height, verticalHeader()->minimumSectionSize()));
    verticalHeader()->setDefaultSectionSize(height);
}

void StringGridView::setFittedColumns(const QList<int>& fittedColumns, int stretchColumn)
{
    delete m_sizing;
    m_sizing = new GridSizing(this, fittedColumns, stretchColumn);
}

int StringGridView::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? m_model->gridRow(current.row()) : -1;
}

int StringGridView::currentColumn() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : -1;
}

void StringGridView::setCurrentCell(int column, int row)
{
    const QModelIndex index = indexOf(column, row);
    if (index.isValid())
        setCurrentIndex(index);
}

GridRect StringGridView::gridSelection() const
{
    GridRect rect;
    const QItemSelection selection = selectionModel() ? selectionModel()->selection() : QItemSelection();
    for (const QItemSelectionRange& range : selection) {
        const int top = m_model->gridRow(range.top());
        const int bottom = m_model->gridRow(range.bottom());
        if (rect.left < 0) {
            rect = {range.left(), top, range.right(), bottom};
            continue;
        }
        rect = {std::min(rect.left, range.left()), std::min(rect.top, top), std::max(rect.right, range.right()),
                std::max(rect.bottom, bottom)};
    }
    if (rect.left < 0 && currentIndex().isValid())
        rect = {currentColumn(), currentRow(), currentColumn(), currentRow()};
    return rect;
}

void StringGridView::setGridSelection(const GridRect& rect)
{
    const QModelIndex topLeft = indexOf(rect.left, rect.top);
    const QModelIndex bottomRight = indexOf(rect.right, rect.bottom);
    if (!topLeft.isValid() || !bottomRight.isValid())
        return;
    selectionModel()->setCurrentIndex(topLeft, QItemSelectionModel::NoUpdate);
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (selectionBehavior() == QAbstractItemView::SelectRows)
        flags |= QItemSelectionModel::Rows;
    selectionModel()->select(QItemSelection(topLeft, bottomRight), flags);
}

int StringGridView::topRow() const
{
    if (!m_model || m_model->rowCount() == 0)
        return -1;
    return m_model->gridRow(std::max(rowAt(0), 0));
}

void StringGridView::setTopRow(int row)
{
    const QModelIndex index = indexOf(std::max(currentColumn(), 0), row);
    if (index.isValid())
        scrollTo(index, QAbstractItemView::PositionAtTop);
}

bool StringGridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const bool wasEditing = state() == QAbstractItemView::EditingState;
    const bool editing = QTableView::edit(index, trigger, event);
    if (editing && !wasEditing && state() == QAbstractItemView::EditingState)
        emit editStarted(index.column(), m_model->gridRow(index.row()));
    return editing;
}

void StringGridView::applyEditTriggers()
{
    setEditTriggers(m_editing ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                    QAbstractItemView::AnyKeyPressed
                              : QAbstractItemView::NoEditTriggers);
}

QModelIndex StringGridView::indexOf(int column, int row) const
{
    return m_model ? m_model->index(m_model->modelRow(row), column) : QModelIndex();
}
