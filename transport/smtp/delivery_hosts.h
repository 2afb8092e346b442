// The mail hosts one recipient's delivery tries in turn (RFC 5321 section 5.1), and the words for failures
// that happen on our side of the wire. While a host has not greeted, failing to reach it, its silence
// until the time-out or a 4xx greeting gives way to the next host, at most kMaxHosts in all; once a host
// has greeted, its replies are final for the recipient. No I/O here: the relay's worker feeds it.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// "No DNS answer for <domain>": every DNS server was silent, failed or answered with an error code.
QString noDnsAnswerText(const QString& domain);
// "Host <name> not found": the name has no address (or, for a recipient's domain, does not exist).
QString hostNotFoundText(const QString& host);
// "Cannot reach <host>: <reason>".
QString cannotReachText(const QString& host, const QString& reason);
// "Lost <host> after its reply "<reply>": <reason>": the connection ended after a reply of success (such
// as the 220 to STARTTLS), which must not stand as the failure's code.
QString lostAfterReplyText(const QString& host, const QString& reply, const QString& reason);

class DeliveryHosts {
public:
    static constexpr qsizetype kMaxHosts = 5;

    // The hosts in the order to try them; only the first kMaxHosts are kept.
    void reset(const QStringList& hosts);
    QString current() const { return m_hosts.value(m_index); }
    // Moves on to the next host; false when none is left.
    bool advance();

    // A connection to current() starts: nothing heard from it yet.
    void startConnection();
    // A reply line from the host; the first line of a connection is its greeting.
    void lineHeard(QStringView line);
    bool greeted() const { return m_heard; }
    // The host failed before it greeted, or greeted with 4xx: the next host may be tried.
    bool mayGiveWay() const;

    // The result of a failed connection to current(): the server's reply line once it said something
    // (unless that line was a success reply), else our own words for the socket or lookup error.
    struct Failure {
        int err = 0;
        QString comment;
    };
    Failure failure(int error, const QString& lastResponse) const;

private:
    QStringList m_hosts;
    qsizetype m_index = 0;
    bool m_heard = false;
    int m_greetingCode = 0;   // 0 when the first line did not start with a reply code
};
