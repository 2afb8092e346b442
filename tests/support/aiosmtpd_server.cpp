// Starter and reader for the aiosmtpd test server: see aiosmtpd_server.h.

#include "tests/support/aiosmtpd_server.h"

#include "tests/support/server_process.h"
#include "tests/support/test_home.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace sorvanta::test {
namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

AiosmtpdServer::AiosmtpdServer(Options options) : m_options(std::move(options))
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

AiosmtpdServer::~AiosmtpdServer()
{
    stop();
}

bool AiosmtpdServer::start(QString* error)
{
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        stop();
        return false;
    };
    if (!m_store.isValid())
        return fail(QStringLiteral("no temporary folder for the store"));
    QStringList arguments{sourcePath("support/aiosmtpd_store.py"), "--store", m_store.path()};
    for (const QString& address : std::as_const(m_options.listen))
        arguments << "--listen" << address;
    if (!m_options.refusePrefix.isEmpty())
        arguments << "--refuse-prefix" << m_options.refusePrefix;
    if (!m_options.user.isEmpty())
        arguments << "--user" << m_options.user << "--password" << m_options.password;
    m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!m_process.waitForStarted(5000))
        return fail(QStringLiteral("/usr/bin/python3 does not start: ") + m_process.errorString());
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(15000))
            return fail(QStringLiteral("aiosmtpd did not get ready on ") + m_options.listen.join(", "));
    }
    if (m_process.readLine().trimmed() != "ready")
        return fail(QStringLiteral("aiosmtpd did not start"));
    return true;
}

void AiosmtpdServer::stop()
{
    stopServerProcess(m_process, StopRequest::CloseInput);
}

QList<AiosmtpdServer::Message> AiosmtpdServer::messages() const
{
    QList<Message> result;
    const QDir store(m_store.path());
    for (const QString& name : store.entryList({"*.json"}, QDir::Files, QDir::Name)) {
        const QJsonObject envelope = QJsonDocument::fromJson(readFile(store.filePath(name))).object();
        Message message;
        message.server = envelope.value("server").toString();
        message.from = envelope.value("from").toString();
        for (const QJsonValue& to : envelope.value("to").toArray())
            message.to << to.toString();
        message.helo = envelope.value("helo").toString();
        message.data = readFile(store.filePath(name.chopped(5) + ".eml"));
        result << message;
    }
    return result;
}

QStringList AiosmtpdServer::refusedRecipients() const
{
    const QByteArray text = readFile(QDir(m_store.path()).filePath("refused.txt"));
    return QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
}

}  // namespace sorvanta::test
