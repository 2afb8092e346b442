// Pure builders of the SMTP AUTH answers that need a digest: CRAM-MD5 (RFC 2195) and DIGEST-MD5
// (RFC 2831, qop "auth" only, digest-uri "smtp/<host>"). Inputs and outputs are the decoded texts; the
// caller does the Base64 of the AUTH exchange. Malformed challenges give std::nullopt, never a throw.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace sasl {

// "user" + " " + 32 lower-case hex digits of HMAC-MD5(challenge) keyed with the password.
QByteArray cramMd5Response(QByteArrayView challenge, QByteArrayView user, QByteArrayView password);

// What the client takes from the server's first DIGEST-MD5 challenge.
struct DigestChallenge {
    QByteArray realm;           // first realm offered; empty when none
    bool hasRealm = false;
    QByteArray nonce;
    bool utf8 = false;          // the server sent charset=utf-8
};

// Parses the first challenge; fails when it has no nonce, names the nonce twice, offers no qop "auth",
// names an algorithm other than md5-sess, or breaks the directive syntax.
std::optional<DigestChallenge> parseDigestChallenge(QByteArrayView challenge);

struct DigestCredentials {
    QByteArray user;            // in UTF-8 when the challenge said charset=utf-8, else ISO 8859-1
    QByteArray password;
    QByteArray digestUri;       // "smtp/" + the server's host name
    QByteArray cnonce;          // from makeDigestCnonce(); fixed in tests
};

QByteArray makeDigestCnonce();
inline QByteArray smtpDigestUri(QByteArrayView host) { return "smtp/" + host.toByteArray(); }

// The client's answer to the first challenge (the directive list of RFC 2831 section 2.1.2, nc=00000001).
QByteArray digestMd5Response(const DigestChallenge& challenge, const DigestCredentials& credentials);
// True when the server's second challenge is "rspauth=" with the value the server must know; the client
// then answers with an empty line.
bool digestMd5ServerProved(QByteArrayView secondChallenge, const DigestChallenge& challenge,
                           const DigestCredentials& credentials);

}  // namespace sasl
