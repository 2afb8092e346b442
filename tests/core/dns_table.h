// A small DNS server for the verification tests, played by the scripted UDP peer: each domain answers as its
// table entry says (MX records, an empty answer, an address without MX records, a null MX, NXDOMAIN, a CNAME
// first, an error code, silence), and the queries per domain are counted. An A query gets the address only
// for Implicit (and ImplicitAddressFails answers it SERVFAIL). Unknown names get NXDOMAIN. Queries are counted
// by their ID, so a datagram sent again is the same query.
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
    enum class Kind {
        Mx,
        MxBackwards,   // the same hosts as Mx, the less preferred one first in the reply
        Empty, Implicit, ImplicitAddressFails, NullMx, NameError, Cname, Silent,
        SilentOnce,   // the first query goes unanswered (every datagram of it), later ones get Mx
        LostOnce,     // the first datagram is lost, every later one gets Mx
        FormErr, ServFail, NotImp, Refused,
    };

    void set(const QByteArray& domain, Kind kind) { m_kinds[domain] = kind; }
    int queriesFor(const QByteArray& domain) const { return int(m_queryIds.value(domain).size()); }

    // The reply datagram for query, or nothing for a silent domain.
    QByteArray answer(const QByteArray& query)
    {
        using namespace dns_fixtures;
        const QByteArray domain = questionName(query);
        const int datagrams = ++m_datagrams[domain];
        QList<QByteArray>& ids = m_queryIds[domain];
        if (!ids.contains(query.left(2)))
            ids << query.left(2);
        const bool firstQuery = ids.indexOf(query.left(2)) == 0;
        const QByteArray questionSection = query.mid(dns::HeaderSize);   // name, type and class, as asked
        const bool addressQuery = questionSection.endsWith(word(dns::TypeA) + word(dns::ClassIn));
        const QByteArray owner = pointerTo(12);
        const auto packet = [&](int flags, const QList<QByteArray>& answers) {
            QByteArray bytes = query.left(2) + word(flags) + word(1) + word(int(answers.size())) + word(0) + word(0)
                               + questionSection;
            for (const QByteArray& record : answers)
                bytes += record;
            return bytes;
        };
        switch (m_kinds.value(domain, Kind::NameError)) {
        case Kind::Mx:
            return packet(0x8180, {mx(owner, 10, label("mx1") + owner), mx(owner, 20, label("mx2") + owner)});
        case Kind::MxBackwards:
            return packet(0x8180, {mx(owner, 20, label("mx2") + owner), mx(owner, 10, label("mx1") + owner)});
        case Kind::Empty: return packet(0x8180, {});
        case Kind::Implicit: return packet(0x8180, addressQuery ? QList{a(owner, "\x7f\x00\x00\x01")} : QList<QByteArray>{});
        case Kind::ImplicitAddressFails: return packet(addressQuery ? 0x8182 : 0x8180, {});
        case Kind::NullMx: return packet(0x8180, {mx(owner, 0, root())});
        case Kind::NameError: return packet(0x8183, {});
        case Kind::Cname:
            return packet(0x8180, {record(owner, dns::TypeCname, label("alias") + owner), mx(owner, 5, label("mx") + owner)});
        case Kind::Silent: return {};
        case Kind::SilentOnce:
            if (firstQuery)
                return {};
            return packet(0x8180, {mx(owner, 10, label("mx1") + owner)});
        case Kind::LostOnce:
            if (datagrams == 1)
                return {};
            return packet(0x8180, {mx(owner, 10, label("mx1") + owner)});
        case Kind::FormErr: return packet(0x8181, {});
        case Kind::ServFail: return packet(0x8182, {});
        case Kind::NotImp: return packet(0x8184, {});
        case Kind::Refused: return packet(0x8185, {});
        }
        return {};
    }

private:
    QMap<QByteArray, Kind> m_kinds;
    QMap<QByteArray, int> m_datagrams;
    QMap<QByteArray, QList<QByteArray>> m_queryIds;   // in the order they first came
};

}  // namespace sorvanta::test
