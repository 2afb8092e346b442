// TStarSocket on the event-socket core: asynchronous resolution through HostLookup, connection and data
// notifications from EventSocket, countdowns on a QTimer. See timer_socket.h.

#include "transport/net/timer_socket.h"

#include "platform/event_socket.h"
#include "platform/host_lookup.h"
#include "platform/winsock_error.h"
#include "transport/net/helo_name.h"
#include "transport/net/tls_channel.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QStringList>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <arpa/inet.h>

#include <optional>

namespace {

constexpr qint64 kReceiveBlock = 2048;
// A reply line longer than this is handed on in pieces: a hostile server could otherwise make us buffer forever.
constexpr qsizetype kMaxLine = 8192;
// What may wait in the receive buffer while a line is being handled.
constexpr qsizetype kMaxBuffered = 64 * 1024;

// The whole text as a dotted IPv4 address (host order), or nothing.
std::optional<quint32> dottedAddress(const QString& text)
{
    in_addr address{};
    if (text.isEmpty() || inet_pton(AF_INET, text.toLatin1().constData(), &address) != 1)
        return std::nullopt;
    return ntohl(address.s_addr);
}

}  // namespace

TStarSocket::TStarSocket(QObject* parent)
    : QObject(parent), m_socket(std::make_unique<EventSocket>()), m_lookup(std::make_unique<HostLookup>())
{
    m_socket->setEventHandler([this](int event, int error) { handleSocketEvent(event, error); });
    connect(&m_countdownTimer, &QTimer::timeout, this, &TStarSocket::countdownStep);
}

TStarSocket::~TStarSocket()
{
    close();
}

void TStarSocket::setHost(const QString& host)
{
    m_host = host;
    if (dottedAddress(host)) {
        m_hostAddress = host;
        m_hostName.clear();
    } else {
        m_hostName = host;
        m_hostAddress.clear();
    }
}

QString TStarSocket::localHostName()
{
    return QHostInfo::localHostName();
}

QString TStarSocket::localAddress() const
{
    return m_socket->isOpen() ? socketLocalAddress(m_socket->descriptor()) : QString();
}

bool TStarSocket::hasSocket() const
{
    return m_socket->isOpen();
}

bool TStarSocket::resolving() const
{
    return m_lookup->isPending();
}

quint32 TStarSocket::serverAddress() const
{
    return hostIsAddress() ? *dottedAddress(m_hostAddress) : m_resolvedAddress;
}

QString TStarSocket::addressText() const
{
    return QHostAddress(serverAddress()).toString();
}

bool TStarSocket::createSocket()
{
    m_lastError = m_socket->isOpen() ? 0 : m_socket->open(EventSocket::Type::Tcp);
    return m_lastError == 0;
}

void TStarSocket::resolve()
{
    if (resolving())
        return;
    if (m_hostName.isEmpty()) {
        m_lastError = WSAHOST_NOT_FOUND;    // nothing to look up: never resolve a stale or empty name
        return;
    }
    m_lastError = 0;
    m_lookup->start(m_hostName, [this](int error, const QStringList& addresses) {
        lookupFinished(error, addresses);
    });
    countdown(TimeoutArp);
}

void TStarSocket::lookupFinished(int error, const QStringList& addresses)
{
    countdown(0);
    const std::optional<quint32> address = addresses.isEmpty() ? std::nullopt : dottedAddress(addresses.first());
    m_lastError = error != 0 ? error : address ? 0 : WSANO_DATA;
    if (m_lastError == 0)
        m_resolvedAddress = *address;
    onResolved();
}

void TStarSocket::connectToServer(quint16 port)
{
    dropTls();
    m_lastError = m_socket->connectTo(serverAddress(), port);
    if (m_lastError == 0)
        countdown(TimeoutConnect);
}

