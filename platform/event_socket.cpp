// The event-socket core: notifier activations turned into Winsock events, errno into Winsock numbers.

#include "platform/event_socket.h"

#include "platform/deferred_calls.h"
#include "platform/winsock_error.h"

#include <QPointer>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

EventSocket::EventSocket(QObject* parent)
    : QObject(parent),
      m_readNotifier(std::make_unique<QSocketNotifier>(QSocketNotifier::Read)),
      m_writeNotifier(std::make_unique<QSocketNotifier>(QSocketNotifier::Write))
{
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &EventSocket::onReadable);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &EventSocket::onWritable);
}

EventSocket::~EventSocket()
{
    close();
    // A handler may delete the socket inside a notifier's activation: let the loop free the notifiers.
    for (auto* notifier : {&m_readNotifier, &m_writeNotifier})
        notifier->release()->deleteLater();
}

int EventSocket::open(Type type)
{
    close();
    m_type = type;
    const int kind = type == Type::Tcp ? SOCK_STREAM : SOCK_DGRAM;
    const int fd = ::socket(AF_INET, kind | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return fail(errno);
    m_fd = fd;
    m_lastError = 0;
    if (type == Type::Tcp) {
        // Data goes out in queue blocks of one send() each; with Nagle every block after the first would
        // wait for the peer's delayed ACK (about 40 ms a message on loopback).
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    m_readNotifier->setSocket(fd);                        // leaves it disabled until connected
    m_writeNotifier->setSocket(fd);
    return 0;
}

int EventSocket::connectTo(quint32 address, quint16 port)
{
    if (m_fd < 0)
        return fail(EBADF);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(address);
    const int rc = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    const int error = rc == 0 ? 0 : errno;
    if (m_type == Type::Udp) {
        if (rc != 0)
            return fail(error);
        m_connected = true;
        m_readNotifier->setEnabled(true);
        return 0;
    }
    if (rc == 0 || error == EINPROGRESS || error == EINTR) {
        // The outcome arrives as writability; SO_ERROR then tells success from failure.
        m_connecting = true;
        setWriteWatch(true);
    } else {
        // Winsock reports even an immediate failure through FD_CONNECT; callers keep one path.
        postEvent(FD_CONNECT, winsockErrorFromErrno(error));
    }
    return 0;
}

qint64 EventSocket::send(const char* data, qint64 length)
{
    if (m_fd < 0) {
        fail(ENOTSOCK);
        return -1;
    }
    const ssize_t sent = ::send(m_fd, data, size_t(length), MSG_NOSIGNAL);
    if (sent >= 0) {
        if (sent < length)
            setWriteWatch(true);   // the kernel is full: FD_WRITE when it has room again
        return sent;
    }
    const int error = errno;
    if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR)
        setWriteWatch(true);
    fail(error == EINTR ? EAGAIN : error);
    return -1;
}

qint64 EventSocket::receive(char* data, qint64 length)
{
    if (m_fd < 0) {
        fail(ENOTSOCK);
        return -1;
    }
    const ssize_t got = ::recv(m_fd, data, size_t(length), 0);
    const int error = got < 0 ? errno : 0;
    ++m_receiveCount;
    if (m_type == Type::Udp) {
        m_moreToRead = got >= 0;                        // a datagram, empty or not: another may follow
    } else {
        m_moreToRead = got > 0 && got == length;
        const bool wouldBlock = error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
        if ((got == 0 && length > 0) || (got < 0 && !wouldBlock))
            m_endError = winsockErrorFromErrno(error);   // reported as FD_CLOSE once the handler returns
    }
    if (got >= 0)
        return got;
    fail(error == EINTR ? EAGAIN : error);
    return -1;
}

qint64 EventSocket::bytesAvailable() const
{
    int count = 0;
    if (m_fd < 0 || ::ioctl(m_fd, FIONREAD, &count) != 0)
        return 0;
    return count;
}

int EventSocket::setLingerZero()
{
    const linger option{1, 0};
    if (m_fd < 0 || ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &option, sizeof option) != 0)
        return fail(m_fd < 0 ? ENOTSOCK : errno);
    return 0;
}

int EventSocket::setReceiveBufferSize(int bytes)
{
    if (m_fd < 0 || ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) != 0)
        return fail(m_fd < 0 ? ENOTSOCK : errno);
    return 0;
}

void EventSocket::postEvent(int event, int error)
{
    DeferredCalls::post(this, [this, generation = m_generation, event, error] {
        if (generation == m_generation && m_fd >= 0)
            deliver(event, error);
    });
}

void EventSocket::close()
{
    ++m_generation;
    m_connecting = false;
    m_connected = false;
    m_closeReported = false;
    m_moreToRead = false;
    m_endError = -1;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void EventSocket::onReadable()
{
    if (m_type == Type::Udp) {
        deliver(FD_READ, 0);
        return;
    }
    QPointer<EventSocket> alive(this);
    const quint64 generation = m_generation;
    const quint64 receivesBefore = m_receiveCount;
    if (m_endError < 0)
        deliver(FD_READ, 0);
    if (!alive || generation != m_generation || m_closeReported)
        return;                                         // deleted, closed or reopened by the handler
    if (m_endError < 0 && m_receiveCount == receivesBefore)
        lookForEnd();
    if (m_endError >= 0)
        reportClose();
}

// The handler left the bytes where they were: peek, to tell waiting data from an end or a failure.
void EventSocket::lookForEnd()
{
    char probe;
    const ssize_t got = ::recv(m_fd, &probe, 1, MSG_PEEK);
    if (got > 0)
        return;                                         // data: FD_READ comes again
    const int error = got == 0 ? 0 : errno;
    if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR)
        return;
    m_endError = winsockErrorFromErrno(error);
}

void EventSocket::reportClose()
{
    m_closeReported = true;
    m_readNotifier->setEnabled(false);
    setWriteWatch(false);
    deliver(FD_CLOSE, m_endError);
}

void EventSocket::onWritable()
{
    setWriteWatch(false);
    if (m_connecting) {
        finishConnect();
        return;
    }
    deliver(FD_WRITE, 0);
}

void EventSocket::finishConnect()
{
    m_connecting = false;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        error = errno;
    if (error != 0) {
        m_lastError = winsockErrorFromErrno(error);
        deliver(FD_CONNECT, m_lastError);
        return;
    }
    m_connected = true;
    m_readNotifier->setEnabled(true);
    QPointer<EventSocket> alive(this);
    const quint64 generation = m_generation;
    deliver(FD_CONNECT, 0);
    if (alive && generation == m_generation)
        postEvent(FD_WRITE, 0);
}

void EventSocket::deliver(int event, int error)
{
    // A copy, so that a handler replacing itself does not destroy the function that is running.
    if (EventHandler handler = m_handler)
        handler(event, error);
}

int EventSocket::fail(int errnoValue)
{
    m_lastError = winsockErrorFromErrno(errnoValue);
    return m_lastError;
}

void EventSocket::setWriteWatch(bool on)
{
    if (m_fd >= 0 && m_writeNotifier->isEnabled() != on)
        m_writeNotifier->setEnabled(on);
}
