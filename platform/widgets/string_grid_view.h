// StringGridView: the class library's string grid control, a QTableView over a StringGrid (not owned).
// Row 0 shows as the column header; coordinates in this interface are grid coordinates (the first record
// row is 1), as the class library's Row, Col, TopRow and Selection are. Options as the library's:
// editing, row select, range select. No widget item per cell, so a million rows cost only the grid.
#pragma once

#include "platform/string_grid_model.h"

#include <QTableView>

class GridSizing;

// The class library's TGridRect: columns left..right, rows top..bottom.
struct GridRect {
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;
    bool operator==(const GridRect&) const = default;
};

class StringGridView : public QTableView {
    Q_OBJECT

public:
    explicit StringGridView(QWidget* parent = nullptr);

    // Shows grid; nullptr shows nothing. The view keeps its options.
    void setGrid(StringGrid* grid);
    StringGrid* grid() const;
    StringGridModel* gridModel() const { return m_model; }
    using QTableView::edit;

    void setEditing(bool on);
    bool editing() const { return m_editing; }
    void setRowSelect(bool on);
    void setRangeSelect(bool on);
    // Sizes the form gives in its pixels (platform/widgets/form_units.h), kept in step with the view's font.
    // Without a row height a row is one line of the font high, as the result grids' rows are.
    void setDefaultColumnWidth(int formPixels);
    void setDefaultRowHeight(int formPixels);
    // Result-list sizing (see grid_sizing.h): fitted columns as wide as their texts, the stretch column
    // taking the rest, rows one line of the font high.
    void setFittedColumns(const QList<int>& fittedColumns, int stretchColumn);
    GridSizing* sizing() const { return m_sizing; }

    // Row and Col: the current cell, -1 when there is none.
    int currentRow() const;
    int currentColumn() const;
    void setCurrentCell(int column, int row);
    // Selection: the rectangle around the selected cells, or the current cell when nothing is selected.
    GridRect gridSelection() const;
    void setGridSelection(const GridRect& rect);
    // TopRow: the first record row in sight (-1 when none); setting scrolls it to the top.
    int topRow() const;
    void setTopRow(int row);

signals:
    void cellSelected(int column, int row);                       // the current cell changed (OnSelectCell)
    void editStarted(int column, int row);                        // a cell opened for editing (OnGetEditText)
    void cellEdited(int column, int row, const QString& text);    // the user changed a cell (OnSetEditText)

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyEditTriggers();
    void applyFormSizes();
    QModelIndex indexOf(int column, int row) const;

    StringGridModel* m_model = nullptr;
    GridSizing* m_sizing = nullptr;
    bool m_editing = false;
    int m_formColumnWidth = 0;   // 0: the header's own default
    int m_formRowHeight = 0;     // 0: one line of the font
};
