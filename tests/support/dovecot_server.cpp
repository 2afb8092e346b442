// Starter for the dovecot test server: see dovecot_server.h.

#include "tests/support/dovecot_server.h"

#include "tests/support/server_process.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <unistd.h>

namespace sorvanta::test {
namespace {

constexpr int kStartSeconds = 60;   // a loaded machine may start it slowly

bool writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

quint16 freePort(const QString& address)
{
    QTcpServer probe;
    return probe.listen(QHostAddress(address), 0) ? probe.serverPort() : 0;
}

}  // namespace

DovecotServer::DovecotServer(Options options) : m_options(std::move(options))
{
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
}

DovecotServer::~DovecotServer()
{
    stop();
}

bool DovecotServer::canRun(QString* why)
{
    if (!canSwitchUsers(QStringLiteral("dovecot"), why))
        return false;
    if (!QFile::exists(QStringLiteral("/usr/sbin/dovecot"))) {
        *why = QStringLiteral("/usr/sbin/dovecot is missing (package dovecot-pop3d)");
        return false;
    }
    return true;
}

bool DovecotServer::writeConfiguration()
{
    const QString folder = m_folder.path();
    // The login and mail processes run as dovenull and dovecot: they must reach the folder and write mail.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                      | QFileDevice::ReadOther | QFileDevice::ExeOther | QFileDevice::ReadGroup
                                      | QFileDevice::ExeGroup);
    QDir(folder).mkpath(QStringLiteral("mail"));
    QFile::setPermissions(folder + "/mail", QFileDevice::Permissions(0x7777));
    const QByteArray dir = folder.toUtf8();
    const QByteArray address = m_options.address.toUtf8();
    const QByteArray users = m_options.user.toUtf8() + ":{PLAIN}" + m_options.password.toUtf8() + "\n";
    const bool tls = !m_options.certificateFile.isEmpty();
    const QByteArray port = QByteArray::number(m_options.port);
    const QByteArray ssl = !tls ? QByteArray("ssl = no\ndisable_plaintext_auth = no\n")
                                : "ssl = required\ndisable_plaintext_auth = yes\nssl_cert = <"
                                      + m_options.certificateFile.toUtf8() + "\nssl_key = <"
                                      + m_options.keyFile.toUtf8() + "\n";
    const bool implicit = tls && m_options.implicitTls;
    const QByteArray configuration =
        "base_dir = " + dir + "/run\n"
        "state_dir = " + dir + "/state\n"
        "log_path = " + dir + "/dovecot.log\n"
        "protocols = pop3\n"
        "listen = " + address + "\n"
        + ssl +
        "auth_mechanisms = plain\n"
        "auth_failure_delay = 0\n"

        "default_internal_user = dovecot\n"
        "default_login_user = dovenull\n"
        "first_valid_uid = 1\n"
        "mail_location = maildir:" + dir + "/mail/%u\n"
        "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " + dir + "/users\n}\n"
        "userdb {\n  driver = static\n  args = uid=dovecot gid=dovecot home=" + dir + "/mail/%u\n}\n"
        "service pop3-login {\n"
        "  inet_listener pop3 {\n    address = " + address + "\n    port = " + (implicit ? "0" : port) + "\n  }\n"
        "  inet_listener pop3s {\n    address = " + address + "\n    port = " + (implicit ? port : "0")
        + "\n    ssl = yes\n  }\n"
        "}\n";
    return writeText(folder + "/users", users) && writeText(folder + "/dovecot.conf", configuration);
}

bool DovecotServer::start(QString* error)
{
    const auto fail = [&](const QString& text) {
        stop();
        if (error)
            *error = text + QStringLiteral("\n") + log();
        return false;
    };
    QString why;
    if (!canRun(&why))
        return fail(why);
    if (!m_folder.isValid())
        return fail(QStringLiteral("no temporary folder"));
    if (m_options.port == 0)
        m_options.port = freePort(m_options.address);
    if (m_options.port == 0 || !writeConfiguration())
        return fail(QStringLiteral("cannot prepare the configuration"));
    m_process.start(QStringLiteral("/usr/sbin/dovecot"), {"-F", "-c", m_folder.path() + "/dovecot.conf"});
    if (!m_process.waitForStarted(5000))
        return fail(QStringLiteral("/usr/sbin/dovecot does not start: ") + m_process.errorString());
    const QDeadlineTimer deadline(kStartSeconds * 1000);
    while (!greets()) {
        if (m_process.state() == QProcess::NotRunning)
            return fail(QStringLiteral("dovecot ended at start-up"));
        if (deadline.hasExpired())
            return fail(QStringLiteral("dovecot did not greet on port ") + QString::number(m_options.port));
        QThread::msleep(50);
    }
    return true;
}

// One probe connection: true when the server's "+OK" greeting arrives (with implicit TLS: when it accepts).
bool DovecotServer::greets() const
{
    QTcpSocket probe;
    probe.connectToHost(QHostAddress(m_options.address), m_options.port);
    if (!probe.waitForConnected(500))
        return false;
    if (m_options.implicitTls && !m_options.certificateFile.isEmpty())
        return true;
    while (!probe.canReadLine())
        if (!probe.waitForReadyRead(1000))
            return false;
    const bool ready = probe.readLine().startsWith("+OK");
    probe.write("QUIT\r\n");
    probe.waitForBytesWritten(500);
    return ready;
}

void DovecotServer::stop()
{
    stopServerProcess(m_process, StopRequest::Terminate);
}

QString DovecotServer::log() const
{
    QFile file(m_folder.path() + "/dovecot.log");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll().right(4000)) : QString();
}

}  // namespace sorvanta::test
