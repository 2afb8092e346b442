// The send log: see send_log.h.

#include "core/logs/send_log.h"

#include "core/settings/ini_info.h"
#include "core/base/window_host.h"
#include "platform/appending_file.h"
#include "platform/clock.h"
#include "platform/message_box_flags.h"
#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

namespace {

QString joinedFields(const QStringList& fields)
{
    return fields.join(QLatin1Char(';'));
}

void postWarningBox(const QString& text)
{
    QTimer::singleShot(0, qApp, [text] {
        ShowMessageBox(text, QStringLiteral("Attention"), MB_OK | MB_ICONWARNING);
    });
}

QByteArray logLine(const QString& text)
{
    QString line = Clock::instance().now().toString(QStringLiteral("hh:mm:ss;")) + text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line.toUtf8() + "\r\n";
}

}  // namespace

QString relayResultLogText(const QString& address, const QString& state, const QString& result)
{
    return joinedFields({address, state, result});
}

QString externalErrorLogText(const QString& address, const QString& noText, const QString& comment)
{
    return joinedFields({address, noText, comment});
}

QString externalAcceptedLogText(const QString& address, const QString& okText)
{
    return joinedFields({address, okText});
}

SendLog::SendLog(ErrorReporter reporter) : m_reporter(reporter ? std::move(reporter) : postWarningBox) {}

bool SendLog::OpenSendLog()
{
    const QString folder = programFolderPath() + QStringLiteral("logs");
    if (!QDir().mkpath(folder)) {
        reportFailure(folder + QStringLiteral(": the folder cannot be made"));
        return false;
    }
    const QString name = QStringLiteral("send_%1.log")
                             .arg(Clock::instance().now().toString(QStringLiteral("dd-MM-yy_hh-mm-ss")));
    AppendingFile file;
    if (!file.open(folder + QLatin1Char('/') + name)) {
        reportFailure(file.fileName() + QStringLiteral(": ") + file.errorString());
        return false;
    }
    m_fileName = file.fileName();
    ProjectIniInfo.LogFile = m_fileName;
    return true;
}

void SendLog::WriteSendLog(const QString& text)
{
    if (!m_logOpen)
        m_logOpen = OpenSendLog();
    if (!m_logOpen)
        return;
    // Opened for each line, so that a log taken away during the run is made again.
    AppendingFile file;
    if (!file.open(m_fileName) || !file.append(logLine(text)))
        reportFailure(m_fileName + QStringLiteral(": ") + file.errorString());
}

void SendLog::endRun()
{
    m_logOpen = false;
    m_failureReported = false;
}

void SendLog::reportFailure(const QString& reason)
{
    if (m_failureReported)
        return;
    m_failureReported = true;
    m_reporter(QStringLiteral("The send log cannot be written (%1). The mailing goes on without it.").arg(reason));
}
