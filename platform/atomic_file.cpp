// AtomicFile and the whole-file writes built on it: see atomic_file.h.

#include "platform/atomic_file.h"

#include "platform/disk_write.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String kTemporaryMark(".sorvanta-tmp-");
constexpr int kSuffixLength = 6;
constexpr int kNameMax = 255;   // bytes of one name on Linux file systems
constexpr int kCreateAttempts = 100;
constexpr qint64 kCopyBlock = 1024 * 1024;

bool& namedTemporariesOnly()
{
    static bool namedOnly = false;
    return namedOnly;
}

// What O_TMPFILE answers where the file system (or an old kernel) has no unnamed temporaries.
bool unnamedTemporariesUnsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// A regular file is replaced; so is a folder's name, which the rename then refuses with its own reason. A
// device, a named pipe or a socket is not: a save to one would put a regular file in its place.
bool replaceable(const struct stat& existing)
{
    return S_ISREG(existing.st_mode) || S_ISDIR(existing.st_mode);
}

// Gives the open file of fd the name path: through /proc, or where /proc is missing, the descriptor itself.
int linkDescriptor(int fd, const QByteArray& path)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return errno;
    return ::linkat(fd, "", AT_FDCWD, path.constData(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

mode_t modeOf(QFileDevice::Permissions permissions)
{
    const std::pair<QFileDevice::Permission, mode_t> bits[] = {
        {QFileDevice::ReadOwner, S_IRUSR}, {QFileDevice::WriteOwner, S_IWUSR}, {QFileDevice::ExeOwner, S_IXUSR},
        {QFileDevice::ReadGroup, S_IRGRP}, {QFileDevice::WriteGroup, S_IWGRP}, {QFileDevice::ExeGroup, S_IXGRP},
        {QFileDevice::ReadOther, S_IROTH}, {QFileDevice::WriteOther, S_IWOTH}, {QFileDevice::ExeOther, S_IXOTH},
    };
    mode_t mode = 0;
    for (const auto& [permission, bit] : bits)
        if (permissions.testFlag(permission))
            mode |= bit;
    return mode;
}

// A link is kept as a link: the file it names is the one replaced.
QString replacedFile(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.isSymLink())
        return fileName;
    return info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
}

QString randomSuffix()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < kSuffixLength; ++i)
        suffix += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
    return suffix;
}

// "." + name + mark + suffix, with name cut (at whole characters) so that the whole fits one file name.
QString temporaryName(QString name)
{
    const QString tail = kTemporaryMark + randomSuffix();
    while (!name.isEmpty() && encoded(QLatin1Char('.') + name + tail).size() > kNameMax)
        name.chop(name.size() >= 2 && name.back().isLowSurrogate() ? 2 : 1);
    return QLatin1Char('.') + name + tail;
}

// The descriptor still names the file at path: a sweep of another instance did not take it away meanwhile.
bool stillNamedBy(int fd, const QString& path)
{
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(encoded(path).constData(), &named) == 0
           && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Makes the rename itself durable; a folder that cannot be synced (some file systems refuse) changes nothing.
void syncFolder(const QString& folder)
{
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

AtomicFile::AtomicFile(const QString& fileName, QFileDevice::Permissions permissions)
    : m_fileName(fileName), m_permissions(permissions)
{
}

AtomicFile::~AtomicFile()
{
    removeTemporary();
}

bool AtomicFile::open(OpenMode mode)
{
    if (isOpen() || (mode & ~(WriteOnly | Unbuffered | Truncate)) != 0 || !(mode & WriteOnly)) {
        setErrorString(QStringLiteral("the file can only be opened once, for writing"));
        return false;
    }
    m_reason.clear();
    m_target = replacedFile(m_fileName);
    struct stat existing {};
    const bool exists = ::stat(encoded(m_target).constData(), &existing) == 0;
    if (exists && !replaceable(existing)) {
        setErrorString(QStringLiteral("not a regular file (a device, a named pipe or a socket): it is left as it is"));
        return false;
    }
    // The temporary is owner-only until it is whole; only a file with its own or given permissions needs them set.
    mode_t createMode = S_IRUSR | S_IWUSR;
    if (m_permissions)
        m_finalMode = modeOf(m_permissions);
    else if (exists)
        m_finalMode = existing.st_mode & 07777;
    else
        createMode = 0666;   // what a new file gets, less the umask
    if (!createTemporary(QFileInfo(m_target).absolutePath(), createMode))
        return false;
    return QIODevice::open(WriteOnly | Unbuffered);
}

bool AtomicFile::createTemporary(const QString& folder, mode_t mode)
{
    if (!namedTemporariesOnly()) {
        const int fd = ::open(encoded(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_fd = fd;
            return true;
        }
        if (!unnamedTemporariesUnsupported(errno)) {
            setErrorString(qt_error_string(errno));
            return false;
        }
    }
    return createNamedTemporary(folder, mode);
}

bool AtomicFile::createNamedTemporary(const QString& folder, mode_t mode)
{
    const QString name = QFileInfo(m_target).fileName();
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const QString path = folder + QLatin1Char('/') + temporaryName(name);
        const int fd = ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            const int error = errno;
            setErrorString(qt_error_string(error));
            return false;
        }
        // The lock tells a start-up sweep (of another instance) that this temporary is in use.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamedBy(fd, path)) {
            m_fd = fd;
            m_temporary = path;
            return true;
        }
        ::close(fd);
    }
    setErrorString(QStringLiteral("no temporary file could be made beside the file"));
    return false;
}

