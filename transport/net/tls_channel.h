// TlsChannel: one TLS session (TlsSession) on a connected EventSocket, as both socket classes carry it
// (TStarSocket for the user's own servers, TWSocket for mail exchangers): ciphertext is pulled from and
// flushed to the descriptor, plaintext passes through send() and receive(), and encrypted bytes the kernel
// does not take yet wait in a bounded backlog. The owner drives it from its socket events; nothing here
// blocks, posts or notifies. Errors are Winsock numbers; "would block" never counts.
#pragma once

#include "transport/net/tls_session.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

class EventSocket;

class TlsChannel {
public:
    TlsChannel(EventSocket& socket, const QString& host, TlsSession::Verification verification);
    Q_DISABLE_COPY_MOVE(TlsChannel)

    // Takes in what the server sent, continues the handshake and flushes its records; lastError() holds a
    // failure of the connection (the status is then still InProgress).
    TlsSession::Status advanceHandshake();
    bool handshaking() const { return m_session.status() == TlsSession::Status::InProgress; }
    bool secured() const { return m_session.secured(); }
    const QString& errorString() const { return m_session.errorString(); }

    // Hands waiting ciphertext to the kernel; true when none is left. lastError() tells a failure from a
    // full socket (which arms FD_WRITE).
    bool flush();
    // Encrypts all of data: data.size(), or 0 when the backlog is full (lastError() 0: wait for FD_WRITE)
    // or the connection failed (lastError() set).
    qint64 send(QByteArrayView data);
    // Plaintext up to capacity, reading ciphertext until the session needs more than the socket has: a
    // short count means drained, as without TLS. 0 when nothing is there.
    qint64 receive(char* buffer, qint64 capacity);
    // The last receive() filled its buffer: more plaintext may wait inside the session.
    bool mayHaveMoreToRead() const { return m_filledBuffer; }
    // Once, after the server's TLS stream ended (close_notify: 0) or brought bad records (10053): the
    // close the owner must report, as a closed socket would.
    std::optional<int> takeEnd();

    int lastError() const { return m_lastError; }

private:
    bool pullCiphertext();

    EventSocket& m_socket;
    TlsSession m_session;
    QByteArray m_ciphertextOut;         // encrypted bytes the kernel has not taken yet
    int m_lastError = 0;
    bool m_ended = false;               // the server's TLS stream is over: nothing more is read
    bool m_endTaken = false;
    bool m_filledBuffer = false;
};
