// GridSizing: see grid_sizing.h.

#include "platform/widgets/grid_sizing.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

GridSizing::GridSizing(QTableView* view, const QList<int>& fittedColumns, int stretchColumn)
    : QObject(view),
      m_view(view),
      m_fitted(fittedColumns),
      m_stretch(stretchColumn)
{
    m_view->setWordWrap(false);
    m_view->installEventFilter(this);
    m_view->horizontalHeader()->viewport()->installEventFilter(this);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column) { sectionResized(column); });
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &GridSizing::scheduleFit);
    applyLineHeight();
    watchModel();
}

void GridSizing::watchModel()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_modelConnections))
        disconnect(connection);
    m_modelConnections.clear();
    m_widths.clear();
    if (QAbstractItemModel* model = m_view->model()) {
        const auto restart = [this] {
            m_widths.clear();
            scheduleFit();
        };
        m_modelConnections = {
            connect(model, &QAbstractItemModel::modelReset, this, restart),
            connect(model, &QAbstractItemModel::layoutChanged, this, &GridSizing::scheduleFit),
            connect(model, &QAbstractItemModel::rowsInserted, this, &GridSizing::scheduleFit),
            connect(model, &QAbstractItemModel::columnsInserted, this, restart),
            connect(model, &QAbstractItemModel::headerDataChanged, this, &GridSizing::scheduleFit),
            connect(model, &QAbstractItemModel::dataChanged, this, &GridSizing::scheduleFit),
        };
    }
    scheduleFit();
}

int GridSizing::sampledWidth(int column) const
{
    int width = m_view->horizontalHeader()->sectionSizeHint(column);
    const QAbstractItemModel* model = m_view->model();
    if (!model)
        return width;
    for (int row : sampledRows())
        width = std::max(width, m_view->sizeHintForIndex(model->index(row, column)).width());
    return m_view->showGrid() ? width + 1 : width;
}

int GridSizing::lineHeight() const
{
    return lineHeight(m_view->fontMetrics());
}

int GridSizing::lineHeight(const QFontMetrics& metrics)
{
    return metrics.height() + 2;
}

bool GridSizing::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view) {
        if (event->type() == QEvent::FontChange) {
            applyLineHeight();
            m_widths.clear();
            scheduleFit();
        } else if (event->type() == QEvent::Show || event->type() == QEvent::Resize) {
            scheduleFit();   // the rows in sight are known now
        }
    } else if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        m_userResizing = true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        m_userResizing = false;
    }
    return QObject::eventFilter(watched, event);
}

// Coalesces the many changes of a fill or a run into one fit when the event loop is next free.
void GridSizing::scheduleFit()
{
    if (m_fitPending)
        return;
    m_fitPending = true;
    QMetaObject::invokeMethod(this, &GridSizing::fitColumns, Qt::QueuedConnection);
}

// Widths only grow until the model is reset, so that scrolling past a long text does not make columns jump.
void GridSizing::fitColumns()
{
    m_fitPending = false;
    QHeaderView* header = m_view->horizontalHeader();
    const int columns = m_view->model() ? m_view->model()->columnCount() : 0;
    // Set again each time: a reset of the model gives the header fresh sections.
    if (m_stretch >= 0 && m_stretch < columns && header->sectionResizeMode(m_stretch) != QHeaderView::Stretch)
        header->setSectionResizeMode(m_stretch, QHeaderView::Stretch);
    m_fitting = true;
    for (int column : fittedColumns()) {
        if (column >= columns || m_userSized.contains(column))
            continue;
        int& width = m_widths[column];
        width = std::max(width, sampledWidth(column));
        if (header->sectionSize(column) != width)
            header->resizeSection(column, width);
    }
    m_fitting = false;
}

void GridSizing::applyLineHeight()
{
    QHeaderView* rows = m_view->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(std::min(lineHeight(), rows->minimumSectionSize()));
    rows->setDefaultSectionSize(lineHeight());
}

// The first rows and those in sight, each once, in order.
QList<int> GridSizing::sampledRows() const
{
    const int count = m_view->model() ? m_view->model()->rowCount() : 0;
    QList<int> rows;
    for (int row = 0; row < std::min(count, sampleRows); ++row)
        rows << row;
    if (!m_view->isVisible() || count <= sampleRows)
        return rows;
    const int top = std::max(m_view->rowAt(0), sampleRows);
    int bottom = m_view->rowAt(m_view->viewport()->height() - 1);
    if (bottom < 0)
        bottom = count - 1;
    for (int row = top; row <= std::min(bottom, top + sampleRows); ++row)
        rows << row;
    return rows;
}

QList<int> GridSizing::fittedColumns() const
{
    if (m_fitted != QList<int>{everyColumn})
        return m_fitted;
    QList<int> every;
    for (int column = 0; column < (m_view->model() ? m_view->model()->columnCount() : 0); ++column)
        every << column;
    return every;
}

void GridSizing::sectionResized(int column)
{
    if (!m_fitting && m_userResizing && column != m_stretch && !m_userSized.contains(column))
        m_userSized << column;
}
