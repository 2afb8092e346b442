// The scripted peer's TLS server engine: see tls_server_session.h.

#include "tests/support/tls_server_session.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

namespace sorvanta::test {

TlsServerSession::TlsServerSession(const QString& certificateFile, const QString& keyFile)
{
    m_context = SSL_CTX_new(TLS_server_method());
    if (!m_context
        || SSL_CTX_use_certificate_chain_file(m_context, certificateFile.toLocal8Bit().constData()) != 1
        || SSL_CTX_use_PrivateKey_file(m_context, keyFile.toLocal8Bit().constData(), SSL_FILETYPE_PEM) != 1)
        return;
    m_ssl = SSL_new(m_context);
    m_incoming = BIO_new(BIO_s_mem());
    m_outgoing = BIO_new(BIO_s_mem());
    BIO_set_mem_eof_return(m_incoming, -1);
    SSL_set_bio(m_ssl, m_incoming, m_outgoing);
    SSL_set_accept_state(m_ssl);
}

TlsServerSession::~TlsServerSession()
{
    SSL_free(m_ssl);
    SSL_CTX_free(m_context);
}

void TlsServerSession::feed(QByteArrayView ciphertext)
{
    if (m_ssl && !ciphertext.isEmpty())
        BIO_write(m_incoming, ciphertext.data(), int(ciphertext.size()));
}

QByteArray TlsServerSession::takeOutgoing()
{
    QByteArray bytes;
    if (!m_ssl)
        return bytes;
    bytes.resize(qsizetype(BIO_ctrl_pending(m_outgoing)));
    const int got = bytes.isEmpty() ? 0 : BIO_read(m_outgoing, bytes.data(), int(bytes.size()));
    bytes.resize(qMax(got, 0));
    return bytes;
}

bool TlsServerSession::handshake()
{
    if (m_done || m_failed || !m_ssl)
        return m_done;
    ERR_clear_error();
    const int rc = SSL_do_handshake(m_ssl);
    if (rc == 1)
        return m_done = true;
    const int error = SSL_get_error(m_ssl, rc);
    m_failed = error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE;
    return false;
}

QByteArray TlsServerSession::readAll()
{
    QByteArray plaintext;
    char block[4096];
    size_t got = 0;
    while (m_done && SSL_read_ex(m_ssl, block, sizeof block, &got) == 1)
        plaintext.append(block, qsizetype(got));
    ERR_clear_error();
    return plaintext;
}

void TlsServerSession::write(QByteArrayView plaintext)
{
    size_t written = 0;
    if (m_done && !plaintext.isEmpty())
        SSL_write_ex(m_ssl, plaintext.data(), size_t(plaintext.size()), &written);
}

}  // namespace sorvanta::test
