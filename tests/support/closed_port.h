// A loopback TCP port on which nothing listens (bound once, then released), for refused-connection tests.
#pragma once

#include <QHostAddress>
#include <QTcpServer>

namespace sorvanta::test {

inline quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

}  // namespace sorvanta::test
