// FolderEntryItem: one entry of the save dialog's file list. Sorting by any column keeps the folders before
// the files in either direction, and orders by the entry's values (folder_listing.h), not by the texts shown,
// so sizes and dates sort as numbers and moments.
#pragma once

#include "lists/folder_listing.h"

#include <QTreeWidgetItem>

class FolderEntryItem : public QTreeWidgetItem {
public:
    FolderEntryItem(QTreeWidget* view, const FolderEntry& entry);

    const FolderEntry& entry() const { return m_entry; }
    bool operator<(const QTreeWidgetItem& other) const override;

private:
    FolderEntry m_entry;
};
