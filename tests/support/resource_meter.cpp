// Measuring time and peak memory of a piece of work: see resource_meter.h.

#include "tests/support/resource_meter.h"

#include <QFile>

#include <malloc.h>
#include <time.h>

namespace sorvanta::test {
namespace {

// A "Vm...:" line of /proc/self/status in bytes.
qint64 statusBytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

// CPU seconds the process has used, all threads: unlike wall time, it does not grow with the machine's load.
double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Resets the kernel's peak resident size (VmHWM) to the current size.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

}  // namespace

ResourceUse measureResources(const std::function<void()>& work)
{
    malloc_trim(0);
    resetPeak();
    const qint64 before = statusBytes("VmRSS:");
    const double start = processCpuSeconds();
    work();
    ResourceUse use;
    use.seconds = processCpuSeconds() - start;
    use.peakGrowthBytes = std::max<qint64>(statusBytes("VmHWM:") - before, 0);
    return use;
}

}  // namespace sorvanta::test
