// A loopback TCP listener whose accept queue is full, so that a further connect to it stays pending
// (the kernel drops the SYNs): for tests of connect countdowns without any traffic off the machine.
#pragma once

#include <QtGlobal>

namespace sorvanta::test {

class StalledListener {
public:
    StalledListener();
    ~StalledListener();
    Q_DISABLE_COPY_MOVE(StalledListener)

    // The port to connect to; 0 when the listener could not be set up.
    quint16 port() const { return m_port; }

private:
    int m_listener = -1;
    int m_fillers[3] = {-1, -1, -1};
    quint16 m_port = 0;
};

}  // namespace sorvanta::test
