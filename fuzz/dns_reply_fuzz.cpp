// libFuzzer target for the DNS reply parser: any datagram must parse or be rejected without reading
// outside it, and a parsed reply keeps the stored arrays within their limits.
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/dns_reply_fuzz.cpp \
//       transport/net/dns_packet.cpp $(pkg-config --cflags --libs Qt6Core) -o /tmp/dns_reply_fuzz
//   /tmp/dns_reply_fuzz -max_len=512 -max_total_time=60

#include "transport/net/dns_packet.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

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
    return 0;
}
