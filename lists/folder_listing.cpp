// The file browser's folder work: see folder_listing.h.

#include "lists/folder_listing.h"

#include "platform/file_mask.h"

#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool nameLess(const FolderEntry& a, const FolderEntry& b)
{
    const int order = a.name.compare(b.name, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a.name < b.name;
}

// The value column orders by, when the entry has one there.
template <typename Value>
bool valueLess(const FolderEntry& a, const FolderEntry& b, const Value& valueOf)
{
    const auto valueA = valueOf(a);
    const auto valueB = valueOf(b);
    if (valueA != valueB)
        return valueA < valueB;
    return nameLess(a, b);
}

}  // namespace

bool folderEntryLess(const FolderEntry& a, const FolderEntry& b, FolderEntryColumn column)
{
    if (a.folder || b.folder)
        return nameLess(a, b);
    switch (column) {
    case FolderEntryColumn::Name:
        return nameLess(a, b);
    case FolderEntryColumn::Size:
        return valueLess(a, b, [](const FolderEntry& e) { return e.size; });
    case FolderEntryColumn::Date:
        return valueLess(a, b, [](const FolderEntry& e) { return e.modified.toMSecsSinceEpoch(); });
    case FolderEntryColumn::Time:
        return valueLess(a, b, [](const FolderEntry& e) { return e.modified.time().msecsSinceStartOfDay(); });
    }
    Q_UNREACHABLE();
}

std::vector<FolderEntry> folderEntries(const QString& folder, const QString& mask)
{
    std::vector<FolderEntry> folders, files;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(folder.toStdString()), error), end; !error && it != end;
         it.increment(error)) {
        const QString name = QString::fromStdString(it->path().filename().string());
        std::error_code ignored;
        if (it->is_directory(ignored)) {
            folders.push_back({name, true, 0, {}});
        } else if (matchesFileMask(name, mask)) {
            const QFileInfo info(folder + u'/' + name);
            files.push_back({name, false, info.isFile() ? info.size() : 0, info.lastModified()});
        }
    }
    std::sort(folders.begin(), folders.end(), nameLess);
    std::sort(files.begin(), files.end(), nameLess);
    folders.insert(folders.end(), files.begin(), files.end());
    return folders;
}

void countEntries(const QStringList& paths, int& files, int& folders)
{
    files = folders = 0;
    for (const QString& path : paths) {
        std::error_code error;
        const fs::path entry(path.toStdString());
        if (!fs::is_directory(fs::symlink_status(entry, error))) {
            ++files;
            continue;
        }
        ++folders;
        for (fs::recursive_directory_iterator it(entry, error), end; !error && it != end; it.increment(error)) {
            std::error_code ignored;
            ++(fs::is_directory(it->symlink_status(ignored)) ? folders : files);
        }
    }
}

bool removeEntries(const QStringList& paths, QString* error)
{
    for (const QString& path : paths) {
        std::error_code failure;
        fs::remove_all(fs::path(path.toStdString()), failure);   // removes a link itself, never its target
        if (failure) {
            if (error)
                *error = path + QStringLiteral(" : ") + QString::fromStdString(failure.message());
            return false;
        }
    }
    return true;
}
