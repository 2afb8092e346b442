// Test MTA: a throw-away Postfix (Debian's postfix package) with its own config_directory, queue_directory
// and data_directory in a temporary folder, listening on 127.0.0.1:25 of the test's private network
// namespace. The virtual delivery agent stores every message for the local domains in one Maildir, read
// back with deliveredMessages(). HELO is required and must be a fully qualified name or an address literal
// (reject_non_fqdn_helo_hostname), as on common real servers. Nothing leaves: mail for other domains fails
// at once. Must run as root (the daemons drop to the postfix user). start() waits (up to 30 s) until the
// server greets; the destructor stops it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace sorvanta::test {

class PostfixServer {
public:
    struct Options {
        QStringList domains = {QStringLiteral("alpha.test")};   // delivered into the Maildir
        QString hostName = QStringLiteral("mx.alpha.test");     // myhostname, in the banner
        // PEM files: when set, smtpd offers STARTTLS (security level "may") and notes TLS in its Received line.
        QString certificateFile;
        QString keyFile;
    };

    explicit PostfixServer(Options options);
    ~PostfixServer();
    Q_DISABLE_COPY_MOVE(PostfixServer)

    // False with *error set when Postfix is missing, cannot bind, or does not greet in time.
    bool start(QString* error = nullptr);
    void stop();

    // The messages delivered so far, as stored (LF line ends, with the Return-Path and Delivered-To lines
    // the delivery agent adds), in delivery order.
    QList<QByteArray> deliveredMessages() const;
    // What the daemons logged.
    QString log();

private:
    bool writeConfiguration(QString* error);
    QString tlsSettings() const;
    bool greets() const;

    Options m_options;
    QTemporaryDir m_folder;
    QProcess m_process;
    QString m_log;
};

}  // namespace sorvanta::test
