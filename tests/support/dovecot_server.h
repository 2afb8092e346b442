// Test POP3 server: Debian's dovecot (dovecot-pop3d) started as a child with a generated configuration in a
// temporary folder: its own base_dir and state_dir, pop3 only on one loopback address, one passwd-file user,
// a maildir under the folder. Without a certificate: no SSL, plain-text login allowed; with one: TLS only,
// STLS on the port, or TLS from the first byte (implicitTls), and no login in clear. start() waits (up to 15 s) until it
// greets; the destructor stops it. Needs real root: dovecot drops privileges to its own users.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace sorvanta::test {

class DovecotServer {
public:
    struct Options {
        QString address = QStringLiteral("127.0.0.1");
        quint16 port = 0;             // 0: a free port is picked
        QString user;
        QString password;
        QString certificateFile{};    // PEM; empty: no TLS
        QString keyFile{};
        bool implicitTls = false;     // the port speaks TLS from the first byte (as 995 does)
    };

    explicit DovecotServer(Options options);
    ~DovecotServer();
    Q_DISABLE_COPY_MOVE(DovecotServer)

    // False with *why set where dovecot cannot run: not root, or inside a user namespace, where it
    // may not change groups (setgroups is denied there).
    static bool canRun(QString* why);

    // False with *error set (the log's tail included) when dovecot does not start or greet.
    bool start(QString* error = nullptr);
    void stop();

    quint16 port() const { return m_options.port; }
    QString address() const { return m_options.address; }
    QString log() const;

private:
    bool writeConfiguration();
    bool greets() const;

    Options m_options;
    QTemporaryDir m_folder;
    QProcess m_process;
};

}  // namespace sorvanta::test
