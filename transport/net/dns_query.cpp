// TDnsQuery: a fresh connected UDP socket per query, the reply checked and parsed by dns_packet.

#include "transport/net/dns_query.h"

#include "platform/deferred_calls.h"
#include "platform/winsock_error.h"

#include <QPointer>
#include <QRandomGenerator>

namespace {

// RFC 7766 section 8: each message over TCP goes behind its length in two bytes.
constexpr qsizetype kTcpLengthSize = 2;
// A flood of datagrams must not keep the event loop from the other sockets.
constexpr int kMaxDatagramsPerEvent = 64;

// RFC 5452: the ID is half of what a forged reply has to guess, the source port the other half.
quint16 nextQueryId(quint16 previous)
{
    quint16 id = previous;
    while (id == previous)
        id = quint16(QRandomGenerator::global()->generate());
    return id;
}

}  // namespace

TDnsQuery::TDnsQuery(QObject* parent) : QObject(parent), m_socket(new TWSocket(this)), m_tcp(new TWSocket(this))
{
    m_retransmitTimer.setSingleShot(true);
    m_retransmitTimer.setTimerType(Qt::PreciseTimer);   // a coarse timer may fire early
    connect(&m_retransmitTimer, &QTimer::timeout, this, &TDnsQuery::retransmit);
    m_socket->OnDataAvailable = [this](TWSocket*, int error) { onDataAvailable(error); };
    m_tcp->OnSessionConnected = [this](TWSocket*, int error) { onTcpConnected(error); };
    m_tcp->OnDataAvailable = [this](TWSocket*, int) { onTcpData(); };
    m_tcp->OnSessionClosed = [this](TWSocket*, int error) { onTcpClosed(error); };
}

TDnsQuery::~TDnsQuery() = default;

int TDnsQuery::Lookup(const QString& domain, quint16 queryType)
{
    m_queryId = nextQueryId(m_queryId);
    m_responseLength = -1;
    stopWaiting();
    m_retransmissions = 0;
    m_socket->OnDnsLookupDone = nullptr;
    m_tcp->Abort();
    const auto query = dns::buildQuery(m_queryId, domain.toUtf8(), queryType);
    if (!query) {
        postRequestDone(WSAEINVAL);
        return m_queryId;
    }
    m_query = *query;
    m_queryName = domain.endsWith(u'.') ? domain.chopped(1) : domain;
    m_queryType = queryType;
    m_waiting = true;
    m_socket->Abort();                                   // a new socket, a new source port
    m_socket->OnDnsLookupDone = [this, id = m_queryId](TWSocket* socket, int error) {
        socket->OnDnsLookupDone = nullptr;
        if (id != m_queryId)
            return;
        if (error != 0) {
            stopWaiting();
            postRequestDone(error);
            return;
        }
        connectAndSend();
    };
    // A dotted server address is answered inside this call; a host name is looked up first.
    m_socket->DnsLookup(m_addr);
    return m_queryId;
}

void TDnsQuery::connectAndSend()
{
    try {
        m_socket->setProto(QStringLiteral("udp"));
        m_socket->setPort(m_port);
        m_socket->setAddr(m_socket->DnsResult());
        m_socket->Connect();
    } catch (const SocketException&) {
        stopWaiting();
        postRequestDone(m_socket->LastError() ? m_socket->LastError() : WSAEINVAL);
        return;
    }
    m_socket->Send(m_query);
    m_retransmitTimer.start(m_retransmitWait);
}

// The same datagram, so the server sees the same ID and question and a reply to an earlier try is taken too.
void TDnsQuery::retransmit()
{
    if (!m_waiting || m_socket->State() != wsConnected || m_tcp->State() != wsClosed)
        return;
    m_socket->Send(m_query);
    ++m_retransmissions;
    if (m_retransmissions < kMaxRetransmissions)
        m_retransmitTimer.start(m_retransmitWait * (1 << m_retransmissions));
}

void TDnsQuery::stopWaiting()
{
    m_waiting = false;
    m_retransmitTimer.stop();
}

// The ID says which query a reply is for; the question, where the reply repeats it, must be ours too.
bool TDnsQuery::answersQuery(const dns::Reply& reply) const
{
    if (reply.id != m_queryId)
        return false;
    return reply.qdCount == 0
           || (reply.questionType == m_queryType
               && reply.questionName.compare(m_queryName, Qt::CaseInsensitive) == 0);
}

