// Test SMTP server: starts tests/support/aiosmtpd_store.py on Debian's /usr/bin/python3 (python3-aiosmtpd),
// listening on the given addresses, and reads back what it stored. Recipients whose local part starts with
// refusePrefix are refused with 550; with a user set, AUTH LOGIN and PLAIN are offered without TLS.
// start() waits (up to 15 s) until every address listens; the destructor stops the server.
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace sorvanta::test {

class AiosmtpdServer {
public:
    struct Options {
        QStringList listen;           // "address:port" each, e.g. "127.0.0.1:25"
        QString refusePrefix;         // empty = accept every recipient
        QString user;                 // empty = no AUTH
        QString password;
    };

    struct Message {
        QString server;               // the address it listened on
        QString from;
        QStringList to;               // accepted recipients
        QString helo;
        QByteArray data;              // as received, dot-unstuffed, CR LF line ends
    };

    explicit AiosmtpdServer(Options options);
    ~AiosmtpdServer();
    Q_DISABLE_COPY_MOVE(AiosmtpdServer)

    // False with *error set when python3-aiosmtpd is missing or an address cannot be bound.
    bool start(QString* error = nullptr);
    void stop();

    // Everything stored so far, in the order the server accepted it.
    QList<Message> messages() const;
    // Recipients refused by the prefix rule, in order.
    QStringList refusedRecipients() const;

private:
    Options m_options;
    QTemporaryDir m_store;
    QProcess m_process;
};

}  // namespace sorvanta::test