qint64 TStarSocket::send(QByteArrayView data)
{
    if (m_tls)
        return sendSecured(data);
    const qint64 written = m_socket->send(data.data(), data.size());
    if (written >= 0) {
        m_lastError = 0;
        return written;
    }
    const int error = m_socket->lastError();
    m_lastError = error == WSAEWOULDBLOCK ? 0 : error;
    return 0;
}

qint64 TStarSocket::receive(char* buffer, qint64 capacity)
{
    if (m_tls)
        return receiveSecured(buffer, capacity);
    const qint64 count = m_socket->receive(buffer, capacity);
    if (count >= 0) {
        m_lastError = 0;
        return count;
    }
    const int error = m_socket->lastError();
    m_lastError = error == WSAEWOULDBLOCK ? 0 : error;
    return 0;
}

void TStarSocket::close()
{
    m_lookup->cancel();
    countdown(0);
    m_socket->close();
    m_connected = false;
    dropTls();
}

// Every connection starts in clear: a session belongs to the connection it was made on.
void TStarSocket::dropTls()
{
    m_tls.reset();
}

void TStarSocket::countdown(int seconds)
{
    m_countdownTimer.stop();
    m_countdownRemaining = seconds;
    if (seconds > 0)
        m_countdownTimer.start(m_countdownStep);
}

void TStarSocket::countdownStep()
{
    if (--m_countdownRemaining > 0)
        return;
    close();
    onCountdownExpired();
}

void TStarSocket::handleSocketEvent(int event, int error)
{
    m_lastError = error;
    if (tlsHandshaking()) {
        handshakeEvent(event);
        return;
    }
    countdown(0);                           // any notification ends the countdown
    switch (event) {
    case FD_READ:
        onRead();
        break;
    case FD_WRITE:
        if (m_tls && !m_tls->flush()) {
            m_lastError = m_tls->lastError();
            break;                          // the encrypted backlog still waits for room
        }
        m_writable = true;
        onWrite();
        break;
    case FD_ACCEPT:
        break;
    case FD_CONNECT:
        m_connected = error == 0;
        if (!m_connected)
            m_socket->close();              // never connected: release the descriptor all the same
        onConnect();
        break;
    case FD_CLOSE:
        onDisconnect();
        m_socket->close();
        m_connected = false;
        dropTls();
        break;
    }
}

void TStarSocket::readLines(const std::function<bool(const QByteArray& line)>& handleLine)
{
    if (m_readingLines) {
        bufferArrivedData();
        return;
    }
    QScopedValueRollback guard(m_readingLines, true);
    for (;;) {
        const qint64 count = receiveBlock();
        if (count <= 0 || !handOnLines(handleLine))
            return;
        if (count < kReceiveBlock)
            return;                         // drained for now: FD_READ comes again when more arrives
    }
}

qint64 TStarSocket::receiveBlock()
{
    char block[kReceiveBlock];
    const qint64 count = hasSocket() ? receive(block, kReceiveBlock) : 0;
    if (count > 0)
        m_receiveBuffer.append(block, count);
    return count;
}

// A line is being handled and its handler lets events run: take what arrives into the buffer, where the
// lines wait their turn, so that the level-triggered FD_READ does not come again and again meanwhile.
void TStarSocket::bufferArrivedData()
{
    while (m_receiveBuffer.size() < kMaxBuffered && receiveBlock() == kReceiveBlock) {
    }
}

qsizetype TStarSocket::pendingInput()
{
    bufferArrivedData();
    return m_receiveBuffer.size() - m_handedOn;
}

