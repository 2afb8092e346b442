// TLS over an EventSocket descriptor: see tls_channel.h.

#include "transport/net/tls_channel.h"

#include "platform/event_socket.h"
#include "platform/winsock_error.h"

namespace {

// Ciphertext read from the socket in one go (the largest TLS record and its overhead).
constexpr qint64 kCiphertextBlock = 17 * 1024;
// Encrypted bytes that may wait for the kernel before send() takes no more plaintext.
constexpr qsizetype kMaxCiphertextBacklog = 64 * 1024;

}  // namespace

TlsChannel::TlsChannel(EventSocket& socket, const QString& host, TlsSession::Verification verification)
    : m_socket(socket), m_session(host, verification)
{
}

TlsSession::Status TlsChannel::advanceHandshake()
{
    while (pullCiphertext()) {
    }
    const TlsSession::Status status = m_session.handshake();
    m_ciphertextOut += m_session.takeOutgoing();
    flush();
    return status;
}

// Moves one block of ciphertext from the socket into the session; false when nothing was there.
bool TlsChannel::pullCiphertext()
{
    char block[kCiphertextBlock];
    const qint64 count = m_socket.isOpen() ? m_socket.receive(block, kCiphertextBlock) : 0;
    if (count <= 0)
        return false;
    m_session.feed(QByteArrayView(block, count));
    return true;
}

bool TlsChannel::flush()
{
    m_lastError = 0;
    while (!m_ciphertextOut.isEmpty()) {
        const qint64 written = m_socket.send(m_ciphertextOut.constData(), m_ciphertextOut.size());
        if (written < 0) {
            const int error = m_socket.lastError();
            m_lastError = error == WSAEWOULDBLOCK ? 0 : error;
            return false;
        }
        m_ciphertextOut.remove(0, written);
        if (!m_ciphertextOut.isEmpty() && written == 0)
            return false;
    }
    return true;
}

qint64 TlsChannel::send(QByteArrayView data)
{
    m_lastError = 0;
    if (!m_session.secured()) {
        m_lastError = WSAENOTCONN;          // nothing goes out in clear once TLS was asked for
        return 0;
    }
    if (m_ciphertextOut.size() >= kMaxCiphertextBacklog && !flush())
        return 0;                           // m_lastError: a failure, or 0 and FD_WRITE follows
    if (!m_session.write(data)) {
        m_lastError = WSAECONNABORTED;
        return 0;
    }
    m_ciphertextOut += m_session.takeOutgoing();
    if (!flush() && m_lastError != 0)
        return 0;
    return data.size();
}

qint64 TlsChannel::receive(char* buffer, qint64 capacity)
{
    m_lastError = 0;
    m_filledBuffer = false;
    if (!m_session.secured() || m_ended)
        return 0;
    qint64 filled = 0;
    while (filled < capacity) {
        const qint64 got = m_session.read(buffer + filled, capacity - filled);
        if (got > 0) {
            filled += got;
            continue;
        }
        if (got < 0) {
            m_ended = true;                 // close_notify or bad records: nothing more will be read
            break;
        }
        if (!pullCiphertext())
            break;
    }
    m_filledBuffer = filled == capacity;
    return filled;
}

std::optional<int> TlsChannel::takeEnd()
{
    if (!m_ended || m_endTaken)
        return std::nullopt;
    m_endTaken = true;
    return m_session.errorString().isEmpty() ? 0 : WSAECONNABORTED;
}
