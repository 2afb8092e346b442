// The default HELO/EHLO argument: see helo_name.h.

#include "transport/net/helo_name.h"

#include <QHostAddress>
#include <QHostInfo>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

QString heloNameFor(const QString& hostName, const QString& localAddress)
{
    const qsizetype dot = hostName.indexOf(u'.');
    if (dot > 0 && dot < hostName.size() - 1 && !hostName.endsWith(u'.'))
        return hostName;
    return localAddress.isEmpty() ? hostName : u'[' + localAddress + u']';
}

QString defaultHeloName(const QString& localAddress)
{
    return heloNameFor(QHostInfo::localHostName(), localAddress);
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
