// The checked write and its full-disk seam: see disk_write.h.

#include "platform/disk_write.h"

#include <optional>
#include <unistd.h>

namespace {

std::optional<DiskFault>& installedFault()
{
    static std::optional<DiskFault> fault;
    return fault;
}

// How much of size the disk takes now: all of it, or what the installed fault leaves (0: the write fails).
qsizetype roomFor(qsizetype size)
{
    const std::optional<DiskFault>& fault = installedFault();
    return fault ? qsizetype(std::min<qint64>(size, fault->spaceLeft)) : size;
}

}  // namespace

int writeAll(int fd, QByteArrayView bytes)
{
    const char* next = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const qsizetype room = roomFor(left);
        if (room == 0)
            return installedFault()->error;
        const ssize_t written = ::write(fd, next, size_t(room));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;   // a regular file never takes nothing without saying why
        if (installedFault())
            installedFault()->spaceLeft -= written;
        next += written;
        left -= written;
    }
    return 0;
}

ScopedDiskFault::ScopedDiskFault(DiskFault fault)
{
    installedFault() = fault;
}

ScopedDiskFault::~ScopedDiskFault()
{
    installedFault().reset();
}
