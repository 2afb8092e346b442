// The server side of TLS for the scripted peer (OpenSSL over memory BIOs): ciphertext in from the client,
// ciphertext out to it, plaintext through read() and write(). A test-only twin of the client's engine.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <openssl/types.h>

namespace sorvanta::test {

class TlsServerSession {
public:
    TlsServerSession(const QString& certificateFile, const QString& keyFile);
    ~TlsServerSession();
    TlsServerSession(const TlsServerSession&) = delete;
    TlsServerSession& operator=(const TlsServerSession&) = delete;

    bool isValid() const { return m_ssl != nullptr; }
    void feed(QByteArrayView ciphertext);
    QByteArray takeOutgoing();
    // Continues the handshake; true once it is complete.
    bool handshake();
    bool failed() const { return m_failed; }
    // All plaintext decrypted so far.
    QByteArray readAll();
    void write(QByteArrayView plaintext);

private:
    SSL_CTX* m_context = nullptr;
    SSL* m_ssl = nullptr;
    BIO* m_outgoing = nullptr;
    BIO* m_incoming = nullptr;
    bool m_done = false;
    bool m_failed = false;
};

}  // namespace sorvanta::test
