// The event-socket core under TWSocket and TStarSocket, in place of a Winsock socket selected onto a window:
// a non-blocking IPv4 TCP or UDP descriptor watched by QSocketNotifiers on the GUI thread, reporting the
// Winsock events FD_CONNECT, FD_READ, FD_WRITE and FD_CLOSE with Winsock error numbers. It never blocks,
// never raises SIGPIPE (MSG_NOSIGNAL) and keeps no data of its own; buffering is the caller's.
//
// Events reach the handler set with setEventHandler(), one per event-loop dispatch, in Winsock's order:
//   FD_CONNECT(error)  TCP only: the outcome of connectTo() (writability + SO_ERROR; a connect that fails at
//                      once is reported this way too, posted). On success FD_WRITE(0) is posted after it,
//                      as Winsock posts it on connection.
//   FD_READ(0)         data (or a datagram, or a UDP error) is waiting, or (TCP) the stream ended or failed;
//                      level-triggered: it comes again while data stays unread. Nothing is peeked first: the
//                      handler's receive() meets the end (0) or the failure (-1), and FD_CLOSE follows when
//                      the handler returns (a handler that read nothing has the socket looked at for it).
//   FD_WRITE(0)        room to send again after send() answered WSAEWOULDBLOCK; also whatever postEvent() queues.
//   FD_CLOSE(error)    TCP: the peer closed (0) or the connection failed (e.g. 10054); reported once, after the
//                      data that arrived before it has been offered as FD_READ.
// The handler may call send(), close() or even delete the socket (deleteLater is kinder): the core checks
// after each call. Events queued for a descriptor that was closed or replaced meanwhile are dropped.
// The two notifiers live as long as the object and follow each new descriptor: opening and closing a
// connection re-arms them rather than creating and destroying them.
#pragma once

#include <QObject>
#include <QtGlobal>

#include <functional>
#include <memory>

class QSocketNotifier;

constexpr int FD_READ = 1;
constexpr int FD_WRITE = 2;
constexpr int FD_ACCEPT = 8;
constexpr int FD_CONNECT = 16;
constexpr int FD_CLOSE = 32;

class EventSocket : public QObject {
    Q_OBJECT
public:
    enum class Type { Tcp, Udp };
    using EventHandler = std::function<void(int event, int error)>;

    explicit EventSocket(QObject* parent = nullptr);
    ~EventSocket() override;
    Q_DISABLE_COPY_MOVE(EventSocket)

    void setEventHandler(EventHandler handler) { m_handler = std::move(handler); }

    // Creates the non-blocking descriptor; returns 0 or the Winsock error (e.g. 10024 when out of files).
    int open(Type type);
    bool isOpen() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    Type type() const { return m_type; }
    bool isConnected() const { return m_connected; }

    // Connects to an IPv4 address and port, both in host byte order. TCP: returns 0 and reports the outcome
    // as FD_CONNECT. UDP: fixes the peer at once; returns 0 or the Winsock error.
    int connectTo(quint32 address, quint16 port);

    // Writes what the kernel accepts: the count written, or -1 with lastError(). When not everything was
    // taken (a short count or 10035) FD_WRITE is armed for when there is room again.
    qint64 send(const char* data, qint64 length);
    // Reads up to length bytes: the count read, 0 at an orderly end, or -1 with lastError() (10035 = none).
    qint64 receive(char* data, qint64 length);
    // After the last receive(): more may be waiting (TCP: it filled the whole buffer; UDP: it took a
    // datagram). False after a short read, the end, an error or 10035: read again at the next FD_READ.
    bool mayHaveMoreToRead() const { return m_moreToRead; }
    // Bytes waiting to be read (FIONREAD); 0 on error.
    qint64 bytesAvailable() const;

    // Socket options; each returns 0 or the Winsock error.
    int setLingerZero();                 // close() then resets the connection instead of closing it orderly
    int setReceiveBufferSize(int bytes);

    // The error of the last failed call, as a Winsock number.
    int lastError() const { return m_lastError; }

    // Queues event for the handler, delivered from the event loop like a notification; dropped when the
    // descriptor is closed or replaced before it arrives.
    void postEvent(int event, int error = 0);

    // Closes the descriptor (no event follows); pending posted events are dropped.
    void close();

private:
    void onReadable();
    void lookForEnd();
    void reportClose();
    void onWritable();
    void finishConnect();
    void deliver(int event, int error);
    int fail(int errnoValue);
    void setWriteWatch(bool on);

    int m_fd = -1;
    Type m_type = Type::Tcp;
    bool m_connecting = false;
    bool m_connected = false;
    bool m_closeReported = false;
    bool m_moreToRead = false;
    int m_endError = -1;        // TCP: the Winsock error (0 for an orderly end) a read met; -1 none yet
    quint64 m_receiveCount = 0; // receive() calls, to see whether an FD_READ handler read anything
    int m_lastError = 0;
    quint64 m_generation = 0;   // changes whenever the descriptor is closed, to drop stale posted events
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    EventHandler m_handler;
};
