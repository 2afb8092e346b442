// resolv.conf reading and the local host's address.

#include "platform/name_servers.h"

#include "platform/winsock_error.h"

#include <QFile>
#include <QList>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

QByteArray withoutComment(QByteArray line)
{
    const qsizetype hash = line.indexOf('#');
    const qsizetype semicolon = line.indexOf(';');
    qsizetype cut = hash < 0 ? semicolon : (semicolon < 0 ? hash : qMin(hash, semicolon));
    if (cut >= 0)
        line.truncate(cut);
    return line;
}

}  // namespace

QStringList nameServersFromResolvConf(QByteArrayView text)
{
    QStringList servers;
    for (const QByteArray& rawLine : text.toByteArray().split('\n')) {
        const QList<QByteArray> words = withoutComment(rawLine).simplified().split(' ');
        if (words.size() < 2 || words[0] != "nameserver")
            continue;
        in_addr address{};
        if (::inet_pton(AF_INET, words[1].constData(), &address) == 1)
            servers.append(QString::fromLatin1(words[1]));
    }
    return servers;
}

QStringList nameServerAddresses(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A resolv.conf is a few hundred bytes; cap the read against a wrong path naming a huge file.
    return nameServersFromResolvConf(file.read(1 << 20));
}

QString GetDnsServerAddress(const QString& path)
{
    const QStringList servers = nameServerAddresses(path);
    if (!servers.isEmpty())
        return servers.first();
    QString address;
    GetLocalHostAddress(address);
    return address;
}

int GetLocalHostAddress(QString& address)
{
    address.clear();
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return winsockErrorFromErrno(errno);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    errno = 0;
    const int rc = ::getaddrinfo(name, nullptr, &hints, &found);
    if (rc != 0)
        return winsockErrorFromAddrInfo(rc, errno);
    char text[INET_ADDRSTRLEN] = {};
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text);
    ::freeaddrinfo(found);
    address = QString::fromLatin1(text);
    return 0;
}
