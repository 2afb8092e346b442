// StringGridModel: shows a StringGrid in Qt's item views. The first fixed row (row 0, the titles) becomes
// the horizontal header; the grid's other rows are the model's rows, so model row r is grid row r + 1 (or
// r when the grid has no fixed row). Cells of fixed rows and columns are not editable; a cell's tooltip is
// its whole text. The model follows every change of the grid; the grid must outlive the model or tell it
// (StringGridObserver::gridDestroyed).
#pragma once

#include "platform/string_grid.h"

#include <QAbstractTableModel>

class StringGridModel : public QAbstractTableModel, private StringGridObserver {
    Q_OBJECT

public:
    // Beside the cell text: the row's status and the cell's object, for delegates that draw them.
    enum Role { RowStatusRole = Qt::UserRole + 1, ObjectRole };

    explicit StringGridModel(StringGrid* grid, QObject* parent = nullptr);
    ~StringGridModel() override;

    StringGrid* grid() const { return m_grid; }
    // Grid rows shown as the header: 1 when the grid has a fixed row, else 0.
    int headerRows() const;
    int gridRow(int modelRow) const { return modelRow + headerRows(); }
    int modelRow(int gridRow) const { return gridRow - headerRows(); }

    void setEditable(bool editable) { m_editable = editable; }
    bool isEditable() const { return m_editable; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // The user changed a cell (OnSetEditText), in grid coordinates.
    void cellEdited(int column, int row, const QString& text);

private:
    void gridAboutToReset() override;
    void gridReset() override;
    void rowsAboutToInsert(int first, int last) override;
    void rowsInserted() override;
    void rowsAboutToRemove(int first, int last) override;
    void rowsRemoved() override;
    void rowAboutToMove(int from, int to) override;
    void rowMoved() override;
    void columnsAboutToChange(int oldCount, int newCount) override;
    void columnsChanged(int oldCount, int newCount) override;
    void cellsChanged(int firstColumn, int firstRow, int lastColumn, int lastRow) override;
    void gridDestroyed() override;

    StringGrid* m_grid;
    bool m_editable = false;
    bool m_resetInstead = false;     // the row change under way is told as a reset
    bool m_insertingColumns = false;
};
