// libFuzzer target for the SASL challenges a server sends during AUTH: the bytes are a DIGEST-MD5 first
// challenge, a second challenge ("rspauth=...") and a CRAM-MD5 challenge at once. A challenge parses or is
// refused, never read past; an answer is always built from what parsed, and CRAM-MD5 answers "user" and 32
// hex digits whatever the challenge.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 sasl_fuzz (see scripts/fuzz).

#include "transport/mime/base64.h"
#include "transport/mime/sasl_digest.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const QByteArray cram = sasl::cramMd5Response(bytes, "user", "secret");
    if (cram.size() != 4 + 1 + 32 || !cram.startsWith("user "))
        std::abort();

    // The server sends base64; the client decodes it before parsing.
    for (const QByteArray& challenge : {bytes.toByteArray(), base64::decode(bytes)}) {
        const auto parsed = sasl::parseDigestChallenge(challenge);
        if (!parsed)
            continue;
        const sasl::DigestCredentials credentials{"user", "secret", sasl::smtpDigestUri("mail.test"), "cnonce"};
        const QByteArray response = sasl::digestMd5Response(*parsed, credentials);
        if (!response.contains("response="))
            std::abort();
        sasl::digestMd5ServerProved(challenge, *parsed, credentials);
    }
    return 0;
}
