// TDnsQuery: a fresh connected UDP socket per query, the reply checked and parsed by dns_packet.

#include "transport/net/dns_query.h"

#include "platform/winsock_error.h"

#include <QPointer>

TDnsQuery::TDnsQuery(QObject* parent) : QObject(parent), m_socket(new TWSocket(this))
{
    m_socket->OnDataAvailable = [this](TWSocket*, int error) { onDataAvailable(error); };
}

TDnsQuery::~TDnsQuery() = default;

int TDnsQuery::MXLookup(const QString& domain)
{
    ++m_queryId;
    m_responseLength = -1;
    m_waiting = false;
    m_socket->OnDnsLookupDone = nullptr;
    m_socket->Abort();
    const auto query = dns::buildQuery(m_queryId, domain.toUtf8());
    if (!query) {
        postRequestDone(WSAEINVAL);
        return m_queryId;
    }
    m_query = *query;
    m_waiting = true;
    m_socket->OnDnsLookupDone = [this, id = m_queryId](TWSocket* socket, int error) {
        socket->OnDnsLookupDone = nullptr;
        if (id != m_queryId)
            return;
        if (error != 0) {
            m_waiting = false;
            postRequestDone(error);
            return;
        }
        sendQuery();
    };
    // A dotted server address is answered inside this call; a host name is looked up first.
    m_socket->DnsLookup(m_addr);
    return m_queryId;
}

void TDnsQuery::sendQuery()
{
    try {
        m_socket->setProto(QStringLiteral("udp"));
        m_socket->setPort(m_port);
        m_socket->setAddr(m_socket->DnsResult());
        m_socket->Connect();
    } catch (const SocketException&) {
        m_waiting = false;
        postRequestDone(m_socket->LastError() ? m_socket->LastError() : WSAEINVAL);
        return;
    }
    m_socket->Send(m_query);
}

void TDnsQuery::onDataAvailable(int error)
{
    char buffer[dns::MaxDatagramSize];
    const int length = m_socket->Receive(buffer, sizeof buffer);
    if (!m_waiting)
        return;   // the reply to this query was accepted already
    if (error != 0) {
        m_waiting = false;
        fireRequestDone(error);
        return;
    }
    if (length < dns::HeaderSize)
        return;
    const auto reply = dns::parseReply(QByteArrayView(buffer, length));
    if (!reply || reply->id != m_queryId)
        return;   // malformed, not a response, or meant for another query
    m_waiting = false;
    m_reply = *reply;
    m_responseLength = length;
    fireRequestDone(0);
}

void TDnsQuery::postRequestDone(int error)
{
    QMetaObject::invokeMethod(
        this,
        [this, error, id = m_queryId] {
            if (id == m_queryId)
                fireRequestDone(error);
        },
        Qt::QueuedConnection);
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