// Takes datagrams until the socket would block: late or foreign replies are dropped on the way.
void TDnsQuery::onDataAvailable(int error)
{
    for (int round = 0; round < kMaxDatagramsPerEvent; ++round) {
        char buffer[dns::MaxDatagramSize];
        const int length = m_socket->Receive(buffer, sizeof buffer);
        if (length < 0)
            return;
        if (!m_waiting)
            continue;   // the reply to this query was accepted already
        if (error != 0) {
            stopWaiting();
            fireRequestDone(error);
            return;
        }
        if (length < dns::HeaderSize)
            continue;
        const QByteArrayView packet(buffer, length);
        if (dns::isTruncatedResponse(packet, m_queryId)) {
            if (m_tcp->State() == wsClosed)
                startTcpQuery();
            continue;
        }
        const auto reply = dns::parseReply(packet);
        if (!reply || !answersQuery(*reply))
            continue;   // malformed, not a response, or meant for another query
        acceptReply(*reply, length);
        return;         // the handler may have started the next query or deleted this one
    }
}

void TDnsQuery::acceptReply(const dns::Reply& reply, int length)
{
    stopWaiting();
    m_reply = reply;
    m_responseLength = length;
    fireRequestDone(0);
}

// ---- the repeat over TCP of a truncated reply

void TDnsQuery::startTcpQuery()
{
    m_retransmitTimer.stop();   // the server answered: the rest comes over TCP
    m_tcpReply.clear();
    try {
        m_tcp->setProto(QStringLiteral("tcp"));
        m_tcp->setPort(m_port);
        m_tcp->setAddr(m_socket->DnsResult());
        m_tcp->Connect();
    } catch (const SocketException&) {
        failTcpQuery(m_tcp->LastError() ? m_tcp->LastError() : WSAEINVAL);
    }
}

void TDnsQuery::onTcpConnected(int error)
{
    if (!m_waiting)
        return;
    if (error != 0) {
        failTcpQuery(error);
        return;
    }
    const quint16 size = quint16(m_query.size());
    QByteArray message;
    message.append(char(size >> 8)).append(char(size & 0xff)).append(m_query);
    m_tcp->Send(message);
}

void TDnsQuery::onTcpData()
{
    const QByteArray data = m_tcp->ReceiveStr();
    if (!m_waiting)
        return;
    m_tcpReply += data;   // bounded: the reply is taken once its announced 65,535 bytes at most are in
    if (m_tcpReply.size() < kTcpLengthSize)
        return;
    const qsizetype size = (quint8(m_tcpReply[0]) << 8) | quint8(m_tcpReply[1]);
    if (m_tcpReply.size() < kTcpLengthSize + size)
        return;
    const QByteArrayView packet = QByteArrayView(m_tcpReply).sliced(kTcpLengthSize, size);
    const auto reply = dns::parseReply(packet);
    if (!reply || !answersQuery(*reply) || reply->truncated) {
        failTcpQuery(WSANO_RECOVERY);
        return;
    }
    stopWaiting();    // the close below is ours, not a failure
    m_tcp->Abort();
    acceptReply(*reply, int(size));
}

void TDnsQuery::onTcpClosed(int error)
{
    if (m_waiting)
        failTcpQuery(error != 0 ? error : WSAECONNABORTED);   // closed before a whole reply
}

void TDnsQuery::failTcpQuery(int error)
{
    if (!m_waiting)
        return;
    stopWaiting();
    m_tcp->Abort();
    fireRequestDone(error);
}

void TDnsQuery::postRequestDone(int error)
{
    DeferredCalls::post(this, [this, error, id = m_queryId] {
        if (id == m_queryId)
            fireRequestDone(error);
    });
}

void TDnsQuery::fireRequestDone(int error)
{
    if (const TDnsRequestDoneEvent handler = OnRequestDone)
        handler(this, error);
}

QString TDnsQuery::MXExchange(int i) const
{
    return i >= 0 && i < m_reply.mxRecords.size() ? m_reply.mxRecords[i].exchange : QString();
}

int TDnsQuery::AnswerType(int i) const
{
    return i >= 0 && i < m_reply.answers.size() ? m_reply.answers[i].type : 0;
}

int TDnsQuery::AnswerTag(int i) const
{
    return i >= 0 && i < m_reply.answers.size() ? m_reply.answers[i].tag : 0;
}
