// TWSocket: lookup, connect, the send queue and the event handling in Winsock's order.

#include "transport/net/async_socket.h"

#include "platform/winsock_error.h"
#include "transport/net/helo_name.h"
#include "transport/net/tls_channel.h"

#include <QHash>
#include <QPointer>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace {

constexpr int discardChunk = 1024;
// Replies of mail and DNS servers are short; a longer stream takes several rounds.
constexpr int readAheadSize = 1024;
// FD_READ rounds per notification: a peer that never pauses must not keep the loop from other sockets.
constexpr int maxReadRounds = 64;
// Queued bytes handed to the kernel in one write.
constexpr qint64 maxWriteBytes = 64 * 1024;
// Many DNS queries may be in flight at once; the default UDP receive buffer drops replies then.
constexpr int udpReceiveBuffer = 1 << 20;

bool isDottedAddress(const QString& text, quint32& address)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c != u'.' && !c.isDigit())
            return false;
    }
    in_addr parsed{};
    if (::inet_aton(text.toLatin1().constData(), &parsed) == 0)
        return false;
    address = ntohl(parsed.s_addr);
    return true;
}

QString dottedText(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24).arg((address >> 16) & 0xFF).arg((address >> 8) & 0xFF).arg(address & 0xFF);
}

quint16 resolvePort(const QString& port, const QString& proto)
{
    bool numeric = false;
    const uint number = port.toUInt(&numeric);
    if (numeric) {
        if (number > 65535)
            throw SocketException(QStringLiteral("WSocketResolvePort: Invalid Port."));
        return quint16(number);
    }
    // getservbyname reads the services file on every call, and a relay connects thousands of times with the
    // same name: each name is looked up once (sockets live on the GUI thread only).
    static QHash<QString, quint16> known;
    const QString key = port + u'/' + proto;
    if (const auto found = known.constFind(key); found != known.cend())
        return *found;
    const servent* service = ::getservbyname(port.toLatin1().constData(), proto.toLatin1().constData());
    if (!service)
        throw SocketException(QStringLiteral("WSocketResolvePort: Cannot convert port '%1'").arg(port));
    return known[key] = ntohs(quint16(service->s_port));
}

EventSocket::Type resolveProto(const QString& proto)
{
    // The two protocols served are known by name without reading the protocols file.
    if (proto.compare(u"tcp", Qt::CaseInsensitive) == 0)
        return EventSocket::Type::Tcp;
    if (proto.compare(u"udp", Qt::CaseInsensitive) == 0)
        return EventSocket::Type::Udp;
    bool numeric = false;
    int number = proto.toInt(&numeric);
    if (!numeric) {
        const protoent* entry = ::getprotobyname(proto.toLower().toLatin1().constData());
        if (!entry)
            throw SocketException(QStringLiteral("WSocketResolveProto: Cannot convert protocol '%1'").arg(proto));
        number = entry->p_proto;
    }
    if (number == IPPROTO_TCP)
        return EventSocket::Type::Tcp;
    if (number == IPPROTO_UDP)
        return EventSocket::Type::Udp;
    throw SocketException(QStringLiteral("WSocketResolveProto: Invalid Protocol."));
}

}  // namespace

TWSocket::TWSocket(QObject* parent) : QObject(parent)
{
    m_socket.setEventHandler([this](int event, int error) { onSocketEvent(event, error); });
}

TWSocket::~TWSocket()
{
    m_lookup.cancel();
    m_closeInvoked = true;   // no event from the destructor
    m_socket.close();
}

void TWSocket::requireClosed(const char* property) const
{
    if (m_state != wsClosed)
        throw SocketException(QStringLiteral("Cannot change %1 if not closed").arg(QLatin1String(property)));
}

void TWSocket::setAddr(const QString& addr)
{
    requireClosed("Addr");
    m_addr = addr;
}

void TWSocket::setPort(const QString& port)
{
    requireClosed("Port");
    m_port = port;
}

