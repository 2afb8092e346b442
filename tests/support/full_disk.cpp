// A full tmpfs in a child's private mount namespace: see full_disk.h.

#include "tests/support/full_disk.h"

#include "tests/support/test_home.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvanta::test {
namespace {

constexpr qint64 kPage = 4096;
constexpr char kRefused = 'R';
constexpr char kMounted = 'M';

bool writeText(const char* path, const QByteArray& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    return written;
}

// Root may make a mount namespace directly; anyone else first maps themselves to root of a user namespace.
QByteArray enterPrivateMounts()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    const int flags = uid == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS;
    if (::unshare(flags) != 0)
        return QByteArray("unshare: ") + std::strerror(errno);
    if (uid != 0
        && (!writeText("/proc/self/setgroups", "deny")
            || !writeText("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1")
            || !writeText("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1")))
        return "the user namespace's id maps cannot be written";
    // Private first: a mount made here must never show in the namespace the tests came from.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QByteArray("private mounts: ") + std::strerror(errno);
    return QByteArray();
}

// Fills the file system with one file, then gives freeBytes (whole pages) back.
void fill(const QString& folder, qint64 freeBytes)
{
    const QByteArray path = QFile::encodeName(folder + "/filler");
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const QByteArray block(kPage, 'f');
    qint64 size = 0;
    for (;;) {
        const ssize_t written = ::write(fd, block.constData(), size_t(block.size()));
        if (written <= 0)
            break;
        size += written;
    }
    const qint64 kept = std::max<qint64>(0, size - freeBytes / kPage * kPage);
    if (::ftruncate(fd, kept) != 0)
        std::perror("filler");
    ::close(fd);
}

void send(int fd, char kind, const QByteArray& text)
{
    QByteArray message = kind + text;
    for (qsizetype sent = 0; sent < message.size();) {
        const ssize_t n = ::write(fd, message.constData() + sent, size_t(message.size() - sent));
        if (n <= 0)
            return;
        sent += n;
    }
}

[[noreturn]] void runChild(int out, const QString& folder, const std::function<void(const QString&)>& setUp,
                           const std::function<QByteArray(const QString&)>& body, qint64 freeBytes)
{
    if (const QByteArray refusal = enterPrivateMounts(); !refusal.isEmpty()) {
        send(out, kRefused, refusal);
        ::_exit(0);
    }
    const QByteArray target = QFile::encodeName(folder);
    if (::mount("sorvanta-test", target.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k,mode=0700") != 0) {
        send(out, kRefused, QByteArray("mount tmpfs: ") + std::strerror(errno));
        ::_exit(0);
    }
    if (setUp)
        setUp(folder);
    fill(folder, freeBytes);
    send(out, kMounted, body(folder));
    ::_exit(0);
}

QByteArray readAll(int fd)
{
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return bytes;
        bytes.append(buffer, n);
    }
}

}  // namespace

FullDiskRun runOnFullDisk(const std::function<void(const QString& folder)>& setUp,
                          const std::function<QByteArray(const QString& folder)>& body, qint64 freeBytes)
{
    FullDiskRun run;
    const QString folder = testHome() + "disk";
    QDir().mkpath(folder);
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        run.refusal = QStringLiteral("pipe: ") + QString::fromLocal8Bit(std::strerror(errno));
        return run;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        runChild(channel[1], folder, setUp, body, freeBytes);
    }
    ::close(channel[1]);
    const QByteArray message = child > 0 ? readAll(channel[0]) : QByteArray();
    ::close(channel[0]);
    int status = 0;
    if (child > 0)
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    if (child < 0 || message.isEmpty()) {
        run.refusal = QStringLiteral("the child ended without a word (status %1)").arg(status);
        return run;
    }
    run.mounted = message.front() == kMounted;
    if (run.mounted)
        run.report = message.mid(1);
    else
        run.refusal = QString::fromLocal8Bit(message.mid(1));
    return run;
}

}  // namespace sorvanta::test
