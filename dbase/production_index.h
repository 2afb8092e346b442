// The seam through which the index layer attaches a table's production index (the table's name with
// ".mdx"). Without an opener the table opens without its index; reading in file order never needs one.
#pragma once

#include <QString>

class TDbfFile;

class ProductionIndexOpener {
public:
    virtual ~ProductionIndexOpener() = default;
    // Called while the table opens when its header flags a production index and indexPath exists.
    // Returns false when the table is to stay open without it.
    virtual bool openProductionIndex(TDbfFile& table, const QString& indexPath) = 0;
};