// Hands on every complete line of the buffer; false when the handler stopped or dropped the buffer.
bool TStarSocket::handOnLines(const std::function<bool(const QByteArray& line)>& handleLine)
{
    qsizetype start = 0;
    const auto handedOn = qScopeGuard([this] { m_handedOn = 0; });
    for (;;) {
        qsizetype end = m_receiveBuffer.indexOf("\r\n", start);
        qsizetype next = end + 2;
        if ((end < 0 ? m_receiveBuffer.size() : end) - start > kMaxLine)
            end = next = start + kMaxLine;
        if (end < 0)
            break;
        const QByteArray line = m_receiveBuffer.sliced(start, end - start);
        start = next;
        m_handedOn = start;
        const quint64 generation = m_receiveGeneration;
        const bool goOn = handleLine(line);
        if (generation != m_receiveGeneration)
            return false;                   // the handler dropped what was pending
        if (!goOn) {
            m_receiveBuffer.remove(0, start);
            return false;
        }
    }
    m_receiveBuffer.remove(0, start);
    return true;
}

bool TStarSocket::writeAll(QByteArrayView data, const std::function<bool()>& stop)
{
    qsizetype done = 0;
    while (done < data.size()) {
        if (stop() || !hasSocket())
            return false;
        m_writable = false;
        done += send(data.sliced(done));
        if (m_lastError != 0)
            return false;
        if (done < data.size())
            waitUntilWritable(stop);
    }
    return true;
}

void TStarSocket::waitUntilWritable(const std::function<bool()>& stop)
{
    // The core arms FD_WRITE after a send that would block; other events run meanwhile.
    while (!m_writable && hasSocket() && !stop())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool TStarSocket::event(QEvent* event)
{
    if (WindowMessage* message = WindowMessage::from(event); message && message->msg > WM_USER + 1) {
        onMessage(*message);
        return true;
    }
    return QObject::event(event);
}

void TStarSocket::startTls()
{
    m_tls = std::make_unique<TlsChannel>(*m_socket, m_host, TlsSession::Verification::Certificate);
    clearReceiveBuffer();
    countdown(TimeoutConnect);
    advanceHandshake();
}

bool TStarSocket::tlsHandshaking() const
{
    return m_tls && m_tls->handshaking();
}

// While the handshake runs its records are the only traffic: the descendants hear nothing but the outcome.
void TStarSocket::handshakeEvent(int event)
{
    switch (event) {
    case FD_READ:
        advanceHandshake();
        break;
    case FD_WRITE:
        if (!m_tls->flush() && (m_lastError = m_tls->lastError()) != 0)
            finishHandshake(QStringLiteral("the connection failed during the handshake"));
        break;
    case FD_CLOSE:
        m_socket->close();
        m_connected = false;
        finishHandshake(QStringLiteral("the server closed the connection during the handshake"));
        break;
    case FD_ACCEPT:
    case FD_CONNECT:
        break;
    }
}

void TStarSocket::advanceHandshake()
{
    const TlsSession::Status status = m_tls->advanceHandshake();
    if ((m_lastError = m_tls->lastError()) != 0)
        return finishHandshake(QStringLiteral("the connection failed during the handshake"));
    switch (status) {
    case TlsSession::Status::InProgress:
        return;
    case TlsSession::Status::Done:
        // The server may have sent data right behind its last handshake record: offer it as FD_READ.
        m_socket->postEvent(FD_READ, 0);
        return finishHandshake(QString());
    case TlsSession::Status::Failed:
        return finishHandshake(m_tls->errorString());
    }
}

// A failed session stays in place until close(), so nothing is sent or read in clear meanwhile.
void TStarSocket::finishHandshake(QString error)
{
    countdown(0);
    onTlsFinished(error);
}

qint64 TStarSocket::sendSecured(QByteArrayView data)
{
    const qint64 sent = m_tls->send(data);
    m_lastError = m_tls->lastError();
    return sent;
}

// The end of the server's TLS stream is reported as a close.
qint64 TStarSocket::receiveSecured(char* buffer, qint64 capacity)
{
    const qint64 got = m_tls->receive(buffer, capacity);
    m_lastError = 0;
    if (const std::optional<int> end = m_tls->takeEnd())
        m_socket->postEvent(FD_CLOSE, *end);
    return got;
}
