// The breadth-first folder walk of DB Maker: the files of a folder (in name order) before those of its
// sub-folders. Each sub-folder is queued once, whatever the mask; links to folders are not followed and a
// folder reached twice (a bind mount) is skipped; folders that cannot be read are passed over.
#pragma once

#include <QString>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <utility>

// Field mode skips files whose lower-cased extension occurs in ".cnd|.exe|.com|.pdf|.arj|.zip|.lha|";
// table and delimited modes skip only ".cnd".
enum class WalkExclusion { FieldMode, TableMode };
bool isExcludedFile(const QString& fileName, WalkExclusion exclusion);

class FolderWalk {
public:
    FolderWalk(const QString& folder, const QString& mask, WalkExclusion exclusion);

    // The next file to process, or nullopt when the walk is over.
    std::optional<std::filesystem::path> nextFile();

private:
    void readFolder(const std::filesystem::path& folder);

    QString m_mask;
    WalkExclusion m_exclusion;
    std::deque<std::filesystem::path> m_pendingFolders;
    std::deque<std::filesystem::path> m_files;   // of the folder read last
    std::set<std::pair<unsigned long long, unsigned long long>> m_seenFolders;   // device, inode
};

// The name shown for a file: its name without the folder.
QString displayFileName(const std::filesystem::path& path);
