// CRAM-MD5 and DIGEST-MD5 answers. The DIGEST-MD5 challenge parser follows the "#rule" lists of
// RFC 2831 section 7.1: comma-separated token=value or token="quoted\"string" directives.

#include "transport/mime/sasl_digest.h"

#include "transport/mime/base64.h"
#include "transport/mime/md5.h"

#include <QList>
#include <QRandomGenerator>

#include <utility>

namespace sasl {
namespace {

constexpr QByteArrayView kNonceCount = "00000001";

using Directive = std::pair<QByteArray, QByteArray>;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits a directive list; std::nullopt on broken syntax (missing "=", unterminated quote).
std::optional<QList<Directive>> parseDirectives(QByteArrayView text)
{
    QList<Directive> directives;
    qsizetype p = 0;
    const qsizetype n = text.size();
    while (p < n) {
        while (p < n && (isBlank(text[p]) || text[p] == ','))
            ++p;                                            // empty list elements are allowed
        if (p == n)
            break;
        const qsizetype nameStart = p;
        while (p < n && text[p] != '=' && text[p] != ',' && !isBlank(text[p]))
            ++p;
        QByteArray name = text.sliced(nameStart, p - nameStart).toByteArray().toLower();
        while (p < n && isBlank(text[p]))
            ++p;
        if (p == n || text[p] != '=' || name.isEmpty())
            return std::nullopt;
        ++p;
        while (p < n && isBlank(text[p]))
            ++p;
        QByteArray value;
        if (p < n && text[p] == '"') {
            for (++p; p < n && text[p] != '"'; ++p) {
                if (text[p] == '\\' && p + 1 < n)
                    ++p;
                value.append(text[p]);
            }
            if (p == n)
                return std::nullopt;                        // unterminated quoted string
            ++p;
        } else {
            const qsizetype valueStart = p;
            while (p < n && text[p] != ',' && !isBlank(text[p]))
                ++p;
            value = text.sliced(valueStart, p - valueStart).toByteArray();
        }
        directives.append({std::move(name), std::move(value)});
        while (p < n && isBlank(text[p]))
            ++p;
        if (p < n && text[p] != ',')
            return std::nullopt;
    }
    return directives;
}

bool offersAuthQop(const QByteArray& qopOptions)
{
    for (const QByteArray& option : qopOptions.split(','))
        if (option.trimmed().toLower() == "auth")
            return true;
    return false;
}

QByteArray quoted(const QByteArray& value)
{
    QByteArray out = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\')
            out.append('\\');
        out.append(c);
    }
    return out + '"';
}

QByteArray hexMd5(QByteArrayView data) { return Md5Text(data).toHex(); }

// The response value of RFC 2831 section 2.1.2.1; a2Prefix is "AUTHENTICATE" for the client's
// response and empty for the server's rspauth.
QByteArray digestValue(const DigestChallenge& challenge, const DigestCredentials& credentials,
                       QByteArrayView a2Prefix)
{
    const QByteArray a1 = Md5Text(credentials.user + ':' + challenge.realm + ':' + credentials.password) + ':'
                          + challenge.nonce + ':' + credentials.cnonce;
    const QByteArray a2 = a2Prefix.toByteArray() + ':' + credentials.digestUri;
    return hexMd5(hexMd5(a1) + ':' + challenge.nonce + ':' + kNonceCount.toByteArray() + ':'
                  + credentials.cnonce + ":auth:" + hexMd5(a2));
}

}  // namespace

QByteArray cramMd5Response(QByteArrayView challenge, QByteArrayView user, QByteArrayView password)
{
    return user.toByteArray() + ' ' + HmacMd5(challenge, password).toHex();
}

std::optional<DigestChallenge> parseDigestChallenge(QByteArrayView challenge)
{
    const std::optional<QList<Directive>> directives = parseDirectives(challenge);
    if (!directives)
        return std::nullopt;
    DigestChallenge result;
    bool hasNonce = false;
    QByteArray qopOptions = "auth";                       // the default when qop is absent
    for (const auto& [name, value] : *directives) {
        if (name == "realm" && !result.hasRealm) {
            result.realm = value;
            result.hasRealm = true;
        } else if (name == "nonce") {
            if (hasNonce)
                return std::nullopt;                        // section 2.1.1: at most once
            result.nonce = value;
            hasNonce = true;
        } else if (name == "qop") {
            qopOptions = value;
        } else if (name == "charset") {
            result.utf8 = value.toLower() == "utf-8";
        } else if (name == "algorithm" && value.toLower() != "md5-sess") {
            return std::nullopt;
        }
    }
    if (!hasNonce || !offersAuthQop(qopOptions))
        return std::nullopt;
    return result;
}

QByteArray makeDigestCnonce()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return base64::encode(QByteArrayView(reinterpret_cast<const char*>(words), sizeof words));
}

QByteArray digestMd5Response(const DigestChallenge& challenge, const DigestCredentials& credentials)
{
    QByteArray out;
    if (challenge.utf8)
        out += "charset=utf-8,";
    out += "username=" + quoted(credentials.user);
    if (challenge.hasRealm)
        out += ",realm=" + quoted(challenge.realm);
    out += ",nonce=" + quoted(challenge.nonce) + ",nc=" + kNonceCount.toByteArray()
           + ",cnonce=" + quoted(credentials.cnonce) + ",digest-uri=" + quoted(credentials.digestUri)
           + ",response=" + digestValue(challenge, credentials, "AUTHENTICATE") + ",qop=auth";
    return out;
}

bool digestMd5ServerProved(QByteArrayView secondChallenge, const DigestChallenge& challenge,
                           const DigestCredentials& credentials)
{
    const std::optional<QList<Directive>> directives = parseDirectives(secondChallenge);
    if (!directives)
        return false;
    for (const auto& [name, value] : *directives)
        if (name == "rspauth")
            return value == digestValue(challenge, credentials, {});
    return false;
}

}  // namespace sasl
