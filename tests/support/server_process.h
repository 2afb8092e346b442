// Ends the process of a test server: asks it to stop (the end of its standard input, or SIGTERM), waits,
// and kills it when it has not stopped in time, so no server outlives its test. Also whether servers that
// drop to their own users (dovecot, postfix) can start here.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>

#include <unistd.h>

namespace sorvanta::test {

enum class StopRequest { CloseInput, Terminate };

inline void stopServerProcess(QProcess& process, StopRequest request)
{
    if (process.state() == QProcess::NotRunning)
        return;
    if (request == StopRequest::CloseInput)
        process.closeWriteChannel();
    else
        process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

// Servers such as dovecot and postfix switch to their own users: they need real root, and setgroups()
// allowed (denied inside a user namespace, unshare -r; a network namespace of real root, unshare -n, works).
// False with *why naming servers and the reason otherwise.
inline bool canSwitchUsers(const QString& servers, QString* why)
{
    if (geteuid() != 0) {
        *why = servers + QStringLiteral(" need root to switch to their own users");
        return false;
    }
    QFile setgroups(QStringLiteral("/proc/self/setgroups"));
    if (setgroups.open(QIODevice::ReadOnly) && setgroups.readAll().trimmed() == "deny") {
        *why = QStringLiteral("inside a user namespace (unshare -r) ") + servers
               + QStringLiteral(" may not call setgroups(); run the test in a network namespace of real root "
                                "(unshare -n)");
        return false;
    }
    return true;
}

}  // namespace sorvanta::test
