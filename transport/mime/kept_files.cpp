// Files kept in their wire form: see kept_files.h.

#include "transport/mime/kept_files.h"

#include <QFile>

#include <sys/stat.h>

namespace {

qsizetype wireBytes(const ComposedFile& file)
{
    qsizetype bytes = 0;
    for (const ComposedBlock& block : file.blocks)
        bytes += block.wire.size();
    return bytes;
}

}  // namespace

FileKey FileKey::of(const QString& path, int coding)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    return {path, coding, qint64(info.st_size), qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool FileKey::worthKeeping() const
{
    return isValid() && size <= KeptFiles::kMaxBytes / 2;     // base64 or quoted-printable grow it below twice
}

std::shared_ptr<const ComposedFile> KeptFiles::find(const FileKey& key) const
{
    if (!key.isValid())
        return nullptr;
    for (const Kept& kept : m_files) {
        if (kept.key == key)
            return kept.file;
    }
    return nullptr;
}

void KeptFiles::keep(const FileKey& key, ComposedFile file)
{
    const qsizetype bytes = wireBytes(file);
    if (!key.isValid() || bytes > kMaxBytes)
        return;
    m_files.removeIf([&](const Kept& kept) { return kept.key.path == key.path && kept.key.coding == key.coding; });
    m_bytes = 0;
    for (const Kept& kept : m_files)
        m_bytes += kept.bytes;
    while (!m_files.isEmpty() && m_bytes + bytes > kMaxBytes) {
        m_bytes -= m_files.first().bytes;
        m_files.removeFirst();
    }
    m_files.append({key, std::make_shared<const ComposedFile>(std::move(file)), bytes});
    m_bytes += bytes;
}