qint64 AtomicFile::writeData(const char* data, qint64 size)
{
    if (m_fd < 0)
        return -1;   // an earlier write failed: so does every later one, and commit()
    if (const int error = writeAll(m_fd, QByteArrayView(data, size))) {
        fail(error);
        return -1;
    }
    return size;
}

bool AtomicFile::commit()
{
    if (!isOpen())
        return false;
    bool replaced = false;
    if (m_fd >= 0) {   // else an earlier write failed and took the temporary away
        if (const int error = replaceTarget())
            fail(error);
        else
            replaced = true;
    }
    QIODevice::close();
    if (!replaced)
        setErrorString(m_reason);   // closing must not lose why
    return replaced;
}

int AtomicFile::replaceTarget()
{
    if (m_finalMode && ::fchmod(m_fd, *m_finalMode) != 0)
        return errno;
    if (::fsync(m_fd) != 0)
        return errno;
    const QString folder = QFileInfo(m_target).absolutePath();
    if (m_temporary.isEmpty())
        if (const int error = nameTemporary(folder))
            return error;
    // Renamed while still open and locked, so that no sweep can take it between the sync and the rename.
    if (::rename(encoded(m_temporary).constData(), encoded(m_target).constData()) != 0)
        return errno;
    m_temporary.clear();
    ::close(m_fd);   // synced already: nothing is left for the close to report
    m_fd = -1;
    syncFolder(folder);
    return 0;
}

int AtomicFile::nameTemporary(const QString& folder)
{
    // Locked before it has a name, so that no sweep can take it between the link and the rename.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0)
        return errno;
    const QString name = QFileInfo(m_target).fileName();
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const QString path = folder + QLatin1Char('/') + temporaryName(name);
        const int error = linkDescriptor(m_fd, encoded(path));
        if (error == 0) {
            m_temporary = path;
            return 0;
        }
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

void AtomicFile::cancelWriting()
{
    removeTemporary();
    if (isOpen())
        QIODevice::close();
}

void AtomicFile::fail(int error)
{
    m_reason = qt_error_string(error);
    setErrorString(m_reason);
    removeTemporary();
}

void AtomicFile::removeTemporary()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(encoded(m_temporary).constData());
        m_temporary.clear();
    }
}

bool isAtomicFileTemporaryName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.sorvanta-tmp-[A-Za-z0-9]{%1}$")
                                                .arg(kSuffixLength),
                                            QRegularExpression::DotMatchesEverythingOption);
    return pattern.match(name).hasMatch();
}

ScopedNamedTemporaries::ScopedNamedTemporaries()
{
    namedTemporariesOnly() = true;
}

ScopedNamedTemporaries::~ScopedNamedTemporaries()
{
    namedTemporariesOnly() = false;
}

bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error,
                         QFileDevice::Permissions permissions)
{
    AtomicFile file(path, permissions);
    const bool written = file.open() && file.write(bytes.data(), bytes.size()) == bytes.size() && file.commit();
    if (!written && error)
        *error = file.errorString();
    return written;
}

bool copyFileAtomically(const QString& source, const QString& target, QString* error,
                        QFileDevice::Permissions permissions)
{
    QFile input(source);
    AtomicFile output(target, permissions);
    bool copied = input.open(QIODevice::ReadOnly) && output.open();
    while (copied && !input.atEnd()) {
        const QByteArray block = input.read(kCopyBlock);
        copied = input.error() == QFileDevice::NoError && output.write(block) == block.size();
    }
    copied = copied && output.commit();
    if (!copied && error)
        *error = input.error() != QFileDevice::NoError ? input.errorString() : output.errorString();
    return copied;
}
