// Starter and reader for the authenticating SMTP test server: see smtp_auth_server.h.

#include "tests/support/smtp_auth_server.h"

#include "tests/support/server_process.h"
#include "tests/support/test_home.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace sorvanta::test {

SmtpAuthServer::SmtpAuthServer(Options options) : m_options(std::move(options))
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SmtpAuthServer::~SmtpAuthServer()
{
    stopServerProcess(m_process, StopRequest::CloseInput);
}

bool SmtpAuthServer::start(QString* error)
{
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        m_process.kill();
        m_process.waitForFinished(2000);
        return false;
    };
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {sourcePath("support/smtp_auth_server.py"), "--listen", m_options.listen, "--user",
                     m_options.user, "--password", m_options.password, "--mechanisms", m_options.mechanisms});
    if (!m_process.waitForStarted(5000))
        return fail(QStringLiteral("/usr/bin/python3 does not start: ") + m_process.errorString());
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(60000))
            return fail(QStringLiteral("the SMTP test server did not get ready on ") + m_options.listen);
    }
    if (m_process.readLine().trimmed() != "ready")
        return fail(QStringLiteral("the SMTP test server did not start"));
    return true;
}

QList<SmtpAuthServer::Message> SmtpAuthServer::messages()
{
    m_output += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_output.indexOf('\n')) >= 0) {
        const QJsonObject record = QJsonDocument::fromJson(m_output.left(end)).object();
        m_output.remove(0, end + 1);
        Message message;
        message.clientPort = record.value("port").toInt();
        message.mechanism = record.value("mechanism").toString();
        message.from = record.value("from").toString();
        for (const QJsonValue& to : record.value("to").toArray())
            message.to << to.toString();
        message.data = QByteArray::fromBase64(record.value("data").toString().toLatin1());
        m_messages << message;
    }
    return m_messages;
}

}  // namespace sorvanta::test