void TWSocket::setProto(const QString& proto)
{
    requireClosed("Proto");
    m_proto = proto;
}

// ---- lookup

void TWSocket::DnsLookup(const QString& hostName)
{
    m_lookup.cancel();
    if (hostName.isEmpty()) {
        m_lastError = WSAEINVAL;
        m_lastErrorText = QStringLiteral("DNS lookup: invalid host name.");
        fireLookupDone(WSAEINVAL);
        return;
    }
    quint32 address = 0;
    if (isDottedAddress(hostName, address)) {
        m_dnsResult = dottedText(address);
        m_dnsResultList = QStringList{m_dnsResult};
        fireLookupDone(0);
        return;
    }
    m_dnsResult.clear();
    m_dnsResultList.clear();
    m_lookup.start(hostName, [this](int error, const QStringList& addresses) { finishLookup(error, addresses); });
}

void TWSocket::CancelDnsLookup()
{
    if (m_lookup.cancel())
        fireLookupDone(WSAEINTR);
}

void TWSocket::finishLookup(int error, const QStringList& addresses)
{
    if (error == 0) {
        m_dnsResultList = addresses;
        m_dnsResult = addresses.value(0);
    } else {
        m_lastError = error;
    }
    fireLookupDone(error);
}

void TWSocket::fireLookupDone(int error)
{
    fire(OnDnsLookupDone, error);
}

// ---- connect

void TWSocket::Connect()
{
    if (m_state != wsClosed)
        throw SocketException(QStringLiteral("Connect: Socket already in use"));
    if (m_port.isEmpty())
        throw SocketException(QStringLiteral("Connect: No Port Specified"));
    if (m_addr.isEmpty())
        throw SocketException(QStringLiteral("Connect: No IP Address Specified"));
    if (m_proto.isEmpty())
        throw SocketException(QStringLiteral("Connect: No Protocol Specified"));
    const EventSocket::Type type = resolveProto(m_proto);
    const quint16 port = resolvePort(m_port, type == EventSocket::Type::Tcp ? "tcp" : "udp");
    quint32 address = 0;
    if (!isDottedAddress(m_addr, address))
        throw SocketException(QStringLiteral("WSocketResolveHost: Cannot convert host address '%1'").arg(m_addr));

    if (const int error = m_socket.open(type)) {
        reportError(error, QStringLiteral("Connect (socket)"));
        throw SocketException(m_lastErrorText);
    }
    ++m_connection;
    m_tls.reset();
    m_sendQueue.clear();
    m_closeInvoked = false;
    m_dataSentPosted = false;
    m_deferredSendError = 0;
    m_readCount = 0;
    m_readAheadBegin = m_readAheadEnd = 0;
    if (type == EventSocket::Type::Udp) {
        m_socket.setReceiveBufferSize(udpReceiveBuffer);   // best effort: the kernel caps it
        if (const int error = m_socket.connectTo(address, port)) {
            m_socket.close();
            reportError(error, QStringLiteral("Connect"));
            throw SocketException(m_lastErrorText);
        }
        setState(wsConnected);
        return;
    }
    setState(wsConnecting);
    m_socket.connectTo(address, port);   // the outcome, even an immediate failure, comes as FD_CONNECT
}

// ---- events

void TWSocket::onSocketEvent(int event, int error)
{
    if (m_state == wsClosed)
        return;
    if (handshaking()) {
        onHandshakeEvent(event, error);
        return;
    }
    switch (event) {
    case FD_CONNECT:
        onConnectEvent(error);
        return;
    case FD_READ:
        onReadEvent();
        return;
    case FD_WRITE:
        onWriteEvent();
        return;
    case FD_CLOSE:
        onCloseEvent(error);
        return;
    }
}

void TWSocket::onConnectEvent(int error)
{
    if (m_state != wsConnecting)
        return;
    setState(wsConnected);
    if (error == 0)
        m_dataSentPosted = true;   // the core posts FD_WRITE after a connection, as Winsock does
    const quint64 connection = m_connection;
    if (!fire(OnSessionConnected, error) || connection != m_connection)
        return;
    if (error != 0 && m_state != wsClosed)
        internalClose(error);
}

