// A small DNS server for the verification tests, played by the scripted UDP peer: each domain answers as its
// table entry says (MX records, an empty answer, NXDOMAIN, a CNAME first, silence), and the queries per domain
// are counted. Unknown names get NXDOMAIN.
//
//   DnsTable dns;
//   dns.set("good.test", DnsTable::Kind::Mx);
//   peer.expectData().respond([&](const QByteArray& query) { return dns.answer(query); }).repeat();
#pragma once

#include "tests/transport/dns_fixtures.h"
#include "transport/net/dns_packet.h"

#include <QByteArray>
#include <QMap>

namespace sorvanta::test {

// The question name of a query datagram, lower-cased.
inline QByteArray questionName(const QByteArray& query)
{
    qsizetype offset = dns::HeaderSize;
    const auto name = dns::decodeName(query, offset);
    return name ? name->toLower().toUtf8() : QByteArray();
}

class DnsTable {
public:
    enum class Kind { Mx, Empty, NameError, Cname, Silent, SilentOnce };

    void set(const QByteArray& domain, Kind kind) { m_kinds[domain] = kind; }
    int queriesFor(const QByteArray& domain) const { return m_counts.value(domain); }

    // The reply datagram for query, or nothing for a silent domain.
    QByteArray answer(const QByteArray& query)
    {
        using namespace dns_fixtures;
        const QByteArray domain = questionName(query);
        const int count = ++m_counts[domain];
        const QByteArray owner = pointerTo(12);
        QByteArray packet;
        switch (m_kinds.value(domain, Kind::NameError)) {
        case Kind::Mx:
            packet = reply(0, 0x8180, domain,
                           {mx(owner, 10, label("mx1") + owner), mx(owner, 20, label("mx2") + owner)});
            break;
        case Kind::Empty: packet = reply(0, 0x8180, domain, {}); break;
        case Kind::NameError: packet = reply(0, 0x8183, domain, {}); break;
        case Kind::Cname:
            packet = reply(0, 0x8180, domain,
                           {record(owner, dns::TypeCname, label("alias") + owner), mx(owner, 5, label("mx") + owner)});
            break;
        case Kind::Silent: return {};
        case Kind::SilentOnce:
            if (count == 1)
                return {};
            packet = reply(0, 0x8180, domain, {mx(owner, 10, label("mx1") + owner)});
            break;
        }
        return query.left(2) + packet.mid(2);
    }

private:
    QMap<QByteArray, Kind> m_kinds;
    QMap<QByteArray, int> m_counts;
};

}  // namespace sorvanta::test
