// The system's DNS servers, in place of GetNetworkParams: the "nameserver" lines of resolv.conf, IPv4 only,
// in file order. GetDnsServerAddress() answers the first of them, else the local host's own address.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

inline const QString defaultResolvConfPath = QStringLiteral("/etc/resolv.conf");

// The IPv4 addresses of the nameserver lines of a resolv.conf text (comments after "#" or ";" ignored).
QStringList nameServersFromResolvConf(QByteArrayView text);

// The IPv4 name servers of the file at path; empty when it cannot be read.
QStringList nameServerAddresses(const QString& path = defaultResolvConfPath);

// The first IPv4 name server of the file at path, else GetLocalHostAddress's address ("" when that fails).
QString GetDnsServerAddress(const QString& path = defaultResolvConfPath);

// The dotted address of the local host (its name looked up; this may wait on the resolver). Returns 0 and
// the address, or a Winsock error number and "".
int GetLocalHostAddress(QString& address);
