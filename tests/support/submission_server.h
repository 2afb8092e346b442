// Test submission server: Debian's postfix master with a generated configuration in a temporary folder
// (its own queue, data and mailbox folders), smtpd on 127.0.0.1:587 with STARTTLS and on :465 with TLS
// from the first byte, AUTH only over TLS (smtpd_tls_auth_only), SASL through a dovecot auth process with
// one passwd-file user and dovecot's default mechanism list (PLAIN only), and every message for
// example.test delivered into one maildir. Postfix's log goes to a file in the folder (through its
// postlogd). Needs real root in a private network namespace (the ports are fixed); start() waits (up to
// 60 s) until both ports accept; the destructor stops both servers.
#pragma once

#include <QByteArrayList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace sorvanta::test {

class SubmissionServer {
public:
    struct Options {
        QString user;
        QString password;
        QString certificateFile;      // PEM, made out to 127.0.0.1
        QString keyFile;
    };
    static constexpr quint16 SubmissionPort = 587;
    static constexpr quint16 ImplicitTlsPort = 465;

    explicit SubmissionServer(Options options);
    ~SubmissionServer();
    Q_DISABLE_COPY_MOVE(SubmissionServer)

    // False with *why set where postfix cannot run: not root, inside a user namespace, or not installed.
    static bool canRun(QString* why);

    // False with *error set (the logs' tails included) when a server does not start or listen.
    bool start(QString* error = nullptr);
    void stop();

    // The messages delivered so far, each as its file's bytes.
    QByteArrayList deliveredMessages() const;
    QString log() const;              // the whole of postfix's log

private:
    bool prepareFolders();
    bool writeConfiguration();
    bool listening() const;

    Options m_options;
    QTemporaryDir m_folder;
    QProcess m_master;
    QProcess m_dovecot;
};

}  // namespace sorvanta::test
