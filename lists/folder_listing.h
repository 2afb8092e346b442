// The save dialog's file browser without its window: a folder's entries that match a file mask (sub-folders
// first, "." and ".." left out, links to folders listed but never entered while deleting), and removing
// entries, folders with their contents, without following links.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

struct FolderEntry {
    QString name;
    bool folder = false;
    qint64 size = 0;
    QDateTime modified;
};

// The file list's columns, in order.
enum class FolderEntryColumn { Name, Size, Date, Time };

// Whether a comes before b in ascending order of column: names without regard to case (then with it, so no two
// names tie), size by value, date by the moment modified, time by the time of day; equal values by name.
// Folders, which have no size or date, go by name in every column; that folders come first is the caller's.
bool folderEntryLess(const FolderEntry& a, const FolderEntry& b, FolderEntryColumn column);

// Sub-folders (every one) then the files matching mask, each group by name.
std::vector<FolderEntry> folderEntries(const QString& folder, const QString& mask);
// The numbers of files and folders paths hold (a folder's contents counted, links not followed).
void countEntries(const QStringList& paths, int& files, int& folders);
// Removes paths; answers false with *error on the first failure.
bool removeEntries(const QStringList& paths, QString* error);
