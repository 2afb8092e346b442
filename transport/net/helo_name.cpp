// The default HELO/EHLO argument: see helo_name.h.

#include "transport/net/helo_name.h"

#include <QHostAddress>
#include <QHostInfo>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

bool hasInnerDot(const QString& name)
{
    const qsizetype dot = name.indexOf(u'.');
    return dot > 0 && dot < name.size() - 1 && !name.endsWith(u'.');
}

// RFC 1035 section 2.3.1 labels: a placeholder text ("Enter Domain Name") or a name with blanks never
// goes into the greeting.
bool isDomainName(const QString& name)
{
    if (!hasInnerDot(name) || name.size() > 253)
        return false;
    for (const QStringView label : QStringView(name).split(u'.')) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(u'-') || label.endsWith(u'-'))
            return false;
        for (const QChar c : label) {
            if (c.unicode() >= 128 || !(c.isLetterOrNumber() || c == u'-'))
                return false;
        }
    }
    return true;
}

}  // namespace

QString heloNameFor(const QString& hostName, const QString& mailDomain, const QString& localAddress)
{
    if (hasInnerDot(hostName))
        return hostName;
    if (isDomainName(mailDomain.trimmed()))
        return mailDomain.trimmed();
    return localAddress.isEmpty() ? hostName : u'[' + localAddress + u']';
}

QString defaultHeloName(const QString& mailDomain, const QString& localAddress)
{
    return heloNameFor(QHostInfo::localHostName(), mailDomain, localAddress);
}

QString socketLocalAddress(int descriptor)
{
    if (descriptor < 0)
        return QString();
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &length) != 0 || local.sin_family != AF_INET
        || local.sin_addr.s_addr == htonl(INADDR_ANY))
        return QString();
    return QHostAddress(ntohl(local.sin_addr.s_addr)).toString();
}