void TWSocket::onReadEvent()
{
    drainIncoming();
}

// One read per round: TCP into the read-ahead block, so that OnDataAvailable fires only for data (the end of
// the stream comes as FD_CLOSE after it) and no peek or FIONREAD precedes the read; UDP datagrams are the
// handler's to take. Rounds go on while a read filled its whole buffer.
bool TWSocket::drainIncoming()
{
    const quint64 connection = m_connection;
    for (int round = 0; round < maxReadRounds; ++round) {
        if (!fillReadAhead())
            return true;
        const qint64 before = m_readCount;
        if (!fire(OnDataAvailable, 0))
            return false;
        if (m_state == wsClosed || connection != m_connection)
            return false;   // the handler closed the socket, perhaps to connect it anew
        if (m_readCount == before && !discardUnread())
            return true;    // the handler took nothing: a chunk is dropped so the bytes do not come back forever
        if (m_readAheadEnd == m_readAheadBegin && !moreToRead())
            return true;    // FD_READ comes again when more arrives
    }
    return true;
}

bool TWSocket::fillReadAhead()
{
    if (m_socket.type() == EventSocket::Type::Udp || m_readAheadBegin < m_readAheadEnd)
        return true;
    m_readAheadBegin = m_readAheadEnd = 0;
    if (m_readAhead.isEmpty())
        m_readAhead.resize(readAheadSize);              // only sockets that read TCP data need it
    const qint64 got = readIn(m_readAhead.data(), qint64(m_readAhead.size()));
    if (got <= 0) {
        if (got < 0)
            m_lastError = m_writeError;
        return false;       // nothing yet, or the end or a failure, which FD_CLOSE reports
    }
    m_readAheadEnd = int(got);
    return true;
}

bool TWSocket::discardUnread()
{
    if (m_readAheadBegin < m_readAheadEnd) {
        m_readAheadBegin = std::min(m_readAheadEnd, m_readAheadBegin + discardChunk);
        return true;
    }
    char discard[discardChunk];
    return readIn(discard, sizeof discard) > 0;
}

void TWSocket::onWriteEvent()
{
    m_dataSentPosted = false;
    if (m_state != wsConnected)
        return;
    const int error = m_deferredSendError ? m_deferredSendError : tryToSend();
    if (error == WSAEWOULDBLOCK)
        return;
    if (error != 0) {
        m_sendQueue.clear();
        m_lastError = error;
        m_lastErrorText = winsockErrorReport(error, QStringLiteral("TryToSend failed"));
        internalClose(error);
        return;
    }
    if (m_sendQueue.isEmpty())
        fire(OnDataSent, 0);
}

void TWSocket::onCloseEvent(int error)
{
    if (m_state == wsConnecting)
        return;
    const quint64 connection = m_connection;
    if ((m_readAheadBegin < m_readAheadEnd || m_tls || m_socket.bytesAvailable() > 0) && !drainIncoming())
        return;
    if (connection != m_connection)
        return;
    if (!m_closeInvoked) {
        m_closeInvoked = true;
        if (!fire(OnSessionClosed, error) || connection != m_connection)
            return;
    }
    if (m_state != wsClosed)
        internalClose(error);
}

// ---- sending

int TWSocket::Send(const char* data, int length)
{
    if (m_state != wsConnected) {
        reportError(WSAENOTCONN, QStringLiteral("Send"));
        return -1;
    }
    if (length <= 0)
        return 0;
    m_sendQueue.append(QByteArrayView(data, length));
    const int error = m_deferredSendError ? m_deferredSendError : tryToSend();
    if (error == 0) {
        postDataSent();
    } else if (error != WSAEWOULDBLOCK) {
        // Reported from the event loop, so that OnSessionClosed never fires inside Send.
        m_deferredSendError = error;
        postDataSent();
    }
    return length;
}

