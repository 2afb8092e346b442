// A scripted loopback peer for protocol tests: a TCP server or a UDP socket on 127.0.0.1 that plays a
// dialogue and records every byte it receives. It runs on the test's own thread, without blocking, so
// drive the code under test and the peer together with waitUntil() (tests/support/wait_until.h).
//
//   ScriptedPeer peer;                                   // TCP; ScriptedPeer(ScriptedPeer::Protocol::Udp)
//   peer.send("220 ready\r\n").expectLine().send("250 ok\r\n").expectLine().close();
//   ASSERT_TRUE(peer.listen());                          // port 0: any free port; see port()
//   ... point the client at peer.address() / peer.port() ...
//   ASSERT_TRUE(waitUntil([&] { return peer.finishedCount() == 1; }));
//   EXPECT_EQ(peer.received(0), "HELO x\r\nQUIT\r\n");
//
// TCP: every accepted connection plays the script from its first step, on its own. UDP: one script for
// the socket; expectData() takes the next datagram and send() answers whoever sent the last one taken.
// When the steps run out the peer stays silent (still reading and recording) unless the last step was
// close(), reset() or repeat().
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

namespace sorvanta::test {

class ScriptedPeer : public QObject {
    Q_OBJECT
public:
    enum class Protocol { Tcp, Udp };
    // Computes bytes to send from the last chunk an expect step took (line, bytes or datagram).
    using Responder = std::function<QByteArray(const QByteArray& lastReceived)>;

    explicit ScriptedPeer(Protocol protocol = Protocol::Tcp, QObject* parent = nullptr);
    ~ScriptedPeer() override;
    Q_DISABLE_COPY_MOVE(ScriptedPeer)

    // ---- script steps, played in the order given
    ScriptedPeer& send(const QByteArray& bytes);
    ScriptedPeer& respond(Responder responder);
    ScriptedPeer& expectLine();              // waits for bytes up to and including a LF
    // Waits for a line equal to line (its LF included), taking every line before it: the end of a message
    // whose length the script need not know (expectLineEqual(".\r\n")).
    ScriptedPeer& expectLineEqual(const QByteArray& line);
    ScriptedPeer& expectBytes(int count);    // waits for count bytes
    ScriptedPeer& expectData();              // TCP: whatever has arrived (at least one byte); UDP: a datagram
    ScriptedPeer& wait(int ms);              // pauses the script (bytes are still read and recorded)
    ScriptedPeer& stopReading();             // TCP: reads no more, so the client's sends back up
    // TCP: from now on takes at most bytes every everyMs; a script with this step also gets small kernel
    // buffers, so the client's sends are paced by it.
    ScriptedPeer& readSlowly(int bytes, int everyMs);
    ScriptedPeer& close();                   // TCP: orderly close (FIN); ends the script
    ScriptedPeer& reset();                   // TCP: SO_LINGER 0 then close, the client sees a reset
    ScriptedPeer& repeat();                  // starts the script over (needs an expect or wait step)
    // TCP: the steps before this one are the first connection's script (it ends here); every later
    // connection plays the steps after it.
    ScriptedPeer& laterConnections();
    // TCP: the TLS server handshake with this certificate and key (PEM files); the script goes on once it
    // is complete, and from then on sends and expect steps carry plaintext. A handshake the client breaks
    // off leaves the script waiting here; later bytes are recorded as they arrive.
    ScriptedPeer& startTls(const QString& certificateFile, const QString& keyFile);

    // Listens on address:port (port 0 picks a free one); false when the port is taken.
    bool listen(quint16 port = 0, const QHostAddress& address = QHostAddress::LocalHost);
    quint16 port() const { return m_port; }
    QString address() const { return m_address.toString(); }

    // ---- what happened
    int connectionCount() const { return int(m_sessions.size()); }   // TCP connections accepted
    int finishedCount() const;               // connections (or the UDP script) whose steps all ran
    int disconnectedCount() const;           // TCP connections that are gone (closed by either side)
    QByteArray received(int connection) const;   // TCP: bytes of that connection; UDP: use 0
    QByteArray receivedAll() const;          // every connection's bytes in order of the connections
    QByteArray wireBytes(int connection) const;  // TCP: that connection's bytes as they came, TLS records too
    bool tlsEstablished(int connection) const;   // that connection's TLS handshake completed
    QList<QByteArray> datagrams() const { return m_datagrams; }   // UDP: every datagram received
    QList<quint16> datagramPorts() const { return m_datagramPorts; }   // UDP: the source port of each

private:
    struct Step;
    struct Session;
    void addStep(Step step);
    bool readsSlowly() const;
    size_t laterConnectionsStep() const;
    void acceptConnections();
    void readTcp(Session& session);
    void readTcpSlowly(Session& session);
    void arrive(Session& session, const QByteArray& bytes);
    void take(Session& session, const QByteArray& bytes);
    void readUdp();
    void advance(Session& session);
    bool runStep(Session& session, const Step& step);   // false: the step waits for more input or time
    void write(Session& session, const QByteArray& bytes);

    Protocol m_protocol;
    QHostAddress m_address;
    quint16 m_port = 0;
    std::vector<Step> m_steps;
    std::vector<std::unique_ptr<Session>> m_sessions;
    QList<QByteArray> m_datagrams;
    QList<quint16> m_datagramPorts;
    QTcpServer* m_server = nullptr;
    QUdpSocket* m_udp = nullptr;
};

}  // namespace sorvanta::test
