// The one low-level write of the program's file writers (AtomicFile, AppendingFile): every byte handed to a
// descriptor is checked, a short write is carried on and an error answers its errno, so a full disk shows at
// the write that met it. A test seam stands in for a full disk: while a DiskFault is installed, the disk takes
// only spaceLeft more bytes (a write across that limit is cut short, as the kernel does) and then fails with
// its error.
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <cerrno>

// Writes all of bytes to fd; 0, or the errno of the write that failed.
int writeAll(int fd, QByteArrayView bytes);

// A disk that takes spaceLeft more bytes, then fails every write with error; for tests.
struct DiskFault {
    qint64 spaceLeft = 0;
    int error = ENOSPC;
};

// Installs fault for the lifetime of the guard (one at a time, on the thread that writes).
class ScopedDiskFault {
public:
    explicit ScopedDiskFault(DiskFault fault);
    ~ScopedDiskFault();
    Q_DISABLE_COPY_MOVE(ScopedDiskFault)
};