// One write per round for as many queued blocks as it holds: a write per 1514-byte block would put each
// on a segment of its own.
int TWSocket::tryToSend()
{
    if (m_tls && !m_tls->flush())
        return m_tls->lastError() != 0 ? m_tls->lastError() : WSAEWOULDBLOCK;   // ciphertext still waits
    while (!m_sendQueue.isEmpty()) {
        const QByteArrayView single = m_sendQueue.front();
        const QByteArray gathered =
            single.size() < m_sendQueue.byteCount() ? m_sendQueue.frontBytes(maxWriteBytes) : QByteArray();
        const QByteArrayView unread = gathered.isEmpty() ? single : QByteArrayView(gathered);
        const qint64 sent = writeOut(unread);
        if (sent < 0)
            return m_writeError;
        m_sendQueue.removeBytes(sent);
        if (sent < unread.size())
            return WSAEWOULDBLOCK;   // the rest waits for FD_WRITE
    }
    return 0;
}

void TWSocket::postDataSent()
{
    if (m_dataSentPosted)
        return;
    m_dataSentPosted = true;
    m_socket.postEvent(FD_WRITE, 0);
}

// ---- receiving

int TWSocket::Receive(char* buffer, int length)
{
    if (m_readAheadBegin < m_readAheadEnd) {
        const int count = std::min(length, m_readAheadEnd - m_readAheadBegin);
        if (count <= 0)
            return 0;
        std::memcpy(buffer, m_readAhead.constData() + m_readAheadBegin, size_t(count));
        m_readAheadBegin += count;
        m_readCount += count;
        return count;
    }
    const qint64 got = readIn(buffer, length);
    if (got < 0) {
        m_lastError = m_writeError;
        return -1;
    }
    m_readCount += got;
    return int(got);
}

QByteArray TWSocket::ReceiveStr()
{
    if (m_readAheadBegin < m_readAheadEnd) {
        QByteArray text(m_readAheadEnd - m_readAheadBegin, Qt::Uninitialized);
        Receive(text.data(), int(text.size()));
        return text;
    }
    const qint64 available = m_tls ? qint64(readAheadSize) * 16 : m_socket.bytesAvailable();
    if (available <= 0)
        return {};
    QByteArray text(available, Qt::Uninitialized);
    const int got = Receive(text.data(), int(available));
    text.truncate(qMax(got, 0));
    return text;
}

// ---- the byte stream: the descriptor's, or the TLS session's once StartTls began

qint64 TWSocket::writeOut(QByteArrayView data)
{
    if (!m_tls) {
        const qint64 sent = m_socket.send(data.data(), data.size());
        m_writeError = sent < 0 ? m_socket.lastError() : 0;
        return sent;
    }
    const qint64 sent = m_tls->send(data);
    if (sent > 0)
        return sent;
    m_writeError = m_tls->lastError() != 0 ? m_tls->lastError() : WSAEWOULDBLOCK;
    return -1;
}

qint64 TWSocket::readIn(char* buffer, qint64 capacity)
{
    if (!m_tls) {
        const qint64 got = m_socket.receive(buffer, capacity);
        m_writeError = got < 0 ? m_socket.lastError() : 0;
        return got;
    }
    const qint64 got = m_tls->receive(buffer, capacity);
    postTlsEnd();
    if (got > 0)
        return got;
    m_writeError = WSAEWOULDBLOCK;          // the end of the TLS stream comes as FD_CLOSE
    return -1;
}

bool TWSocket::moreToRead() const
{
    return m_tls ? m_tls->mayHaveMoreToRead() : m_socket.mayHaveMoreToRead();
}

// The server's TLS stream ended (close_notify or bad records): reported as the socket's close.
void TWSocket::postTlsEnd()
{
    if (const std::optional<int> end = m_tls->takeEnd())
        m_socket.postEvent(FD_CLOSE, *end);
}

// ---- TLS

