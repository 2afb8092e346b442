// A real full file system for tests of writes that must fail cleanly: a forked child enters a private mount
// namespace (inside a user namespace when not root), mounts a small tmpfs on a folder of the test's home, lets
// the test put its old files there, fills what is left and runs the test's body. The body's report (any bytes)
// comes back through a pipe; the parent never sees the tmpfs. Where namespaces or mounts are refused, the run
// says so and the caller skips.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace sorvanta::test {

struct FullDiskRun {
    bool mounted = false;      // false: no tmpfs could be had here (skip)
    QString refusal;           // why not
    QByteArray report;         // what the body answered
};

// setUp(folder) runs while the tmpfs still has room; then the tmpfs is filled until only freeBytes stay free
// (rounded down to whole pages) and body(folder) runs. Both run in the child.
FullDiskRun runOnFullDisk(const std::function<void(const QString& folder)>& setUp,
                          const std::function<QByteArray(const QString& folder)>& body, qint64 freeBytes = 0);

}  // namespace sorvanta::test
