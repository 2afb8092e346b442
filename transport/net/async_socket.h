// TWSocket: the non-blocking TCP / connected-UDP socket under the SMTP client and the DNS query. It runs
// on the GUI thread over EventSocket (platform/event_socket.h): asynchronous name lookup, connect, a send
// queue of 1514-byte TBuffer blocks written as the network accepts them, receive, close and abort.
//
// Events are std::function members, set by the owner; each gets the socket and a Winsock error number:
//   OnDnsLookupDone(error)     after DnsLookup/CancelDnsLookup; DnsResult holds the first address.
//   OnSessionConnected(error)  TCP connect outcome (10061 refused, ...). On error OnSessionClosed(error)
//                              follows at once. On success one OnDataSent(0) follows later (Winsock's
//                              FD_WRITE on connection).
//   OnDataAvailable(error)     data waits: call Receive/ReceiveStr. Fired again while data remains; what a
//                              handler leaves unread is discarded in 1024-byte steps, so read it.
//   OnDataSent(error)          the send queue ran empty. Always posted: never fires inside Send.
//   OnSessionClosed(error)     once per connection: the peer closed (0), it failed (10054 reset, ...), or
//                              Close/Abort was called (then inside that call, error 0).
//   OnTlsDone(error)           the end of the handshake StartTls began: 0 when secured, else a Winsock
//                              number (TlsErrorText() says why); from then on Send and Receive carry
//                              plaintext through the session.
// Handlers may call Send, Close, Abort or deleteLater() on the socket. Deleting it inside a handler is
// also survived, but deleteLater() is the rule. Nothing fires from the destructor.
//
// Errors: LastError() holds the Winsock number of the last failure, LastErrorText() its report
// ("Error 10057 in function Send" CR LF "Socket is not connected"). Misuse (changing Addr/Port/Proto when
// not closed, Connect without port or address, an address that is not dotted, a port or protocol that
// cannot be converted, no descriptor left) throws SocketException with the texts of the original component.
// Connect takes dotted addresses only: names go through DnsLookup first (no blocking lookup here).
#pragma once

#include "transport/net/transport_exception.h"

#include "platform/event_socket.h"
#include "platform/host_lookup.h"
#include "transport/net/send_queue.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>

class TlsChannel;

enum TSocketState {
    wsInvalidState = 0,
    wsOpened = 1,
    wsBound = 2,
    wsConnecting = 3,
    wsConnected = 4,
    wsAccepting = 5,
    wsListening = 6,
    wsClosed = 7,
};

