// Starter for the submission test server: see submission_server.h.

#include "tests/support/submission_server.h"

#include "tests/support/server_process.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QThread>

#include <grp.h>
#include <sys/stat.h>
#include <pwd.h>
#include <unistd.h>

namespace sorvanta::test {
namespace {

constexpr int kStartSeconds = 60;
const QString kMaster = QStringLiteral("/usr/lib/postfix/sbin/master");
const QString kDovecot = QStringLiteral("/usr/sbin/dovecot");

bool writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Makes folder with the owner, group and mode postfix's own installation gives it.
bool makeFolder(const QString& path, const char* user, const char* groupName, mode_t mode)
{
    const passwd* owner = getpwnam(user);
    const group* grp = groupName ? getgrnam(groupName) : nullptr;
    if (!QDir().mkpath(path) || !owner)
        return false;
    const QByteArray native = QFile::encodeName(path);
    return ::chown(native.constData(), owner->pw_uid, grp ? grp->gr_gid : 0) == 0
           && ::chmod(native.constData(), mode) == 0;
}

bool accepts(quint16 port)
{
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    return probe.waitForConnected(500);
}

}  // namespace

SubmissionServer::SubmissionServer(Options options) : m_options(std::move(options))
{
    m_master.setProcessChannelMode(QProcess::MergedChannels);
    m_dovecot.setProcessChannelMode(QProcess::ForwardedChannels);
}

SubmissionServer::~SubmissionServer()
{
    stop();
}

bool SubmissionServer::canRun(QString* why)
{
    if (!canSwitchUsers(QStringLiteral("postfix and dovecot"), why))
        return false;
    if (!QFile::exists(kMaster) || !QFile::exists(kDovecot) || !getpwnam("postfix") || !getgrnam("postdrop")) {
        *why = QStringLiteral("postfix or dovecot is not installed (packages postfix, dovecot-pop3d)");
        return false;
    }
    return true;
}

// The queue as postfix-files lays it out: private folders of the postfix user, maildrop and public for
// the postdrop group; the mailbox folder belongs to nobody, as whom mail is delivered.
bool SubmissionServer::prepareFolders()
{
    const QString folder = m_folder.path();
    QFile::setPermissions(folder, QFileDevice::Permissions(0x7755));
    bool made = makeFolder(folder + "/data", "postfix", nullptr, 0700)
                && makeFolder(folder + "/mail", "nobody", "nogroup", 0700)
                && makeFolder(folder + "/spool/maildrop", "postfix", "postdrop", 01730)
                && makeFolder(folder + "/spool/public", "postfix", "postdrop", 02710)
                && makeFolder(folder + "/spool/pid", "root", nullptr, 0755)
                && QDir().mkpath(folder + "/etc") && QDir().mkpath(folder + "/dovecot");
    for (const char* queue : {"active", "bounce", "corrupt", "defer", "deferred", "flush", "hold", "incoming",
                              "private", "saved", "trace"})
        made = made && makeFolder(folder + "/spool/" + queue, "postfix", nullptr, 0700);
    return made;
}

bool SubmissionServer::writeConfiguration()
{
    const QByteArray dir = m_folder.path().toUtf8();
    const QByteArray mainCf =
        "compatibility_level = 3.6\n"
        "queue_directory = " + dir + "/spool\n"
        "data_directory = " + dir + "/data\n"
        "mail_owner = postfix\nsetgid_group = postdrop\n"
        "inet_interfaces = 127.0.0.1\ninet_protocols = ipv4\n"
        "myhostname = mail.example.test\nmydomain = example.test\nmydestination =\n"
        "notify_classes =\n"
        "maillog_file = " + dir + "/postfix.log\nmaillog_file_prefixes = " + dir + "\n"
        "virtual_mailbox_domains = example.test\n"
        "virtual_mailbox_base = " + dir + "/mail\n"
        "virtual_mailbox_maps = static:inbox/\n"
        "virtual_uid_maps = static:65534\nvirtual_gid_maps = static:65534\nvirtual_minimum_uid = 1\n"
        "smtpd_tls_cert_file = " + m_options.certificateFile.toUtf8() + "\n"
        "smtpd_tls_key_file = " + m_options.keyFile.toUtf8() + "\n"
        "smtpd_tls_security_level = may\nsmtpd_tls_auth_only = yes\nsmtpd_tls_loglevel = 1\n"
        "smtpd_sasl_auth_enable = yes\nsmtpd_sasl_type = dovecot\nsmtpd_sasl_path = private/auth\n"
        "smtpd_relay_restrictions = permit_sasl_authenticated, reject\n"
        "smtpd_recipient_restrictions = permit_sasl_authenticated, reject\n";
    const QByteArray masterCf =
        "587 inet n - n - - smtpd\n"
        "465 inet n - n - - smtpd -o smtpd_tls_wrappermode=yes -o smtpd_tls_security_level=encrypt\n"
        "pickup unix n - n 60 1 pickup\ncleanup unix n - n - 0 cleanup\nqmgr unix n - n 300 1 qmgr\n"
        "tlsmgr unix - - n 1000? 1 tlsmgr\nrewrite unix - - n - - trivial-rewrite\n"
        "bounce unix - - n - 0 bounce\ndefer unix - - n - 0 bounce\ntrace unix - - n - 0 bounce\n"
        "verify unix - - n - 1 verify\nflush unix n - n 1000? 0 flush\nproxymap unix - - n - - proxymap\n"
        "smtp unix - - n - - smtp\nrelay unix - - n - - smtp\nshowq unix n - n - - showq\n"
        "error unix - - n - - error\nretry unix - - n - - error\ndiscard unix - - n - - discard\n"
        "virtual unix - n n - - virtual\nanvil unix - - n - 1 anvil\nscache unix - - n - 1 scache\n"
        "postlog unix-dgram n - n - 1 postlogd\n";
    const QByteArray dovecotConf =
        "base_dir = " + dir + "/dovecot/run\nstate_dir = " + dir + "/dovecot/state\n"
        "log_path = " + dir + "/dovecot/dovecot.log\n"
        "protocols = none\nauth_mechanisms = plain\ndisable_plaintext_auth = no\nssl = no\n"
        "default_internal_user = dovecot\ndefault_login_user = dovenull\n"
        "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " + dir + "/dovecot/users\n}\n"
        "userdb {\n  driver = static\n  args = uid=nobody gid=nogroup home=" + dir + "/mail\n}\n"
        "service auth {\n  unix_listener " + dir + "/spool/private/auth {\n"
        "    mode = 0660\n    user = postfix\n    group = postfix\n  }\n}\n";
    const QByteArray users = m_options.user.toUtf8() + ":{PLAIN}" + m_options.password.toUtf8() + "\n";
    return writeText(m_folder.path() + "/etc/main.cf", mainCf)
           && writeText(m_folder.path() + "/etc/master.cf", masterCf)
           && writeText(m_folder.path() + "/dovecot/dovecot.conf", dovecotConf)
           && writeText(m_folder.path() + "/dovecot/users", users);
}

bool SubmissionServer::start(QString* error)
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
    if (!m_folder.isValid() || !prepareFolders() || !writeConfiguration())
        return fail(QStringLiteral("cannot prepare the folders and configuration"));
    m_dovecot.start(kDovecot, {"-F", "-c", m_folder.path() + "/dovecot/dovecot.conf"});
    m_master.setStandardOutputFile(m_folder.path() + "/master.out");
    m_master.start(kMaster, {"-c", m_folder.path() + "/etc", "-d"});
    if (!m_dovecot.waitForStarted(5000) || !m_master.waitForStarted(5000))
        return fail(QStringLiteral("postfix or dovecot does not start"));
    const QDeadlineTimer deadline(kStartSeconds * 1000);
    while (!listening()) {
        if (m_master.state() == QProcess::NotRunning || m_dovecot.state() == QProcess::NotRunning)
            return fail(QStringLiteral("postfix or dovecot ended at start-up"));
        if (deadline.hasExpired())
            return fail(QStringLiteral("postfix does not listen on 587 and 465"));
        QThread::msleep(50);
    }
    return true;
}

bool SubmissionServer::listening() const
{
    return QFile::exists(m_folder.path() + "/spool/private/auth") && accepts(SubmissionPort)
           && accepts(ImplicitTlsPort);
}

void SubmissionServer::stop()
{
    stopServerProcess(m_master, StopRequest::Terminate);
    stopServerProcess(m_dovecot, StopRequest::Terminate);
}

QByteArrayList SubmissionServer::deliveredMessages() const
{
    QByteArrayList messages;
    const QDir inbox(m_folder.path() + "/mail/inbox/new");
    for (const QString& name : inbox.entryList(QDir::Files, QDir::Name)) {
        QFile file(inbox.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            messages << file.readAll();
    }
    return messages;
}

QString SubmissionServer::log() const
{
    QFile file(m_folder.path() + "/postfix.log");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace sorvanta::test
