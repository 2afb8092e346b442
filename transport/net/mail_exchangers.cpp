// The meaning of an MX answer for delivery and verification: see mail_exchangers.h.

#include "transport/net/mail_exchangers.h"

#include <QRandomGenerator>

#include <algorithm>

namespace dns {
namespace {

// The MX records that name a host, by preference (stable, so equal ones keep the reply's order), each
// host once at its best preference.
QList<MxRecord> usableHosts(const QList<MxRecord>& records)
{
    QList<MxRecord> sorted = records;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const MxRecord& a, const MxRecord& b) { return a.preference < b.preference; });
    QList<MxRecord> hosts;
    for (const MxRecord& record : sorted) {
        if (record.exchange.isEmpty())
            continue;   // the root: no host (RFC 7505)
        const auto same = [&](const MxRecord& kept) {
            return kept.exchange.compare(record.exchange, Qt::CaseInsensitive) == 0;
        };
        if (std::none_of(hosts.cbegin(), hosts.cend(), same))
            hosts.append(record);
    }
    return hosts;
}

}  // namespace

MailExchangers mailExchangersOf(const Reply& mxReply)
{
    MailExchangers result;
    result.responseCode = mxReply.responseCode;
    if (mxReply.responseCode == ResponseNameError) {
        result.route = MailRoute::NoSuchDomain;
        return result;
    }
    if (mxReply.responseCode != ResponseNoError) {
        result.route = MailRoute::ServerFailure;
        return result;
    }
    if (mxReply.mxRecords.isEmpty()) {
        result.route = MailRoute::NoMxRecords;
        return result;
    }
    result.hosts = usableHosts(mxReply.mxRecords);
    result.route = result.hosts.isEmpty() ? MailRoute::NullMx : MailRoute::Exchangers;
    return result;
}

AddressAnswer addressAnswerOf(const Reply& addressReply)
{
    if (addressReply.responseCode == ResponseNameError)
        return AddressAnswer::None;
    if (addressReply.responseCode != ResponseNoError)
        return AddressAnswer::ServerFailure;
    return addressReply.addresses.isEmpty() ? AddressAnswer::None : AddressAnswer::Found;
}

QStringList deliveryOrder(const QList<MxRecord>& sortedHosts, qsizetype limit, QRandomGenerator& random)
{
    QStringList order;
    for (qsizetype start = 0; start < sortedHosts.size() && order.size() < limit;) {
        qsizetype end = start + 1;
        while (end < sortedHosts.size() && sortedHosts[end].preference == sortedHosts[start].preference)
            ++end;
        QStringList tied;
        for (qsizetype i = start; i < end; ++i)
            tied << sortedHosts[i].exchange;
        for (qsizetype i = tied.size() - 1; i > 0; --i)   // Fisher-Yates
            tied.swapItemsAt(i, qsizetype(random.bounded(quint32(i + 1))));
        order << tied.mid(0, limit - order.size());
        start = end;
    }
    return order;
}

QString responseCodeName(int code)
{
    switch (code) {
    case 0: return QStringLiteral("NOERROR");
    case 1: return QStringLiteral("FORMERR");
    case 2: return QStringLiteral("SERVFAIL");
    case 3: return QStringLiteral("NXDOMAIN");
    case 4: return QStringLiteral("NOTIMP");
    case 5: return QStringLiteral("REFUSED");
    default: return QStringLiteral("RCODE %1").arg(code);
    }
}

}  // namespace dns
