// TlsSession: the client side of one TLS connection as a byte engine without a socket of its own (OpenSSL
// over memory BIOs): ciphertext from the server goes in with feed(), ciphertext for the server comes out of
// takeOutgoing(), plaintext passes through read() and write(). The socket stays with the event-socket core,
// so nothing here blocks or waits. With Verification::Certificate the server's certificate is checked
// against the system trust store, plus the file named by SORVANTA_TEST_CA_FILE when set, and against the
// host text the user entered (a name, or a dotted address). With Verification::None (opportunistic TLS to
// mail exchangers, RFC 7435: it stops passive reading, not an active attacker) nothing is checked, and the
// sessions share one context. TLS 1.2 or newer; renegotiation is refused.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <openssl/types.h>

class TlsSession {
public:
    enum class Status {
        InProgress,     // the handshake needs more from the server
        Done,           // the connection is secured
        Failed,         // see errorString()
    };

    enum class Verification {
        Certificate,    // the user's own server: a certificate that does not check out fails the handshake
        None,           // opportunistic: any certificate is taken
    };

    explicit TlsSession(const QString& host, Verification verification = Verification::Certificate);
    ~TlsSession();
    Q_DISABLE_COPY_MOVE(TlsSession)

    // Takes the server's ciphertext as it arrives.
    void feed(QByteArrayView ciphertext);
    // Ciphertext that must go to the server (handshake records, encrypted data); empties the queue.
    QByteArray takeOutgoing();

    // Continues the handshake with what has been fed; its records for the server wait in takeOutgoing().
    Status handshake();
    Status status() const { return m_status; }
    bool secured() const { return m_status == Status::Done; }

    // Plaintext: the count read, 0 when more ciphertext is needed, -1 when the server ended the
    // connection (close_notify) or the data was bad (errorString()).
    qint64 read(char* data, qint64 capacity);
    // Encrypts all of plaintext into the outgoing queue; false on failure.
    bool write(QByteArrayView plaintext);

    // Why the handshake or a later step failed, in words a user can act on.
    const QString& errorString() const { return m_error; }

    // The environment variable that adds a CA file to the trust store (tests only).
    static const char* extraCaVariable() { return "SORVANTA_TEST_CA_FILE"; }

private:
    bool setUp(const QString& host, Verification verification);
    bool setUpVerifyingContext();
    QString failureReason() const;

    Verification m_verification;
    SSL_CTX* m_context = nullptr;
    SSL* m_ssl = nullptr;
    BIO* m_incoming = nullptr;          // owned by m_ssl
    BIO* m_outgoing = nullptr;          // owned by m_ssl
    Status m_status = Status::InProgress;
    QString m_error;
};
