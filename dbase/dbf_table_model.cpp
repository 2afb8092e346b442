// Preview model over a data set: see dbf_table_model.h.

#include "dbase/dbf_table_model.h"

#include "dbase/dbf.h"
#include "dbase/dbf_error.h"

DbfTableModel::DbfTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void DbfTableModel::setDataSet(TDbf* dataSet)
{
    beginResetModel();
    m_dataSet = dataSet && dataSet->Active() ? dataSet : nullptr;
    m_titles.clear();
    m_rows.clear();
    m_readError.clear();
    if (m_dataSet) {
        for (int i = 0; i < m_dataSet->FieldCount(); ++i)
            m_titles.append(m_dataSet->Fields(i).FieldName());
        try {
            m_dataSet->First();
        } catch (const EDbfError& failure) {
            m_readError = failure.message();
        }
    }
    endResetModel();
    if (canFetchMore({}))
        fetchMore({});
}

int DbfTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DbfTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_titles.size());
}

QVariant DbfTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size()
        || index.column() >= m_titles.size())
        return {};
    return m_rows[index.row()][index.column()];
}

QVariant DbfTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_titles.size() ? QVariant(m_titles[section]) : QVariant();
    return section + 1;
}

bool DbfTableModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_readError.isEmpty() && m_dataSet && m_dataSet->Active() && !m_dataSet->Eof();
}

void DbfTableModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    QList<QStringList> batch;
    try {
        while (batch.size() < BatchSize && !m_dataSet->Eof()) {
            QStringList row;
            for (int i = 0; i < m_dataSet->FieldCount(); ++i)
                row.append(m_dataSet->Fields(i).AsString());
            batch.append(row);
            m_dataSet->Next();
        }
    } catch (const EDbfError& failure) {
        m_readError = failure.message();   // the rows read so far stay; nothing more is fetched
    }
    if (batch.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + batch.size() - 1));
    m_rows.append(batch);
    endInsertRows();
}
