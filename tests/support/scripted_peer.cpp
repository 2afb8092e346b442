// The scripted loopback peer: QTcpServer / QUdpSocket on the test thread, one script cursor per session.

#include "tests/support/scripted_peer.h"

#include "tests/support/tls_server_session.h"

#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <utility>

namespace sorvanta::test {

namespace {

// Ethernet-sized segments and a small receive window, set on the listener so that its connections
// inherit them: a slow reader's backlog then stays with the client instead of megabytes vanishing into
// loopback's 64 KB segments and the kernel's buffers.
void limitKernelBuffers(int descriptor)
{
    const int segment = 1460;
    const int receiveBuffer = 16 * 1024;
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof segment);
    ::setsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
}

}  // namespace

struct ScriptedPeer::Step {
    enum class Kind {
        Send, Respond, ExpectLine, ExpectLineEqual, ExpectBytes, ExpectData, Wait, StopReading, ReadSlowly, Close,
        Reset, Repeat, StartTls, LaterConnections
    };
    Kind kind;
    QByteArray bytes;
    Responder responder;
    int count = 0;
    int interval = 0;                   // readSlowly(): ms between two reads
    QString certificateFile{};          // startTls()
    QString keyFile{};
};

struct ScriptedPeer::Session {
    QPointer<QTcpSocket> socket;        // null for UDP
    QByteArray all;                     // every byte received (decrypted once TLS is up)
    QByteArray wire;                    // every byte received as it came
    std::unique_ptr<TlsServerSession> tls;
    bool tlsUp = false;
    QByteArray unread;                  // received, not yet taken by an expect step
    QList<QNetworkDatagram> pending;    // UDP datagrams not yet taken
    QByteArray last;                    // what the last expect step took
    QHostAddress replyAddress;          // UDP: sender of the last datagram taken
    quint16 replyPort = 0;
    size_t step = 0;
    bool waiting = false;               // a wait step's timer runs
    bool reading = true;                // cleared by stopReading()
    int readLimit = 0;                  // readSlowly(): bytes taken per read; 0: everything that arrived
    bool finished = false;
    bool gone = false;
};

ScriptedPeer::ScriptedPeer(Protocol protocol, QObject* parent) : QObject(parent), m_protocol(protocol) {}

ScriptedPeer::~ScriptedPeer()
{
    // The sockets' signal handlers point into the sessions, and a socket being destroyed still signals
    // its disconnection: cut the handlers, then free the sockets before the sessions.
    for (const auto& session : m_sessions) {
        if (session->socket) {
            session->socket->disconnect(this);
            delete session->socket;
        }
    }
}

void ScriptedPeer::addStep(Step step)
{
    m_steps.push_back(std::move(step));
}

