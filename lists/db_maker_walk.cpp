// Folder walk: see db_maker_walk.h.

#include "lists/db_maker_walk.h"

#include "platform/file_mask.h"

#include <QFile>

#include <sys/stat.h>

#include <algorithm>
#include <vector>

namespace fs = std::filesystem;

bool isExcludedFile(const QString& fileName, WalkExclusion exclusion)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString extension = fileName.mid(dot).toLower();
    if (exclusion == WalkExclusion::TableMode)
        return extension == QLatin1String(".cnd");
    return QStringLiteral(".cnd|.exe|.com|.pdf|.arj|.zip|.lha|").contains(extension);
}

QString displayFileName(const fs::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.filename().native()));
}

FolderWalk::FolderWalk(const QString& folder, const QString& mask, WalkExclusion exclusion)
    : m_mask(mask.trimmed().isEmpty() ? QStringLiteral("*.*") : mask), m_exclusion(exclusion)
{
    QString root = folder;
    while (root.size() > 1 && (root.endsWith(QLatin1Char('/')) || root.endsWith(QLatin1Char('\\'))))
        root.chop(1);
    if (!root.isEmpty())
        m_pendingFolders.emplace_back(QFile::encodeName(root).toStdString());
}

std::optional<fs::path> FolderWalk::nextFile()
{
    while (m_files.empty()) {
        if (m_pendingFolders.empty())
            return std::nullopt;
        const fs::path folder = std::move(m_pendingFolders.front());
        m_pendingFolders.pop_front();
        readFolder(folder);
    }
    fs::path file = std::move(m_files.front());
    m_files.pop_front();
    return file;
}

void FolderWalk::readFolder(const fs::path& folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)
        || !m_seenFolders.insert({info.st_dev, info.st_ino}).second)
        return;
    std::error_code error;
    fs::directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
    if (error)
        return;
    std::vector<fs::directory_entry> listed;
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        if (error)
            break;
        listed.push_back(*entries);
    }
    std::sort(listed.begin(), listed.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    for (const fs::directory_entry& entry : listed) {
        std::error_code kindError;
        if (entry.is_symlink(kindError) && entry.is_directory(kindError))
            continue;   // links to folders are not followed
        if (entry.is_directory(kindError)) {
            m_pendingFolders.push_back(entry.path());
            continue;
        }
        const QString name = displayFileName(entry.path());
        if (matchesFileMask(name, m_mask) && !isExcludedFile(name, m_exclusion))
            m_files.push_back(entry.path());
    }
}
