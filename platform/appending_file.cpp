// AppendingFile: see appending_file.h.

#include "platform/appending_file.h"

#include "platform/disk_write.h"

#include <QFile>

#include <fcntl.h>
#include <tuple>
#include <unistd.h>

AppendingFile::~AppendingFile()
{
    close();
}

bool AppendingFile::open(const QString& path, bool truncate)
{
    close();
    m_fileName = path;
    m_error.clear();
    const int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | (truncate ? O_TRUNC : 0);
    m_fd = ::open(QFile::encodeName(path).constData(), flags, 0666);
    return m_fd >= 0 || fail(errno);
}

bool AppendingFile::append(QByteArrayView bytes)
{
    if (m_fd < 0) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("the file is not open");
        return false;
    }
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    if (const int error = writeAll(m_fd, bytes)) {
        // Cut off the part that went in; the write's reason is what the user needs, whatever the cut does.
        if (end >= 0)
            std::ignore = ::ftruncate(m_fd, end);
        return fail(error);
    }
    return true;
}

void AppendingFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool AppendingFile::fail(int error)
{
    m_error = qt_error_string(error);
    return false;
}
