// The run of one SendMail or GetMail session: see mail_client_socket.h.

#include "transport/net/mail_client_socket.h"

#include "platform/winsock_error.h"

namespace {

constexpr int WM_MAILCLIENT_DONE = WM_USER + 2;

}  // namespace

MailClientSocket::MailClientSocket(const ProgressInfo& info, QObject* parent) : TStarSocket(parent), m_info(info)
{
    m_replyTimer.setSingleShot(true);
    connect(&m_replyTimer, &QTimer::timeout, this, &MailClientSocket::replyTimedOut);
}

MailClientSocket::~MailClientSocket() = default;

bool MailClientSocket::beginRun()
{
    if (m_busy) {
        emit OnMailInfo(m_info.busy, QString());
        return false;
    }
    m_busy = true;
    m_cancelled = false;
    ++m_run;
    return true;
}

void MailClientSocket::connectToHost(quint16 port, bool implicitTls)
{
    m_port = port;
    m_implicitTls = implicitTls;
    m_secured = false;
    if (!createSocket()) {
        socketFailed();
        return;
    }
    if (hostIsAddress()) {
        connectToServer(port);
    } else {
        emit OnMailInfo(m_info.resolving, hostName());
        if (m_cancelled)
            return;
        resolve();
    }
    socketFailed();
}

void MailClientSocket::cancel()
{
    if (m_cancelled)
        return;
    onCancel();
    m_cancelled = true;
    stopReplyWait();
    close();
    if (m_busy)
        postDone();
}

void MailClientSocket::postDone()
{
    WindowMessage::post(this, WM_MAILCLIENT_DONE, qintptr(m_run));
}

// A run may post its end more than once (an error, the owner's cancel inside it, the close that follows):
// only the first message for the current run ends it.
void MailClientSocket::onMessage(const WindowMessage& message)
{
    if (message.msg != WM_MAILCLIENT_DONE || quint64(message.wParam) != m_run || !m_busy)
        return;
    stopReplyWait();
    onRunFinished();
    m_busy = false;
    emit OnDone();
}

void MailClientSocket::reportError(int code, const QString& text)
{
    m_lastErrorCode = code;
    m_lastErrorText = text;
    emit OnMailError(code, text);
}

bool MailClientSocket::socketFailed()
{
    if (m_cancelled) {
        m_lastErrorText = QStringLiteral("Aborted");
        return true;
    }
    const int error = lastSocketError();
    if (error == 0)
        return false;
    const MailErrorText mapped = socketErrorText(error);
    reportError(mapped.code, mapped.text);
    cancel();
    return true;
}

void MailClientSocket::awaitReply()
{
    if (TimeoutReply > 0 && m_busy && !m_cancelled)
        m_replyTimer.start(TimeoutReply * countdownStepLength());
}

// A server that says nothing, or stops taking the message, would otherwise hold the run until the user
// presses Stop. Once the message is accepted only the server's close was awaited: no error then.
void MailClientSocket::replyTimedOut()
{
    if (!m_busy || m_cancelled)
        return;
    if (sessionComplete()) {
        close();
        postDone();
        return;
    }
    const MailErrorText mapped = socketErrorText(WSAETIMEDOUT);
    reportError(mapped.code, mapped.text);
    cancel();
}

void MailClientSocket::onResolved()
{
    if (socketFailed())
        return;
    emit OnMailInfo(m_info.resolved, addressText());
    if (m_cancelled)
        return;
    connectToServer(m_port);
    socketFailed();
}

void MailClientSocket::onCountdownExpired()
{
    reportError(sendmail_error::Timeout, QStringLiteral("Connection timed out"));
    cancel();
}

void MailClientSocket::onConnect()
{
    if (socketFailed())
        return;
    emit OnMailInfo(m_info.connected, addressText());
    clearReceiveBuffer();
    awaitReply();                       // the greeting (and the handshake before it)
    if (m_implicitTls && !m_cancelled)
        startTls();
}

void MailClientSocket::onTlsFinished(const QString& error)
{
    if (!m_busy || m_cancelled)
        return;
    if (error.isEmpty()) {
        m_secured = true;
        onSecured();
        return;
    }
    reportError(sendmail_error::SecureConnectionFailed,
                QStringLiteral("Secure connection to %1 failed: %2").arg(host(), error));
    cancel();
}

bool MailClientSocket::credentialsMayGo()
{
    if (!RequireTls || m_secured)
        return true;
    reportError(sendmail_error::SecureConnectionFailed,
                QStringLiteral("Secure connection to %1 failed: the server no longer offers a secure connection, "
                               "which may mean an attack; no password was sent")
                    .arg(host()));
    cancel();
    return false;
}

void MailClientSocket::onDisconnect()
{
    if (!m_busy || m_cancelled || socketFailed())
        return;
    stopReplyWait();
    emit OnMailInfo(m_info.disconnected, QString());
    if (!sessionComplete())
        reportError(sendmail_error::PrematureDisconnect, QStringLiteral("Prematurely Disconnected"));
    postDone();
}
