// A throw-away Postfix: configuration written per test, master run in the foreground, Maildir read back.

#include "tests/support/postfix_server.h"

#include "tests/support/server_process.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>

namespace sorvanta::test {

namespace {

// Services of the master process, none chrooted (the temporary folder holds no copy of /etc).
constexpr const char* kMasterCf =
    "127.0.0.1:smtp inet n - n - - smtpd\n"
    "pickup    unix  n - n 60 1 pickup\n"
    "cleanup   unix  n - n -  0 cleanup\n"
    "qmgr      unix  n - n 300 1 qmgr\n"
    "tlsmgr    unix  - - n 1000? 1 tlsmgr\n"
    "rewrite   unix  - - n -  - trivial-rewrite\n"
    "bounce    unix  - - n -  0 bounce\n"
    "defer     unix  - - n -  0 bounce\n"
    "trace     unix  - - n -  0 bounce\n"
    "verify    unix  - - n -  1 verify\n"
    "flush     unix  n - n 1000? 0 flush\n"
    "proxymap  unix  - - n -  - proxymap\n"
    "error     unix  - - n -  - error\n"
    "retry     unix  - - n -  - error\n"
    "discard   unix  - - n -  - discard\n"
    "virtual   unix  - n n -  - virtual\n"
    "anvil     unix  - - n -  1 anvil\n"
    "scache    unix  - - n -  1 scache\n"
    "postlog   unix-dgram n - n - 1 postlogd\n";

bool giveToPostfix(const QString& path)
{
    const passwd* user = ::getpwnam("postfix");
    return user && ::chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) == 0;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

}  // namespace

PostfixServer::PostfixServer(Options options) : m_options(std::move(options)) {}

PostfixServer::~PostfixServer()
{
    stop();
}

QString PostfixServer::tlsSettings() const
{
    if (m_options.certificateFile.isEmpty())
        return {};
    return QStringLiteral("smtpd_tls_security_level = may\n"
                          "smtpd_tls_cert_file = %1\n"
                          "smtpd_tls_key_file = %2\n"
                          "smtpd_tls_received_header = yes\n"
                          "smtpd_tls_loglevel = 1\n")
        .arg(m_options.certificateFile, m_options.keyFile);
}

bool PostfixServer::writeConfiguration(QString* error)
{
    const QString base = m_folder.path();
    const passwd* user = ::getpwnam("postfix");
    if (!user) {
        *error = QStringLiteral("there is no postfix user: install postfix");
        return false;
    }
    // The daemons run as the postfix user: they must reach into the folder.
    QFile::setPermissions(base, QFileDevice::Permissions(0x7755));
    for (const char* folder : {"conf", "queue", "data", "mail"})
        QDir(base).mkdir(QString::fromLatin1(folder));
    if (!giveToPostfix(base + "/data") || !giveToPostfix(base + "/mail")) {
        *error = QStringLiteral("cannot give the data and mail folders to postfix");
        return false;
    }
    const QString mainCf = QStringLiteral(
        "compatibility_level = 3.6\n"
        "queue_directory = %1/queue\n"
        "data_directory = %1/data\n"
        "meta_directory = /etc/postfix\n"
        "mail_owner = postfix\n"
        "setgid_group = postdrop\n"
        "myhostname = %2\n"
        "mydestination =\n"
        "inet_interfaces = 127.0.0.1\n"
        "inet_protocols = ipv4\n"
        "mynetworks = 127.0.0.0/8\n"
        "maillog_file = /dev/stdout\n"
        "alias_maps =\n"
        "alias_database =\n"
        "smtpd_peername_lookup = no\n"
        "biff = no\n"
        "smtpd_helo_required = yes\n"
        "smtpd_helo_restrictions = reject_invalid_helo_hostname, reject_non_fqdn_helo_hostname\n"
        "strict_rfc821_envelopes = yes\n"
        "default_transport = error:outside the test\n"
        "virtual_mailbox_domains = %3\n"
        "virtual_mailbox_base = %1/mail\n"
        "virtual_mailbox_maps = static:inbox/\n"
        "virtual_uid_maps = static:%4\n"
        "virtual_gid_maps = static:%5\n")
        .arg(base, m_options.hostName, m_options.domains.join(QStringLiteral(", ")))
        .arg(user->pw_uid)
        .arg(user->pw_gid)
        + tlsSettings();
    if (!writeFile(base + "/conf/main.cf", mainCf.toUtf8()) || !writeFile(base + "/conf/master.cf", kMasterCf)) {
        *error = QStringLiteral("cannot write the configuration in %1").arg(base);
        return false;
    }
    return true;
}

bool PostfixServer::start(QString* error)
{
    QString text;
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason + QStringLiteral("\n") + log();
        stop();
        return false;
    };
    if (!m_folder.isValid() || !writeConfiguration(&text))
        return fail(text);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("/usr/sbin/postfix"), {"-c", m_folder.path() + "/conf", "start-fg"});
    if (!m_process.waitForStarted(5000))
        return fail(QStringLiteral("postfix does not start: %1").arg(m_process.errorString()));
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running)
            return fail(QStringLiteral("postfix ended"));
        if (greets())
            return true;
        QThread::msleep(100);
    }
    return fail(QStringLiteral("postfix does not greet on 127.0.0.1:25"));
}

bool PostfixServer::greets() const
{
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.1"), 25);
    if (!probe.waitForConnected(200) || !probe.waitForReadyRead(5000))
        return false;
    const bool ready = probe.readAll().startsWith("220 ");
    probe.write("QUIT\r\n");
    probe.waitForBytesWritten(1000);
    return ready;
}

void PostfixServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    QProcess::execute(QStringLiteral("/usr/sbin/postfix"), {"-c", m_folder.path() + "/conf", "stop"});
    stopServerProcess(m_process, StopRequest::Terminate);
}

QList<QByteArray> PostfixServer::deliveredMessages() const
{
    QDir box(m_folder.path() + "/mail/inbox/new");
    QFileInfoList files = box.entryInfoList(QDir::Files);
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.fileName() < b.fileName();                 // Maildir names start with the delivery time
    });
    QList<QByteArray> messages;
    for (const QFileInfo& info : files) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly))
            messages << file.readAll();
    }
    return messages;
}

QString PostfixServer::log()
{
    m_log += QString::fromLocal8Bit(m_process.readAll());
    return m_log;
}

}  // namespace sorvanta::test
