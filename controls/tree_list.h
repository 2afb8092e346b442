// TTreeList: a tree view whose node texts hold their column parts joined by Separator, shown in the columns of
// its header (header text and width per column). Rows are read-only and selected whole; each node carries a
// data value. With ColumnLines, silver lines part the columns and cells keep a margin of 4 pixels (else 2).
// The header is the tree's own, so it follows the tree's bounds and visibility. Column images, alignment,
// header resizing and header events are not part of this control.
#pragma once

#include <QList>
#include <QString>
#include <QTreeWidget>
#include <QVariant>

struct TColumnItem {
    QString Header;
    int Width = 50;
};

class TTreeList : public QTreeWidget {
    Q_OBJECT

public:
    explicit TTreeList(QWidget* parent = nullptr);

    const QList<TColumnItem>& Columns() const { return m_columns; }
    void setColumns(const QList<TColumnItem>& columns);
    const QString& Separator() const { return m_separator; }
    void setSeparator(const QString& separator);
    bool ColumnLines() const { return m_columnLines; }
    void setColumnLines(bool on);
    int cellMargin() const { return m_columnLines ? 4 : 2; }

    // A top-level node of text (parts joined by Separator) carrying data.
    QTreeWidgetItem* addNode(const QString& text, const QVariant& data);
    static QVariant nodeData(const QTreeWidgetItem* node);
    // The x positions of the column lines drawn now; none without ColumnLines.
    QList<int> columnLineXs() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyColumns();
    void resplitNodes();

    QList<TColumnItem> m_columns;
    QString m_separator = QStringLiteral(";");
    bool m_columnLines = true;
};