ScriptedPeer& ScriptedPeer::send(const QByteArray& bytes)
{
    addStep({Step::Kind::Send, bytes, {}, 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::respond(Responder responder)
{
    addStep({Step::Kind::Respond, {}, std::move(responder), 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::expectLine()
{
    addStep({Step::Kind::ExpectLine, {}, {}, 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::expectLineEqual(const QByteArray& line)
{
    addStep({Step::Kind::ExpectLineEqual, line, {}, 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::expectBytes(int count)
{
    addStep({Step::Kind::ExpectBytes, {}, {}, count});
    return *this;
}

ScriptedPeer& ScriptedPeer::expectData()
{
    addStep({Step::Kind::ExpectData, {}, {}, 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::wait(int ms)
{
    addStep({Step::Kind::Wait, {}, {}, ms});
    return *this;
}

ScriptedPeer& ScriptedPeer::stopReading()
{
    addStep({Step::Kind::StopReading, {}, {}, 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::readSlowly(int bytes, int everyMs)
{
    addStep({Step::Kind::ReadSlowly, {}, {}, bytes, everyMs});
    return *this;
}

ScriptedPeer& ScriptedPeer::close()
{
    addStep({Step::Kind::Close, {}, {}, 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::reset()
{
    addStep({Step::Kind::Reset, {}, {}, 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::startTls(const QString& certificateFile, const QString& keyFile)
{
    addStep({Step::Kind::StartTls, {}, {}, 0, 0, certificateFile, keyFile});
    return *this;
}

ScriptedPeer& ScriptedPeer::laterConnections()
{
    addStep({Step::Kind::LaterConnections, {}, {}});
    return *this;
}

ScriptedPeer& ScriptedPeer::repeat()
{
    const bool paces = std::any_of(m_steps.begin(), m_steps.end(), [](const Step& step) {
        return step.kind != Step::Kind::Send && step.kind != Step::Kind::Respond;
    });
    Q_ASSERT_X(paces, "ScriptedPeer::repeat", "a repeated script needs a step that waits");
    Q_UNUSED(paces);
    addStep({Step::Kind::Repeat, {}, {}, 0});
    return *this;
}

bool ScriptedPeer::listen(quint16 port, const QHostAddress& address)
{
    m_address = address;
    if (m_protocol == Protocol::Tcp) {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, &ScriptedPeer::acceptConnections);
        if (!m_server->listen(address, port))
            return false;
        if (readsSlowly())
            limitKernelBuffers(int(m_server->socketDescriptor()));
        m_port = m_server->serverPort();
        return true;
    }
    m_udp = new QUdpSocket(this);
    if (!m_udp->bind(address, port))
        return false;
    m_port = m_udp->localPort();
    m_sessions.push_back(std::make_unique<Session>());
    connect(m_udp, &QUdpSocket::readyRead, this, &ScriptedPeer::readUdp);
    advance(*m_sessions.front());
    return true;
}

size_t ScriptedPeer::laterConnectionsStep() const
{
    const auto marker = std::find_if(m_steps.begin(), m_steps.end(),
                                     [](const Step& step) { return step.kind == Step::Kind::LaterConnections; });
    return marker == m_steps.end() ? 0 : size_t(marker - m_steps.begin()) + 1;
}

bool ScriptedPeer::readsSlowly() const
{
    return std::any_of(m_steps.begin(), m_steps.end(),
                       [](const Step& step) { return step.kind == Step::Kind::ReadSlowly; });
}

int ScriptedPeer::finishedCount() const
{
    int count = 0;
    for (const auto& session : m_sessions)
        count += session->finished ? 1 : 0;
    return count;
}

int ScriptedPeer::disconnectedCount() const
{
    int count = 0;
    for (const auto& session : m_sessions)
        count += session->gone ? 1 : 0;
    return count;
}

QByteArray ScriptedPeer::received(int connection) const
{
    if (connection < 0 || connection >= int(m_sessions.size()))
        return {};
    return m_sessions[size_t(connection)]->all;
}

QByteArray ScriptedPeer::receivedAll() const
{
    QByteArray all;
    for (const auto& session : m_sessions)
        all += session->all;
    return all;
}

QByteArray ScriptedPeer::wireBytes(int connection) const
{
    if (connection < 0 || connection >= int(m_sessions.size()))
        return {};
    return m_sessions[size_t(connection)]->wire;
}

bool ScriptedPeer::tlsEstablished(int connection) const
{
    return connection >= 0 && connection < int(m_sessions.size()) && m_sessions[size_t(connection)]->tlsUp;
}

void ScriptedPeer::acceptConnections()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        m_sessions.push_back(std::make_unique<Session>());
        Session* session = m_sessions.back().get();
        session->socket = socket;
        if (m_sessions.size() > 1)
            session->step = laterConnectionsStep();
        connect(socket, &QTcpSocket::readyRead, this, [this, session] { readTcp(*session); });
        connect(socket, &QTcpSocket::disconnected, this, [this, session] {
            readTcp(*session);
            session->gone = true;
        });
        advance(*session);
    }
}

void ScriptedPeer::readTcp(Session& session)
{
    if (!session.socket || !session.reading || session.readLimit > 0)
        return;
    arrive(session, session.socket->readAll());
}

// One paced read: Qt buffers at most readLimit bytes, so the rest waits in the kernel and the client's
// sends back up.
void ScriptedPeer::readTcpSlowly(Session& session)
{
    if (session.socket && session.reading)
        arrive(session, session.socket->read(session.readLimit));
}

// Bytes from the wire: through the TLS engine while it runs (a failed handshake leaves them as they are).
void ScriptedPeer::arrive(Session& session, const QByteArray& bytes)
{
    session.wire += bytes;
    if (!session.tls || session.tls->failed()) {
        take(session, bytes);
        return;
    }
    session.tls->feed(bytes);
    const bool wasUp = session.tlsUp;
    session.tlsUp = session.tls->handshake();
    if (session.socket)
        session.socket->write(session.tls->takeOutgoing());
    take(session, session.tls->readAll());
    if (session.tlsUp != wasUp)
        advance(session);
}

void ScriptedPeer::take(Session& session, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    session.all += bytes;
    session.unread += bytes;
    advance(session);
}

void ScriptedPeer::readUdp()
{
    Session& session = *m_sessions.front();
    while (m_udp->hasPendingDatagrams()) {
        QNetworkDatagram datagram = m_udp->receiveDatagram();
        session.all += datagram.data();
        m_datagrams.append(datagram.data());
        m_datagramPorts.append(quint16(datagram.senderPort()));
        session.pending.append(std::move(datagram));
    }
    advance(session);
}

void ScriptedPeer::advance(Session& session)
{
    while (!session.finished && !session.waiting && session.step < m_steps.size()) {
        if (!runStep(session, m_steps[session.step]))
            return;
    }
    if (session.step >= m_steps.size())
        session.finished = true;
}

bool ScriptedPeer::runStep(Session& session, const Step& step)
{
    using Kind = Step::Kind;
    switch (step.kind) {
    case Kind::Send:
        write(session, step.bytes);
        break;
    case Kind::Respond:
        write(session, step.responder(session.last));
        break;
    case Kind::ExpectLine: {
        const qsizetype end = session.unread.indexOf('\n');
        if (end < 0)
            return false;
        session.last = session.unread.left(end + 1);
        session.unread.remove(0, end + 1);
        break;
    }
    case Kind::ExpectLineEqual:
        for (;;) {
            const qsizetype end = session.unread.indexOf('\n');
            if (end < 0)
                return false;
            session.last = session.unread.left(end + 1);
            session.unread.remove(0, end + 1);
            if (session.last == step.bytes)
                break;
        }
        break;
    case Kind::ExpectBytes:
        if (session.unread.size() < step.count)
            return false;
        session.last = session.unread.left(step.count);
        session.unread.remove(0, step.count);
        break;
    case Kind::ExpectData:
        if (m_protocol == Protocol::Udp) {
            if (session.pending.isEmpty())
                return false;
            const QNetworkDatagram datagram = session.pending.takeFirst();
            session.last = datagram.data();
            session.replyAddress = datagram.senderAddress();
            session.replyPort = quint16(datagram.senderPort());
        } else {
            if (session.unread.isEmpty())
                return false;
            session.last = std::exchange(session.unread, {});
        }
        break;
    case Kind::Wait:
        session.waiting = true;
        QTimer::singleShot(step.count, this, [this, &session] {
            session.waiting = false;
            ++session.step;
            advance(session);
        });
        return false;
    case Kind::StopReading:
        // Qt then stops taking bytes from the kernel once its one-byte buffer is full.
        session.reading = false;
        if (session.socket)
            session.socket->setReadBufferSize(1);
        break;
    case Kind::ReadSlowly:
        if (session.socket) {
            session.readLimit = step.count;
            session.socket->setReadBufferSize(step.count);
            auto* timer = new QTimer(session.socket);
            connect(timer, &QTimer::timeout, this, [this, &session] { readTcpSlowly(session); });
            timer->start(step.interval);
        }
        break;
    case Kind::Close:
    case Kind::Reset:
        if (session.socket) {
            if (step.kind == Kind::Reset) {
                const linger option{1, 0};
                ::setsockopt(int(session.socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &option,
                             sizeof option);
                session.socket->abort();
            } else {
                session.socket->disconnectFromHost();
            }
        }
        session.step = m_steps.size();
        return true;
    case Kind::LaterConnections:
        session.step = m_steps.size();
        return true;
    case Kind::Repeat:
        session.step = 0;
        return true;
    case Kind::StartTls:
        if (!session.tls) {
            session.tls = std::make_unique<TlsServerSession>(step.certificateFile, step.keyFile);
            session.tls->feed(std::exchange(session.unread, {}));
        }
        session.tlsUp = session.tls->handshake();
        if (session.socket)
            session.socket->write(session.tls->takeOutgoing());
        if (!session.tlsUp)
            return false;
        break;
    }
    ++session.step;
    return true;
}

void ScriptedPeer::write(Session& session, const QByteArray& bytes)
{
    if (session.socket && session.tlsUp) {
        session.tls->write(bytes);
        session.socket->write(session.tls->takeOutgoing());
    } else if (session.socket)
        session.socket->write(bytes);
    else if (m_udp && !session.replyAddress.isNull())
        m_udp->writeDatagram(bytes, session.replyAddress, session.replyPort);
}

}  // namespace sorvanta::test
