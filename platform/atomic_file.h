// AtomicFile: the one way the program replaces a file whole (settings, reopen list, projects, lists, tool files).
// Bytes go to an unnamed temporary in the same folder (O_TMPFILE: a process killed while writing leaves no name
// behind), each write is checked at once (unbuffered: a full disk shows at the write that met it, never after a
// rename), then the temporary gets the file's permissions, is synced, linked in under a hidden name
// (".<name>.sorvanta-tmp-XXXXXX", locked) and renamed over the file. A file system without unnamed temporaries
// gets that hidden name from the start (owner-only and locked while it is written; the start-up sweep removes
// one a killed process left). On any failure the temporary is removed, the old file keeps its bytes and
// errorString() is the system's reason ("No space left on device"); the caller names the file. A symbolic link
// is kept: its target is replaced. A device, a named pipe or a socket is never replaced: open() refuses it.
#pragma once

#include <QFileDevice>
#include <QIODevice>
#include <QString>

#include <optional>
#include <sys/types.h>

class AtomicFile : public QIODevice {
public:
    // permissions, when given, are the new file's; otherwise an existing file keeps its own and a new one gets
    // the usual ones (0666 less the umask).
    explicit AtomicFile(const QString& fileName, QFileDevice::Permissions permissions = {});
    ~AtomicFile() override;   // without commit(): the temporary goes, the file stays as it was
    Q_DISABLE_COPY_MOVE(AtomicFile)

    const QString& fileName() const { return m_fileName; }

    // Creates the temporary; only QIODevice::WriteOnly is taken.
    bool open(OpenMode mode = WriteOnly) override;
    // Replaces the file with what was written. False, with the old file kept, when any write failed or a step
    // of the replacement fails.
    bool commit();
    // Drops what was written; also what close() does.
    void cancelWriting();
    void close() override { cancelWriting(); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool createTemporary(const QString& folder, mode_t mode);
    bool createNamedTemporary(const QString& folder, mode_t mode);
    int nameTemporary(const QString& folder);   // links an unnamed temporary in: 0 or the errno
    int replaceTarget();    // permissions, sync, rename: 0 or the errno of the step that failed
    void fail(int error);   // keeps the reason, removes the temporary
    void removeTemporary();

    QString m_fileName;
    QString m_target;          // the file really replaced: m_fileName, or the target of its link
    QString m_temporary;       // the temporary's name; empty while it has none
    QFileDevice::Permissions m_permissions;
    std::optional<mode_t> m_finalMode;   // set on the temporary before the rename
    QString m_reason;
    int m_fd = -1;
};

// The temporaries AtomicFile makes are named so: "." + the file's name (cut to fit) + ".sorvanta-tmp-" + six
// letters or digits.
bool isAtomicFileTemporaryName(const QString& name);

// For tests: while one lives, the writer makes named temporaries, as on a file system without unnamed ones.
class ScopedNamedTemporaries {
public:
    ScopedNamedTemporaries();
    ~ScopedNamedTemporaries();
    Q_DISABLE_COPY_MOVE(ScopedNamedTemporaries)
};

// Writes bytes as path's new content through an AtomicFile; on failure answers false, keeps the old file and sets
// *error to the system's reason.
bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error = nullptr,
                         QFileDevice::Permissions permissions = {});
// Copies source over target the same way (a read failure of source fails the copy too).
bool copyFileAtomically(const QString& source, const QString& target, QString* error = nullptr,
                        QFileDevice::Permissions permissions = {});
