// A loopback address of this test process's own, 127.x.y.z made from its process ID: a UDP and a TCP peer can
// then share one port number (a DNS server answers over both), and nothing of another test running at the same
// time listens there, so "nothing listens on that port" holds too.
#pragma once

#include <QHostAddress>

namespace sorvanta::test {

QHostAddress processLoopbackAddress();

}  // namespace sorvanta::test
