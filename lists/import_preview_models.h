// The import wizard's previews as table models over the text's lines, so a file of a million lines makes
// no item per line or per character: the numbered lines, the delimited fields (cut when a row is shown) and
// the fixed-width ruler (one column per text column, row 0 the ruler). A shown cell is cut to
// PreviewCellLimit characters, so a long line never stalls the drawing.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

inline constexpr int PreviewCellLimit = 1000;

// sg1: column 0 the 1-based line number, column 1 the line.
class TextLinesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setLines(const QStringList& lines);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QStringList m_lines;
};

// sgRzd: one row per non-empty line from the start row on, as many columns as the most fields of a line.
class DelimitedPreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setSource(const QStringList& lines, int startRow, const QString& delimiters, bool consecutiveAsOne);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const QStringList& fieldsOfRow(int row) const;

    QStringList m_lines;
    std::vector<int> m_rowLines;   // the line shown in each row
    QString m_delimiters;
    bool m_consecutiveAsOne = false;
    int m_columnCount = 0;
    mutable int m_cachedRow = -1;
    mutable QStringList m_cachedFields;
};

// sgFix: row 0 the ruler (the column number above every tenth column), then one row per line with one
// character a cell. BreakRole tells whether a break follows the column.
class FixedWidthModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int BreakRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;
    void setSource(const QStringList& lines, int width, const QString& mask);
    void setMask(const QString& mask);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QStringList m_lines;
    int m_width = 0;
    QString m_mask;
};
