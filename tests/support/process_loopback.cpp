// processLoopbackAddress: see process_loopback.h.

#include "tests/support/process_loopback.h"

#include <unistd.h>

namespace sorvanta::test {

QHostAddress processLoopbackAddress()
{
    // 127.0.0.0/8 is all loopback; the second byte starts at 2, clear of 127.0.0.1 and 127.1.x.x.
    const quint32 pid = quint32(::getpid());
    const quint32 second = 2 + (pid >> 16) % 250, third = (pid >> 8) & 0xFF, fourth = pid & 0xFF;
    return QHostAddress((127u << 24) | (second << 16) | (third << 8) | (fourth == 0 ? 1 : fourth));
}

}  // namespace sorvanta::test
