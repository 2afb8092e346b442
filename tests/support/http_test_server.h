// A loopback HTTP/1.1 server for tests, in the test's own event loop: each path answers as a route says
// (status, headers and body; silence; part of a body and then silence; a long stream without a length), the
// requests of a kept connection in turn; a route's own Content-Length header replaces the true one. Every
// request line is recorded in order, so a test can tell what was fetched and what never was.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace sorvanta::test {

struct HttpRoute {
    enum class Kind {
        Answer,    // status line, headers and body
        Silent,    // reads the request and never answers
        Stall,     // sends the headers and the first half of the body, then nothing more
        Stream,    // 200 without a length, then streamBytes bytes and the end of the connection
    };
    Kind kind = Kind::Answer;
    int status = 200;
    QByteArray reason = "OK";
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    qint64 streamBytes = 0;

    static HttpRoute ok(const QByteArray& type, const QByteArray& body);
    static HttpRoute redirect(const QByteArray& location);
    static HttpRoute failing(int code, const QByteArray& reason);
    static HttpRoute silent();
    // Headers and half of body, then nothing; claimedLength (when not negative) as its Content-Length.
    static HttpRoute stalled(const QByteArray& body, qint64 claimedLength = -1);
};

// A QObject only so that its sockets and connections end with it; it has no signals.
class HttpTestServer : public QObject {
public:
    HttpTestServer();
    ~HttpTestServer() override;

    quint16 port() const { return m_server.serverPort(); }
    // "http://127.0.0.1:<port>" + path
    QString url(const QString& path) const;
    void route(const QString& path, const HttpRoute& route);
    // The paths asked for, in order ("/a.png"); a path without a route answers 404.
    const QStringList& requests() const { return m_requests; }

private:
    void accept();
    void serve(QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QString, HttpRoute> m_routes;
    QHash<QTcpSocket*, QByteArray> m_pending;   // what each connection sent that is not answered yet
    QStringList m_requests;
};

}  // namespace sorvanta::test
