// TStarSocket: the TCP client base of SendMail and GetMail. It resolves the server's host name without
// blocking, connects on the event-socket core, guards resolution and connection each with a countdown in
// one-second steps, and hands connect, read, write and close notifications to virtual handlers. Every
// operation stores a Winsock error number (0 = none; "would block" never counts). On request the connection
// is secured with TLS (TlsChannel) under send, receive and readLines, so the descendants' dialogue reads the
// same either way. IPv4 only; GUI thread only.
#pragma once

#include "platform/window_message.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class EventSocket;
class HostLookup;
class TlsChannel;

class TStarSocket : public QObject {
    Q_OBJECT

public:
    explicit TStarSocket(QObject* parent = nullptr);
    ~TStarSocket() override;
    Q_DISABLE_COPY_MOVE(TStarSocket)

    // Countdowns of resolution and connection in seconds; 0 means none (a silent server is waited for).
    int TimeoutConnect = 0;
    int TimeoutArp = 0;

    // The host property behind SMTP_Server and Mail_Server. The text is an address only when the whole of
    // it is a dotted IPv4 address; any other text is a host name to resolve. An empty text clears both, so
    // the next resolution fails with 11001 (host not found).
    void setHost(const QString& host);
    const QString& host() const { return m_host; }
    const QString& hostName() const { return m_hostName; }
    const QString& hostAddress() const { return m_hostAddress; }
    bool hostIsAddress() const { return !m_hostAddress.isEmpty(); }

    // Length of one countdown step: a second in the program; tests shorten it so they need not wait.
    void setCountdownStep(std::chrono::milliseconds step) { m_countdownStep = step; }
    std::chrono::milliseconds countdownStepLength() const { return m_countdownStep; }

    // The name of this machine (gethostname); empty when it cannot be had.
    static QString localHostName();
    // The dotted local address of the connection; empty when there is none.
    QString localAddress() const;

protected:
    // Winsock number of the last operation or notification; 0 when it succeeded.
    int lastSocketError() const { return m_lastError; }
    bool connected() const { return m_connected; }
    bool hasSocket() const;
    bool resolving() const;
    // Dotted form of the server's address: the host text's, or the resolved one.
    QString addressText() const;

    // Prepares a socket for the next connection; false (with the error stored) when none can be had.
    bool createSocket();
    // Starts resolving hostName() with the TimeoutArp countdown; the answer arrives in onResolved().
    void resolve();
    // Connects to hostAddress(), or to the resolved address when the host is a name, with the
    // TimeoutConnect countdown; the outcome arrives in onConnect() (lastSocketError() tells success).
    void connectToServer(quint16 port);
    // Writes as much of data as the socket takes now; returns the count (0 on error or when full).
    qint64 send(QByteArrayView data);
    // Reads up to capacity bytes that have arrived; returns the count, 0 when nothing is there.
    qint64 receive(char* buffer, qint64 capacity);
    // Cancels a pending resolution, stops the countdown and closes the socket; nothing is notified.
    void close();
    // Starts a countdown of the given seconds (stopping a running one); 0 or less stops it only.
    void countdown(int seconds);

    // Starts the TLS handshake on the connection, checking the certificate against host(); from here on
    // send and receive carry plaintext through it. Lines received before it are dropped (RFC 3207 section
    // 4.2: nothing said in clear counts afterwards). The handshake is guarded by the TimeoutConnect
    // countdown; its outcome arrives in onTlsFinished().
    void startTls();
    // The handshake has been started (and may have finished).
    bool tlsStarted() const { return m_tls != nullptr; }

    // Bytes that have arrived and wait in the receive buffer, not yet handed on as lines (a partial line
    // included), after taking in what the socket holds now. Called while a line is being handled, it
    // tells whether the server has said more than the reply being handled.
    qsizetype pendingInput();

    // Reads everything that has arrived in blocks of up to 2048 bytes and hands each complete line, without
    // its CR LF, to handleLine; a partial line waits in the receive buffer (capped: an over-long line is
    // handed on in pieces). Stops when handleLine returns false. A call made while a line is being handled
    // only buffers what has arrived; those lines are handed on after the current one.
    void readLines(const std::function<bool(const QByteArray& line)>& handleLine);
    void clearReceiveBuffer()
    {
        m_receiveBuffer.clear();
        m_handedOn = 0;
        ++m_receiveGeneration;
    }
    // Writes the whole of data, letting other events run while the socket cannot take more. Stops early
    // when stop() turns true or on a socket error (stored); returns whether everything was written.
    bool writeAll(QByteArrayView data, const std::function<bool()>& stop);

    // Notifications; lastSocketError() holds the error they carry.
    virtual void onConnect() {}
    virtual void onDisconnect() {}
    virtual void onRead() {}
    virtual void onWrite() {}
    virtual void onResolved() {}
    virtual void onCountdownExpired() {}
    // The end of the handshake: error is empty when the connection is secured, else the reason it is not.
    virtual void onTlsFinished(const QString& error) { Q_UNUSED(error); }
    // Window messages above WM_USER + 1 posted to this object (the descendants' done message).
    virtual void onMessage(const WindowMessage& message) { Q_UNUSED(message); }

    bool event(QEvent* event) override;

private:
    quint32 serverAddress() const;
    void countdownStep();
    void lookupFinished(int error, const QStringList& addresses);
    void handleSocketEvent(int event, int error);
    void waitUntilWritable(const std::function<bool()>& stop);
    qint64 receiveBlock();
    void bufferArrivedData();
    bool handOnLines(const std::function<bool(const QByteArray& line)>& handleLine);
    void dropTls();
    bool tlsHandshaking() const;
    void handshakeEvent(int event);
    void advanceHandshake();
    void finishHandshake(QString error);
    qint64 sendSecured(QByteArrayView data);
    qint64 receiveSecured(char* buffer, qint64 capacity);

    std::unique_ptr<EventSocket> m_socket;
    std::unique_ptr<HostLookup> m_lookup;
    std::unique_ptr<TlsChannel> m_tls;
    bool m_connected = false;
    QString m_host;
    QString m_hostName;
    QString m_hostAddress;
    quint32 m_resolvedAddress = 0;    // host order
    int m_lastError = 0;
    QTimer m_countdownTimer;
    int m_countdownRemaining = 0;
    std::chrono::milliseconds m_countdownStep{1000};
    QByteArray m_receiveBuffer;
    quint64 m_receiveGeneration = 0;
    qsizetype m_handedOn = 0;         // bytes of the receive buffer already handed on as lines
    bool m_readingLines = false;
    bool m_writable = false;
};
