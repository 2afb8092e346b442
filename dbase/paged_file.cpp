// TPagedFile over a POSIX file descriptor: see paged_file.h.

#include "dbase/paged_file.h"

#include "dbase/dbf_error.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qint64 ReadAheadLimit = 65536;
}

TPagedFile::~TPagedFile()
{
    close();
}

void TPagedFile::open(const QString& fileName, TPagedFileMode mode)
{
    if (isOpen())
        return;
    if (!QFileInfo(fileName).isFile())
        throw EDbfError(QString::fromLatin1(dbftext::FileNotFound).arg(fileName));
    // Without blocking: a FIFO put in the file's place after the check above must not hang the open.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw EDbfError(QString::fromLatin1(dbftext::CannotReadFile).arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw EDbfError(QString::fromLatin1(dbftext::FileNotFound).arg(fileName));
    }
    m_fd = fd;
    m_fileName = fileName;
    m_mode = mode;
    m_countForSize = -1;
    m_readAheadValid = 0;
    m_fileSize = qint64(info.st_size);
}

void TPagedFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_readAhead.clear();
    m_readAheadValid = 0;
}

qint64 TPagedFile::fileSize()
{
    if (isShared() && isOpen()) {
        struct stat info {};
        if (::fstat(m_fd, &info) == 0)
            m_fileSize = qint64(info.st_size);
    }
    return m_fileSize;
}

qint64 TPagedFile::readBlock(qint64 offset, char* buffer, qint64 length) const
{
    qint64 done = 0;
    while (done < length) {
        const ssize_t got = ::pread(m_fd, buffer + done, size_t(length - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)   // a failing disk or file system: not the end of the file, whose records would look complete
            throw EDbfError(QString::fromLatin1(dbftext::CannotReadFile)
                                .arg(m_fileName, QString::fromLocal8Bit(std::strerror(errno))));
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void TPagedFile::setRecordLayout(qint64 headerSize, qint64 recordSize)
{
    m_headerSize = headerSize;
    m_recordSize = recordSize;
    m_countForSize = -1;
    m_readAheadValid = 0;
    m_readAhead.clear();
    if (recordSize > 0)
        m_readAhead.resize(ReadAheadLimit - ReadAheadLimit % recordSize);
}

qint64 TPagedFile::recordCount()
{
    const qint64 size = fileSize();
    if (size != m_countForSize) {
        m_countForSize = size;
        m_cachedCount = m_recordSize <= 0 ? 0 : std::max<qint64>(0, (size - m_headerSize) / m_recordSize);
        m_readAheadValid = 0;   // the file changed under us
    }
    return m_cachedCount;
}

void TPagedFile::fillReadAhead(qint64 recordNumber)
{
    m_readAheadFirst = recordNumber;
    m_readAheadValid = readBlock(recordOffset(recordNumber), m_readAhead.data(), m_readAhead.size());
}

qint64 TPagedFile::readRecord(qint64 recordNumber, char* buffer)
{
    if (!isOpen() || m_recordSize <= 0 || recordNumber < 1)
        return 0;
    const auto inBuffer = [&] {
        const qint64 start = (recordNumber - m_readAheadFirst) * m_recordSize;
        return recordNumber >= m_readAheadFirst && start + m_recordSize <= m_readAheadValid;
    };
    if (!inBuffer())
        fillReadAhead(recordNumber);
    if (inBuffer()) {
        std::memcpy(buffer, m_readAhead.constData() + (recordNumber - m_readAheadFirst) * m_recordSize,
                    size_t(m_recordSize));
        return m_recordSize;
    }
    // A partial record at the end of the file: read what is there.
    return readBlock(recordOffset(recordNumber), buffer, m_recordSize);
}
