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

// Sub-folders (every one) then the files matching mask, each group by name.
std::vector<FolderEntry> folderEntries(const QString& folder, const QString& mask);
// The numbers of files and folders paths hold (a folder's contents counted, links not followed).
void countEntries(const QStringList& paths, int& files, int& folders);
// Removes paths; answers false with *error on the first failure.
bool removeEntries(const QStringList& paths, QString* error);
