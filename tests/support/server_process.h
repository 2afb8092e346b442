// Ends the process of a test server: asks it to stop (the end of its standard input, or SIGTERM), waits,
// and kills it when it has not stopped in time, so no server outlives its test.
#pragma once

#include <QProcess>

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

}  // namespace sorvanta::test
