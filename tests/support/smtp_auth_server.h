// Test SMTP server that requires AUTH: starts tests/support/smtp_auth_server.py on Debian's /usr/bin/python3
// (python3-aiosmtpd) with LOGIN and CRAM-MD5 for one user, and collects each message it accepts together
// with the client port of its connection and the mechanism used. Messages arrive while the event loop runs.
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace sorvanta::test {

class SmtpAuthServer {
public:
    struct Options {
        QString listen;                         // "address:port"
        QString user;
        QString password;
        QString mechanisms = QStringLiteral("LOGIN CRAM-MD5");
    };

    struct Message {
        int clientPort = 0;                     // the same for messages of one connection
        QString mechanism;
        QString from;
        QStringList to;
        QByteArray data;                        // as received, dot-unstuffed
    };

    explicit SmtpAuthServer(Options options);
    ~SmtpAuthServer();
    Q_DISABLE_COPY_MOVE(SmtpAuthServer)

    // Waits up to 15 s until the server listens; false with *error set when it cannot start.
    bool start(QString* error = nullptr);
    // Every message accepted so far, in order.
    QList<Message> messages();

private:
    Options m_options;
    QProcess m_process;
    QByteArray m_output;
    QList<Message> m_messages;
};

}  // namespace sorvanta::test