class TWSocket : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TWSocket* sender, int error)>;

    explicit TWSocket(QObject* parent = nullptr);
    ~TWSocket() override;
    Q_DISABLE_COPY_MOVE(TWSocket)

    TNotifyEvent OnDataAvailable;
    TNotifyEvent OnDataSent;
    TNotifyEvent OnSessionConnected;
    TNotifyEvent OnSessionClosed;
    TNotifyEvent OnDnsLookupDone;
    TNotifyEvent OnTlsDone;

    // Settable only while the socket is closed (else SocketException "Cannot change X if not closed").
    QString Addr() const { return m_addr; }
    void setAddr(const QString& addr);
    QString Port() const { return m_port; }
    void setPort(const QString& port);
    QString Proto() const { return m_proto; }
    void setProto(const QString& proto);

    QString DnsResult() const { return m_dnsResult; }
    QStringList DnsResultList() const { return m_dnsResultList; }
    int LastError() const { return m_lastError; }
    QString LastErrorText() const { return m_lastErrorText; }
    TSocketState State() const { return m_state; }
    qint64 ReadCount() const { return m_readCount; }   // bytes received since Connect
    qint64 BufferedByteCount() const { return m_sendQueue.byteCount(); }   // bytes still to send
    QList<int> BufferedBlockSizes() const { return m_sendQueue.blockSizes(); }

    // An empty name: OnDnsLookupDone(10022) inside the call. A dotted address: DnsResult := its canonical
    // form and OnDnsLookupDone(0) inside the call. Otherwise an asynchronous lookup (any earlier one is
    // dropped), answered later by OnDnsLookupDone.
    void DnsLookup(const QString& hostName);
    // Drops the pending lookup; when there was one, OnDnsLookupDone(10004) fires inside the call.
    void CancelDnsLookup();

    // TCP: state 3 (connecting), the outcome by OnSessionConnected. UDP: state 4 at once, peer fixed.
    void Connect();
    // Queues and writes data; only when connected, else -1 with LastError 10057. Returns length.
    int Send(const char* data, int length);
    int Send(QByteArrayView data) { return Send(data.data(), int(data.size())); }
    int SendStr(const QByteArray& text) { return Send(text); }
    // Reads up to length bytes: the count, 0 at the end of a TCP stream, -1 with LastError (10035 = none).
    int Receive(char* buffer, int length);
    // Everything available now (empty when nothing is).
    QByteArray ReceiveStr();

    // Secures the connected TCP stream with opportunistic TLS (any certificate is taken: it stops passive
    // reading, RFC 7435). What arrived in clear and was not read is dropped (RFC 3207 section 4.2). While
    // the handshake runs nothing is sent or received; OnTlsDone reports its end.
    void StartTls(const QString& host);
    bool Secured() const;
    QString TlsErrorText() const { return m_tlsErrorText; }

    // Orderly close; OnSessionClosed(0) inside the call unless it already fired for this connection.
    void Close();
    // Drops the send queue and the pending lookup; a connected TCP socket is reset (linger 0); then as Close.
    void Abort();

    static QString LocalHostName();
    // The dotted local address of the connection; empty when not connected.
    QString LocalAddress() const;

private:
    void setState(TSocketState state) { m_state = state; }
    void requireClosed(const char* property) const;
    void onSocketEvent(int event, int error);
    void onConnectEvent(int error);
    void onReadEvent();
    void onWriteEvent();
    void onCloseEvent(int error);
    void finishLookup(int error, const QStringList& addresses);
    void fireLookupDone(int error);
    bool drainIncoming();   // false when a handler closed, reconnected or deleted the socket
    bool fillReadAhead();   // false when no byte came (would block, end, failure)
    bool discardUnread();   // false when nothing was left to drop
    int tryToSend();        // 0, 10035 (wait for FD_WRITE) or the fatal Winsock error
    qint64 writeOut(QByteArrayView data);              // through TLS once secured; -1 with the error stored
    qint64 readIn(char* buffer, qint64 capacity);     // likewise
    bool moreToRead() const;
    bool handshaking() const;
    void onHandshakeEvent(int event, int error);
    void advanceHandshake();
    void finishHandshake(int error, const QString& reason);
    void postTlsEnd();
    void postDataSent();
    void reportError(int error, const QString& operation);
    void internalClose(int error);
    bool fire(const TNotifyEvent& event, int error);   // false when the handler deleted the socket

    QString m_addr;
    QString m_port = QStringLiteral("0");
    QString m_proto = QStringLiteral("tcp");
    QString m_dnsResult;
    QStringList m_dnsResultList;
    int m_lastError = 0;
    QString m_lastErrorText;
    TSocketState m_state = wsClosed;
    qint64 m_readCount = 0;
    quint64 m_connection = 0;          // counts Connect calls, so handlers that reconnect are noticed
    bool m_closeInvoked = false;       // OnSessionClosed already fired for this connection
    bool m_dataSentPosted = false;     // one posted FD_WRITE at a time
    int m_deferredSendError = 0;       // a fatal error met inside Send, reported at the next FD_WRITE
    SendQueue m_sendQueue;
    QByteArray m_readAhead;                // TCP: what the last read brought, handed out by Receive
    int m_readAheadBegin = 0;
    int m_readAheadEnd = 0;
    EventSocket m_socket;
    HostLookup m_lookup;
    std::unique_ptr<TlsChannel> m_tls;     // from StartTls until the connection closes
    QString m_tlsErrorText;
    int m_writeError = 0;                  // the failure of the last writeOut or readIn
};
