// FolderEntryItem: see folder_entry_item.h.

#include "lists/folder_entry_item.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

FolderEntryItem::FolderEntryItem(QTreeWidget* view, const FolderEntry& entry)
    : QTreeWidgetItem(view), m_entry(entry)
{
    setText(0, entry.name);
    setIcon(0, QApplication::style()->standardIcon(entry.folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
    if (!entry.folder) {
        setText(1, QString::number(entry.size));
        setText(2, entry.modified.toString(QStringLiteral("dd/MM/yyyy")));
        setText(3, entry.modified.toString(QStringLiteral("hh:mm")));
    }
}

bool FolderEntryItem::operator<(const QTreeWidgetItem& other) const
{
    const auto* entryItem = dynamic_cast<const FolderEntryItem*>(&other);
    const QTreeWidget* view = treeWidget();
    if (!entryItem || !view)
        return QTreeWidgetItem::operator<(other);
    const FolderEntry& that = entryItem->m_entry;
    if (m_entry.folder != that.folder) {
        // Descending order puts the greater first, so a folder must then count as the greater.
        const bool descending = view->header()->sortIndicatorOrder() == Qt::DescendingOrder;
        return m_entry.folder != descending;
    }
    return folderEntryLess(m_entry, that, FolderEntryColumn(std::clamp(view->sortColumn(), 0, 3)));
}
