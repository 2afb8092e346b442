// ProductionIndexLoader: opens a table's production index through TIndexFile when the table opens. A file
// that fails its checks is left out of use with a reason the caller can show or log; the table opens and
// reads in full either way.
#pragma once

#include "dbase/index_file.h"
#include "dbase/production_index.h"

#include <memory>

class ProductionIndexLoader : public ProductionIndexOpener {
public:
    bool openProductionIndex(TDbfFile& table, const QString& indexPath) override;
    // The open index, null when none is in use.
    const TIndexFile* index() const { return m_index.get(); }
    // Why the last index found was left out of use; empty when it opened.
    const QString& errorString() const { return m_error; }
    void close();

private:
    std::unique_ptr<TIndexFile> m_index;
    QString m_error;
};
