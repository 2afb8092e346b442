// The import wizard's previews as table models over the file's text, so a file of a million lines makes no
// item per line or per character, and only the lines a view shows are decoded: the numbered lines, the
// delimited records (read a batch at a time as the view scrolls, with the cells the import writes) and the
// fixed-width ruler (one column per text column, row 0 the ruler). A shown cell is cut to PreviewCellLimit
// characters, so a long line never stalls the drawing. Each model keeps the text it shows alive.
#pragma once

#include "lists/delimited_records.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

class ImportText;

inline constexpr int PreviewCellLimit = 1000;

// sg1: column 0 the 1-based line number, column 1 the line.
class TextLinesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setText(std::shared_ptr<const ImportText> text);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const ImportText> m_text;
};

// sgRzd: one row per record from the start row on (empty lines left out), as many columns as the most cells
// of a record read so far; each cell as the import writes it into a list of listDelimiter.
class DelimitedPreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int FetchRecords = 256;

    using QAbstractTableModel::QAbstractTableModel;
    void setSource(std::shared_ptr<const ImportText> text, int startRow, const QString& delimiters,
                   bool consecutiveAsOne, const QString& listDelimiter);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    const QStringList& cellsOfRow(int row) const;

    std::shared_ptr<const ImportText> m_text;
    std::unique_ptr<DelimitedRecordReader> m_reader;
    QByteArray m_listDelimiter;
    std::vector<int> m_recordLines;   // the first line of each row's record
    int m_nextLine = 0;               // where the next fetch reads on
    int m_columnCount = 0;
    mutable std::array<std::pair<int, QStringList>, 64> m_cache{};
};

// sgFix: row 0 the ruler (the column number above every tenth column), then one row per line with one
// character a cell. BreakRole tells whether a break follows the column.
class FixedWidthModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int BreakRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;
    void setSource(std::shared_ptr<const ImportText> text, int width, const QString& mask);
    void setMask(const QString& mask);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const ImportText> m_text;
    int m_width = 0;
    QString m_mask;
};
