// TlsSession on OpenSSL's memory BIOs: see tls_session.h. Each session has its own context, so the trust
// store and the test CA variable are read when a connection starts.

#include "transport/net/tls_session.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>

#include <cstdlib>

namespace {

bool isDottedAddress(const QByteArray& host)
{
    in_addr address{};
    return inet_pton(AF_INET, host.constData(), &address) == 1;
}

// The reason OpenSSL gives for the last failure on this thread, or the fallback.
QString openSslReason(const char* fallback)
{
    const unsigned long code = ERR_peek_last_error();
    const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
    return QString::fromLatin1(reason ? reason : fallback);
}

QString verifyReason(long result)
{
    switch (result) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return QStringLiteral("the server's certificate has expired");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return QStringLiteral("the server's certificate is not valid yet");
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return QStringLiteral("the server's certificate comes from an unknown issuer");
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return QStringLiteral("the server's certificate is not made out to this host name");
    }
    return QStringLiteral("the server's certificate was refused (%1)")
        .arg(QString::fromLatin1(X509_verify_cert_error_string(result)));
}

// One context serves every opportunistic session: it holds no trust store and no per-host setting, and
// making one per connection would cost a relay run more than the handshakes.
SSL_CTX* opportunisticContext()
{
    static SSL_CTX* const context = [] {
        SSL_CTX* made = SSL_CTX_new(TLS_client_method());
        if (made) {
            SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION);
            SSL_CTX_set_options(made, SSL_OP_NO_RENEGOTIATION);
            SSL_CTX_set_verify(made, SSL_VERIFY_NONE, nullptr);
        }
        return made;
    }();
    return context;
}

}  // namespace

TlsSession::TlsSession(const QString& host, Verification verification) : m_verification(verification)
{
    if (!setUp(host, verification)) {
        m_status = Status::Failed;
        m_error = openSslReason("TLS could not be set up");
    }
}

TlsSession::~TlsSession()
{
    SSL_free(m_ssl);                    // frees both BIOs
    SSL_CTX_free(m_context);
}

bool TlsSession::setUpVerifyingContext()
{
    m_context = SSL_CTX_new(TLS_client_method());
    if (!m_context)
        return false;
    SSL_CTX_set_min_proto_version(m_context, TLS1_2_VERSION);
    SSL_CTX_set_options(m_context, SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_verify(m_context, SSL_VERIFY_PEER, nullptr);
    if (SSL_CTX_set_default_verify_paths(m_context) != 1)
        return false;
    // Tests trust their own CA this way; a file that cannot be read is a setup failure, never ignored.
    const char* caFile = std::getenv(extraCaVariable());
    return !caFile || !*caFile || SSL_CTX_load_verify_locations(m_context, caFile, nullptr) == 1;
}

bool TlsSession::setUp(const QString& host, Verification verification)
{
    ERR_clear_error();
    if (verification == Verification::Certificate) {
        if (!setUpVerifyingContext())
            return false;
    } else {
        m_context = opportunisticContext();
        if (!m_context || SSL_CTX_up_ref(m_context) != 1) {
            m_context = nullptr;
            return false;
        }
    }

    m_ssl = SSL_new(m_context);
    m_incoming = BIO_new(BIO_s_mem());
    m_outgoing = BIO_new(BIO_s_mem());
    if (!m_ssl || !m_incoming || !m_outgoing) {
        BIO_free(m_incoming);
        BIO_free(m_outgoing);
        m_incoming = m_outgoing = nullptr;
        return false;
    }
    // An empty incoming BIO means "more to come", not the end of the stream.
    BIO_set_mem_eof_return(m_incoming, -1);
    SSL_set_bio(m_ssl, m_incoming, m_outgoing);
    SSL_set_connect_state(m_ssl);

    // The name or address the user entered is what the certificate must be made out to.
    const QByteArray name = host.toUtf8();
    if (verification == Verification::None)
        return isDottedAddress(name) || name.isEmpty() || SSL_set_tlsext_host_name(m_ssl, name.constData()) == 1;
    if (isDottedAddress(name))
        return X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_ssl), name.constData()) == 1;
    SSL_set_hostflags(m_ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    return SSL_set1_host(m_ssl, name.constData()) == 1
           && SSL_set_tlsext_host_name(m_ssl, name.constData()) == 1;
}

void TlsSession::feed(QByteArrayView ciphertext)
{
    if (m_incoming && !ciphertext.isEmpty())
        BIO_write(m_incoming, ciphertext.data(), int(ciphertext.size()));
}

QByteArray TlsSession::takeOutgoing()
{
    QByteArray bytes;
    if (!m_outgoing)
        return bytes;
    const size_t pending = BIO_ctrl_pending(m_outgoing);
    bytes.resize(qsizetype(pending));
    const int got = pending > 0 ? BIO_read(m_outgoing, bytes.data(), int(pending)) : 0;
    bytes.resize(qMax(got, 0));
    return bytes;
}

TlsSession::Status TlsSession::handshake()
{
    if (m_status != Status::InProgress)
        return m_status;
    ERR_clear_error();
    const int rc = SSL_do_handshake(m_ssl);
    if (rc == 1) {
        m_status = Status::Done;
        return m_status;
    }
    const int error = SSL_get_error(m_ssl, rc);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
        return m_status;
    m_status = Status::Failed;
    m_error = failureReason();
    return m_status;
}

QString TlsSession::failureReason() const
{
    // Without verification the result is still recorded, but it failed nothing.
    const long result = m_verification == Verification::Certificate ? SSL_get_verify_result(m_ssl) : X509_V_OK;
    if (result != X509_V_OK)
        return verifyReason(result);
    return QStringLiteral("the secure connection could not be set up (%1)")
        .arg(openSslReason("handshake failed"));
}

qint64 TlsSession::read(char* data, qint64 capacity)
{
    if (m_status != Status::Done)
        return -1;
    ERR_clear_error();
    size_t got = 0;
    if (SSL_read_ex(m_ssl, data, size_t(capacity), &got) == 1)
        return qint64(got);
    const int error = SSL_get_error(m_ssl, 0);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
        return 0;
    if (error != SSL_ERROR_ZERO_RETURN)
        m_error = openSslReason("bad data from the server");
    return -1;
}

bool TlsSession::write(QByteArrayView plaintext)
{
    if (m_status != Status::Done)
        return false;
    if (plaintext.isEmpty())
        return true;
    ERR_clear_error();
    size_t written = 0;
    // A memory BIO takes everything, so a write is never partial.
    if (SSL_write_ex(m_ssl, plaintext.data(), size_t(plaintext.size()), &written) == 1
        && written == size_t(plaintext.size()))
        return true;
    m_error = openSslReason("encryption failed");
    return false;
}
