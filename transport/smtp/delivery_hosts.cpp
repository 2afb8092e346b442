// The hosts of one delivery and the texts of local failures: see delivery_hosts.h.

#include "transport/smtp/delivery_hosts.h"

#include "platform/winsock_error.h"

QString noDnsAnswerText(const QString& domain)
{
    return QStringLiteral("No DNS answer for %1").arg(domain);
}

QString hostNotFoundText(const QString& host)
{
    return QStringLiteral("Host %1 not found").arg(host);
}

QString cannotReachText(const QString& host, const QString& reason)
{
    return QStringLiteral("Cannot reach %1: %2").arg(host, reason);
}

QString lostAfterReplyText(const QString& host, const QString& reply, const QString& reason)
{
    return QStringLiteral("Lost %1 after its reply \"%2\": %3").arg(host, reply, reason);
}

namespace {

// A 2xx or 3xx reply line: the server went along with us, so it names no failure of its own.
bool isSuccessReply(const QString& line)
{
    bool ok = false;
    const int code = line.left(3).toInt(&ok);
    return ok && line.size() >= 3 && code >= 200 && code <= 399;
}

QString closeReason(int error)
{
    return error == WSAEINTR ? QStringLiteral("closed by the server") : winsockErrorText(error);
}

}  // namespace

void DeliveryHosts::reset(const QStringList& hosts)
{
    m_hosts = hosts.mid(0, kMaxHosts);
    m_index = 0;
    startConnection();
}

bool DeliveryHosts::advance()
{
    if (m_index + 1 >= m_hosts.size())
        return false;
    ++m_index;
    return true;
}

void DeliveryHosts::startConnection()
{
    m_heard = false;
    m_greetingCode = 0;
}

void DeliveryHosts::lineHeard(QStringView line)
{
    if (m_heard)
        return;
    m_heard = true;
    bool ok = false;
    const int code = line.left(3).toInt(&ok);
    m_greetingCode = ok && line.size() >= 3 ? code : 0;
}

bool DeliveryHosts::mayGiveWay() const
{
    return !m_heard || (m_greetingCode >= 400 && m_greetingCode <= 499);
}

DeliveryHosts::Failure DeliveryHosts::failure(int error, const QString& lastResponse) const
{
    if (error >= WSABASEERR && isSuccessReply(lastResponse))
        return {error, lostAfterReplyText(current(), lastResponse, closeReason(error))};
    if (m_heard || error < WSABASEERR)
        return {error, lastResponse};   // the server's words, or a reply we could not read
    if (error >= WSAHOST_NOT_FOUND && error <= WSANO_DATA)
        return {error, hostNotFoundText(current())};
    const QString reason =
        error == WSAEINTR ? QStringLiteral("closed before the greeting") : winsockErrorText(error);
    return {error, cannotReachText(current(), reason)};
}
