// The loopback HTTP test server: see http_test_server.h.

#include "tests/support/http_test_server.h"

#include <QTcpSocket>

namespace sorvanta::test {
namespace {

constexpr qint64 kStreamChunk = 256 * 1024;

// The route's own Content-Length, when it has one, is sent in place of the body's (a claim the body may not keep).
QByteArray head(const HttpRoute& route, bool withLength)
{
    QByteArray text = "HTTP/1.1 " + QByteArray::number(route.status) + ' ' + route.reason + "\r\n";
    bool lengthGiven = false;
    for (const auto& [name, value] : route.headers) {
        text += name + ": " + value + "\r\n";
        lengthGiven = lengthGiven || name.compare("Content-Length", Qt::CaseInsensitive) == 0;
    }
    if (withLength && !lengthGiven)
        text += "Content-Length: " + QByteArray::number(route.body.size()) + "\r\n";
    return text + (withLength ? "" : "Connection: close\r\n") + "\r\n";
}

// Writes the stream in chunks as the socket drains, so memory stays flat however long it is.
void streamTo(QTcpSocket* socket, qint64 bytes)
{
    auto left = std::make_shared<qint64>(bytes);
    const auto more = [socket, left] {
        if (socket->bytesToWrite() > kStreamChunk)
            return;
        if (*left <= 0) {
            socket->disconnectFromHost();
            return;
        }
        const qint64 chunk = qMin(*left, kStreamChunk);
        socket->write(QByteArray(chunk, 'x'));
        *left -= chunk;
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
    more();
}

}  // namespace

HttpRoute HttpRoute::ok(const QByteArray& type, const QByteArray& body)
{
    HttpRoute route;
    route.headers = {{"Content-Type", type}};
    route.body = body;
    return route;
}

HttpRoute HttpRoute::redirect(const QByteArray& location)
{
    HttpRoute route;
    route.status = 302;
    route.reason = "Found";
    route.headers = {{"Location", location}};
    return route;
}

HttpRoute HttpRoute::failing(int code, const QByteArray& reason)
{
    HttpRoute route;
    route.status = code;
    route.reason = reason;
    route.headers = {{"Content-Type", "text/html"}};
    route.body = "<html><body>" + reason + "</body></html>";
    return route;
}

HttpRoute HttpRoute::silent()
{
    HttpRoute route;
    route.kind = Kind::Silent;
    return route;
}

HttpRoute HttpRoute::stalled(const QByteArray& body, qint64 claimedLength)
{
    HttpRoute route = ok("image/png", body);
    route.kind = Kind::Stall;
    if (claimedLength >= 0)
        route.headers.append(qMakePair(QByteArray("Content-Length"), QByteArray::number(claimedLength)));
    return route;
}

HttpTestServer::HttpTestServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &HttpTestServer::accept);
}

HttpTestServer::~HttpTestServer() = default;

QString HttpTestServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void HttpTestServer::route(const QString& path, const HttpRoute& route)
{
    m_routes.insert(path, route);
}

void HttpTestServer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
    }
}

// Requests on one connection are answered in turn (clients keep it for redirects); after a route that does
// not answer whole, the connection takes no more.
void HttpTestServer::serve(QTcpSocket* socket)
{
    QByteArray& pending = m_pending[socket];
    pending += socket->readAll();
    qsizetype end;
    while (!socket->property("held").toBool() && (end = pending.indexOf("\r\n\r\n")) >= 0) {
        const QByteArray requestLine = pending.left(pending.indexOf("\r\n"));
        pending.remove(0, end + 4);
        const QString path = QString::fromLatin1(requestLine.split(' ').value(1));
        m_requests << path;
        const HttpRoute route = m_routes.value(path, HttpRoute::failing(404, "Not Found"));
        socket->setProperty("held", route.kind != HttpRoute::Kind::Answer);
        switch (route.kind) {
        case HttpRoute::Kind::Answer: socket->write(head(route, true) + route.body); break;
        case HttpRoute::Kind::Silent: break;
        case HttpRoute::Kind::Stall: socket->write(head(route, true) + route.body.left(route.body.size() / 2)); break;
        case HttpRoute::Kind::Stream:
            socket->write(head(route, false));
            streamTo(socket, route.streamBytes);
            break;
        }
    }
}

}  // namespace sorvanta::test
