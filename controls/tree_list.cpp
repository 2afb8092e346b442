// The tree list with columns: see tree_list.h.

#include "controls/tree_list.h"

#include "controls/tree_list_layout.h"
#include "platform/widgets/form_units.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr int kTextRole = Qt::UserRole + 1;   // the whole node text, to cut again when the columns change

const QColor kLineColour(192, 192, 192);

// Draws the item's background and selection as the style does, and its text after the tree's cell margin.
class MarginDelegate : public QStyledItemDelegate {
public:
    explicit MarginDelegate(TTreeList* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QStyle* style = item.widget ? item.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
        const int margin = m_tree->cellMargin();
        const QRect textRect = item.rect.adjusted(margin, 0, -margin, 0);
        const bool selected = item.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          item.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
        painter->restore();
    }

private:
    TTreeList* m_tree;
};

}  // namespace

TTreeList::TTreeList(QWidget* parent) : QTreeWidget(parent)
{
    setItemDelegate(new MarginDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    header()->setSectionsMovable(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
    header()->setStretchLastSection(true);
    applyColumns();
}

void TTreeList::setColumns(const QList<TColumnItem>& columns)
{
    m_columns = columns;
    applyColumns();
    resplitNodes();
}

void TTreeList::setSeparator(const QString& separator)
{
    m_separator = separator;
    resplitNodes();
}

void TTreeList::setColumnLines(bool on)
{
    m_columnLines = on;
    viewport()->update();
}

QTreeWidgetItem* TTreeList::addNode(const QString& text, const QVariant& data)
{
    auto* node = new QTreeWidgetItem(this, splitColumnParts(text, m_separator, columnCount()));
    node->setData(0, kDataRole, data);
    node->setData(0, kTextRole, text);
    return node;
}

QVariant TTreeList::nodeData(const QTreeWidgetItem* node)
{
    return node ? node->data(0, kDataRole) : QVariant();
}

QList<int> TTreeList::columnLineXs() const
{
    if (!m_columnLines)
        return {};
    QList<int> widths;
    for (int column = 0; column < columnCount(); ++column)
        widths.append(columnWidth(column));
    return columnLinePositions(widths, horizontalScrollBar()->value());
}

void TTreeList::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    const QList<int> lines = columnLineXs();
    if (lines.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(kLineColour);
    const int bottom = viewport()->height();
    for (const int x : lines)
        painter.drawLine(x, 0, x, bottom);
}

void TTreeList::applyColumns()
{
    const int count = std::max<int>(int(m_columns.size()), 1);
    setColumnCount(count);
    QStringList headers;
    for (const TColumnItem& column : std::as_const(m_columns))
        headers.append(column.Header);
    setHeaderLabels(headers);
    for (int column = 0; column < int(m_columns.size()); ++column)
        setColumnWidth(column, formWidth(m_columns.at(column).Width, fontMetrics()));
}

void TTreeList::resplitNodes()
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* node = topLevelItem(i);
        const QStringList parts =
            splitColumnParts(node->data(0, kTextRole).toString(), m_separator, columnCount());
        for (int column = 0; column < parts.size(); ++column)
            node->setText(column, parts.at(column));
    }
}
