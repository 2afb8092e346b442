// libFuzzer target for the DNS reply parser: any datagram must parse or be rejected without reading
// outside it, and a parsed reply keeps the stored arrays within their limits. The reading of the reply for
// mail (mail_exchangers.h) must hold too: hosts only for MX routes, each a name, sorted, once, and a
// delivery order that takes only those hosts.
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/dns_reply_fuzz.cpp \
//       transport/net/dns_packet.cpp transport/net/mail_exchangers.cpp $(pkg-config --cflags --libs Qt6Core) \
//       -o /tmp/dns_reply_fuzz
//   /tmp/dns_reply_fuzz -max_len=512 -max_total_time=60

#include "transport/net/dns_packet.h"
#include "transport/net/mail_exchangers.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void checkMailReading(const dns::Reply& reply)
{
    const dns::MailExchangers exchangers = dns::mailExchangersOf(reply);
    if ((exchangers.route == dns::MailRoute::Exchangers) == exchangers.hosts.isEmpty())
        std::abort();
    for (qsizetype i = 0; i < exchangers.hosts.size(); ++i) {
        const dns::MxRecord& host = exchangers.hosts[i];
        if (host.exchange.isEmpty() || (i > 0 && host.preference < exchangers.hosts[i - 1].preference))
            std::abort();
        for (qsizetype j = 0; j < i; ++j)
            if (exchangers.hosts[j].exchange.compare(host.exchange, Qt::CaseInsensitive) == 0)
                std::abort();
    }
    QRandomGenerator random(1);
    const QStringList order = dns::deliveryOrder(exchangers.hosts, 5, random);
    if (order.size() != std::min<qsizetype>(5, exchangers.hosts.size()))
        std::abort();
    for (const QString& name : order)
        if (std::none_of(exchangers.hosts.cbegin(), exchangers.hosts.cend(),
                         [&](const dns::MxRecord& host) { return host.exchange == name; }))
            std::abort();
    (void)dns::addressAnswerOf(reply);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto reply = dns::parseReply(QByteArrayView(data, qsizetype(size)));
    if (!reply)
        return 0;
    if (reply->answers.size() > dns::MaxStoredRecords || reply->mxRecords.size() > dns::MaxStoredRecords
        || reply->addresses.size() > dns::MaxStoredRecords)
        std::abort();
    for (const dns::Answer& answer : reply->answers) {
        const auto limit = answer.type == dns::TypeMx ? reply->mxRecords.size()
                           : answer.type == dns::TypeA ? reply->addresses.size()
                                                       : 0;
        if (answer.tag < -1 || answer.tag >= limit || answer.name.size() > 253)
            std::abort();
    }
    checkMailReading(*reply);
    return 0;
}