void TWSocket::StartTls(const QString& host)
{
    if (m_state != wsConnected || m_socket.type() != EventSocket::Type::Tcp || m_tls)
        throw SocketException(QStringLiteral("StartTls: Socket not connected in clear"));
    m_readAheadBegin = m_readAheadEnd = 0;
    m_tlsErrorText.clear();
    m_tls = std::make_unique<TlsChannel>(m_socket, host, TlsSession::Verification::None);
    advanceHandshake();
}

bool TWSocket::Secured() const
{
    return m_tls && m_tls->secured();
}

bool TWSocket::handshaking() const
{
    return m_tls && m_tls->handshaking();
}

// While the handshake runs its records are the only traffic: the owner hears nothing but its end.
void TWSocket::onHandshakeEvent(int event, int error)
{
    switch (event) {
    case FD_READ:
        advanceHandshake();
        return;
    case FD_WRITE:
        m_dataSentPosted = false;
        if (!m_tls->flush() && m_tls->lastError() != 0)
            finishHandshake(m_tls->lastError(), QStringLiteral("the connection failed during the handshake"));
        return;
    case FD_CLOSE: {
        const quint64 connection = m_connection;
        finishHandshake(error != 0 ? error : WSAECONNRESET,
                        QStringLiteral("the server closed the connection during the handshake"));
        if (connection == m_connection && m_state != wsClosed)
            onCloseEvent(error);
        return;
    }
    }
}

void TWSocket::advanceHandshake()
{
    const TlsSession::Status status = m_tls->advanceHandshake();
    if (m_tls->lastError() != 0)
        return finishHandshake(m_tls->lastError(), QStringLiteral("the connection failed during the handshake"));
    switch (status) {
    case TlsSession::Status::InProgress:
        return;
    case TlsSession::Status::Done:
        // The server may have sent data right behind its last handshake record: offer it as FD_READ.
        m_socket.postEvent(FD_READ, 0);
        return finishHandshake(0, QString());
    case TlsSession::Status::Failed:
        return finishHandshake(WSAECONNABORTED, m_tls->errorString());
    }
}

void TWSocket::finishHandshake(int error, const QString& reason)
{
    m_tlsErrorText = reason;
    fire(OnTlsDone, error);
}

// ---- closing

void TWSocket::Close()
{
    internalClose(0);
}

void TWSocket::Abort()
{
    m_lookup.cancel();
    m_sendQueue.clear();
    if (m_state == wsConnected && m_socket.isOpen() && m_socket.type() == EventSocket::Type::Tcp)
        m_socket.setLingerZero();
    internalClose(0);
}

void TWSocket::internalClose(int error)
{
    if (!m_socket.isOpen()) {
        setState(wsClosed);
        return;
    }
    m_socket.close();
    m_tls.reset();
    m_sendQueue.clear();
    m_readAheadBegin = m_readAheadEnd = 0;
    setState(wsClosed);
    if (!m_closeInvoked) {
        m_closeInvoked = true;
        fire(OnSessionClosed, error);
    }
}

void TWSocket::reportError(int error, const QString& operation)
{
    m_lastError = error;
    m_lastErrorText = winsockErrorReport(error, operation);
    if (error == WSAECONNRESET || error == WSAENOTCONN) {
        m_closeInvoked = true;   // closed without an event, as the original did
        m_socket.close();
        m_tls.reset();
        m_sendQueue.clear();
        setState(wsClosed);
    }
}

bool TWSocket::fire(const TNotifyEvent& event, int error)
{
    if (!event)
        return true;
    QPointer<TWSocket> alive(this);
    const TNotifyEvent handler = event;   // the handler may replace itself
    handler(this, error);
    return !alive.isNull();
}

QString TWSocket::LocalAddress() const
{
    return socketLocalAddress(m_socket.descriptor());
}

QString TWSocket::LocalHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        throw SocketException(QStringLiteral("Winsock.GetHostName failed"));
    return QString::fromLocal8Bit(name);
}
