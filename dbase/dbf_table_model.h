// Read-only table model over an open TDbf for the import wizard's preview grid: one column per field
// (the field name as its title), rows fetched in file order in batches as the view scrolls, so a large
// table is not read whole. Reading moves the data set's cursor; the wizard reopens it before importing.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

class TDbf;

class DbfTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int BatchSize = 256;

    explicit DbfTableModel(QObject* parent = nullptr);
    // Shows the data set from its first record; nullptr or a closed data set shows nothing.
    void setDataSet(TDbf* dataSet);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    // Why reading stopped early (the file could not be read), or empty.
    const QString& readError() const { return m_readError; }

private:
    TDbf* m_dataSet = nullptr;
    QStringList m_titles;
    QList<QStringList> m_rows;
    QString m_readError;
};
