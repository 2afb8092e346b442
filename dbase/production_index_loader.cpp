// Production index loading: see production_index_loader.h.

#include "dbase/production_index_loader.h"

#include <QDir>

bool ProductionIndexLoader::openProductionIndex(TDbfFile& table, const QString& indexPath)
{
    close();
    auto index = std::make_unique<TIndexFile>();
    if (!index->Open(indexPath, table)) {
        m_error = QStringLiteral("Index \"%1\" is not used: %2.")
                      .arg(QDir::toNativeSeparators(indexPath), index->errorString());
        return false;
    }
    m_index = std::move(index);
    return true;
}

void ProductionIndexLoader::close()
{
    m_index.reset();
    m_error.clear();
}
