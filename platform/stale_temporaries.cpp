// Removing stale temporaries of the file writer: see stale_temporaries.h.

#include "platform/stale_temporaries.h"

#include "platform/atomic_file.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Only a temporary that nobody writes: its writer keeps it locked until it is renamed or removed.
bool removeIfStale(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened {}, named {};
    const bool stale = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid()
                       && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(name.constData(), &named) == 0
                       && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
    const bool removed = stale && ::unlink(name.constData()) == 0;
    ::close(fd);
    return removed;
}

}  // namespace

QStringList removeStaleTemporaries(const QString& folder)
{
    QStringList removed;
    if (folder.isEmpty())
        return removed;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (isAtomicFileTemporaryName(name) && removeIfStale(dir.filePath(name)))
            removed.append(name);
    }
    return removed;
}
