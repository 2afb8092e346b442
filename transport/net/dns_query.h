// TDnsQuery: one DNS query (MX, or A for a domain without MX records) over UDP at a time and its reply kept
// in fixed arrays of 50 (transport/dns_packet.h parses it). Each query goes from a fresh UDP socket, so from
// a source port the system picks at random, with a random ID (RFC 5452 section 9.2: a forger must guess
// both), and only a reply with that ID and the query's question counts. A reply with the TC bit is asked for
// again over TCP from the same server (RFC 7766); when that fails the query ends with an error, never with
// the cut reply. A datagram may be lost on the way (or dropped by a busy server), so while no reply has come
// the same query is sent again from the same socket (RFC 1123 section 6.1.3.3), after RetransmitWait and then
// after twice the wait before it, at most kMaxRetransmissions times; a late reply to any try counts. There is
// no time-out here: the owner's timer decides when the server has had long enough.
// A name that is not a valid domain sends nothing and reports 10022; malformed replies, non-responses and
// replies whose ID or question is not the query's are dropped without an event.
//
// Events are std::function members: OnRequestDone(sender, error) fires from the event loop, never inside
// MXLookup, at most once per query: 0 when a reply was parsed, else a Winsock error (10022 invalid name,
// an error of the socket or of the server address lookup; over TCP also 10053 when the server closed
// before a whole reply and 11003 for a reply that cannot be used). The handler may start the next MXLookup or
// deleteLater() the query.
#pragma once

#include "transport/net/async_socket.h"
#include "transport/net/dns_packet.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

class TDnsQuery : public QObject {
    Q_OBJECT
public:
    using TDnsRequestDoneEvent = std::function<void(TDnsQuery* sender, int error)>;
    static constexpr int kMaxRetransmissions = 5;   // 2 + 4 + 8 + 16 + 32 seconds at the default wait

    explicit TDnsQuery(QObject* parent = nullptr);
    ~TDnsQuery() override;
    Q_DISABLE_COPY_MOVE(TDnsQuery)

    TDnsRequestDoneEvent OnRequestDone;

    QString Port() const { return m_port; }
    void setPort(const QString& port) { m_port = port; }
    QString Addr() const { return m_addr; }        // the DNS server: dotted address or host name
    void setAddr(const QString& addr) { m_addr = addr; }
    // The wait before the query is first sent again (2 seconds); each later wait is twice the one before.
    std::chrono::milliseconds RetransmitWait() const { return m_retransmitWait; }
    void setRetransmitWait(std::chrono::milliseconds wait) { m_retransmitWait = wait; }

    // Sends an MX query for domain to Addr:Port and returns the query ID used (random, never the last
    // one's); a query still under way is abandoned (its reply, should it come, is dropped).
    int MXLookup(const QString& domain) { return Lookup(domain, dns::TypeMx); }
    // The same for a query of another type (dns::TypeA).
    int Lookup(const QString& domain, quint16 queryType);

    // MX record i and answer i of the last reply; neutral values ("", 0) outside what was stored (0..49).
    // The exchange of the first answer is MXExchange(AnswerTag(0)) when AnswerType(0) is 15.
    QString MXExchange(int i) const;
    int AnswerType(int i) const;
    int AnswerTag(int i) const;

    // The last accepted reply: header fields, first question, answers, MX records, addresses.
    const dns::Reply& Response() const { return m_reply; }
    int ResponseLength() const { return m_responseLength; }   // -1 while a query waits for its reply
    quint16 QueryId() const { return m_queryId; }

private:
    void connectAndSend();
    void retransmit();
    void stopWaiting();
    bool answersQuery(const dns::Reply& reply) const;
    void onDataAvailable(int error);
    void acceptReply(const dns::Reply& reply, int length);
    void startTcpQuery();
    void onTcpConnected(int error);
    void onTcpData();
    void onTcpClosed(int error);
    void failTcpQuery(int error);
    void postRequestDone(int error);
    void fireRequestDone(int error);

    QString m_port = QStringLiteral("53");
    QString m_addr;
    quint16 m_queryId = 0;
    QString m_queryName;             // the domain asked for, without a trailing dot
    quint16 m_queryType = dns::TypeMx;
    QByteArray m_query;
    int m_responseLength = -1;
    bool m_waiting = false;          // a query is out and no reply was accepted yet
    std::chrono::milliseconds m_retransmitWait{2000};
    int m_retransmissions = 0;       // of the query under way
    QTimer m_retransmitTimer;        // single shot: the next time the datagram goes again
    dns::Reply m_reply;
    TWSocket* m_socket;              // owned (child)
    TWSocket* m_tcp;                 // owned (child): the repeat of a truncated reply
    QByteArray m_tcpReply;           // the two-byte length and what has come of the reply
};
