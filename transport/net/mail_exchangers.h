// What a DNS answer says about where a domain's mail goes: the one rule that the relay and the list
// verification share (RFC 5321 section 5.1, RFC 7505 null MX, RFC 1035 response codes). Pure functions
// over a parsed reply; the order among hosts of equal preference comes from the generator handed in.
#pragma once

#include "transport/net/dns_packet.h"

#include <QList>
#include <QString>
#include <QStringList>

class QRandomGenerator;

namespace dns {

constexpr int ResponseNoError = 0;
constexpr int ResponseNameError = 3;   // NXDOMAIN

enum class MailRoute {
    Exchangers,     // MX records name the mail hosts
    NullMx,         // every MX record names the root ("MX 0 ."): the domain accepts no mail
    NoMxRecords,    // NOERROR without MX records: the domain's own address takes its mail (implicit MX)
    NoSuchDomain,   // NXDOMAIN: the domain does not exist
    ServerFailure,  // SERVFAIL, REFUSED, FORMERR, NOTIMP or any other code: nothing is known of the domain
};

struct MailExchangers {
    MailRoute route = MailRoute::ServerFailure;
    QList<MxRecord> hosts;   // Exchangers only: by preference, equal ones in the reply's order, no repeats
    int responseCode = ResponseNoError;
};

// The answer to an MX query. MX records count wherever they stand in the answer (behind a CNAME too).
MailExchangers mailExchangersOf(const Reply& mxReply);

enum class AddressAnswer {
    Found,          // NOERROR with at least one A record
    None,           // NOERROR without one, or NXDOMAIN
    ServerFailure,  // any other code
};
// The answer to the A query that follows NoMxRecords.
AddressAnswer addressAnswerOf(const Reply& addressReply);

// The hosts to try, most preferred first, hosts of equal preference in random order (RFC 5321 section 5.1
// asks for the load to be spread among them); at most limit of them.
QStringList deliveryOrder(const QList<MxRecord>& sortedHosts, qsizetype limit, QRandomGenerator& random);

// "SERVFAIL", "REFUSED", ... for a response code; "RCODE <n>" for one without a name here.
QString responseCodeName(int code);

}  // namespace dns
