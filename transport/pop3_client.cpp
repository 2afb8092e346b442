// GetMail's run and its POP3 login (RFC 1939 section 7: USER, PASS), errors by code and text.

#include "transport/pop3_client.h"

#include "platform/winsock_error.h"
#include "transport/send_mail_errors.h"

#include <algorithm>

namespace {

constexpr int WM_GETMAIL_DONE = WM_USER + 2;
// RFC 1939 section 3 allows 255 octets with CR LF; the command text is cut to 253 characters.
constexpr qsizetype kMaxCommand = 253;

// GetMailError values outside the socket table.
constexpr int kTimeout = 8;
constexpr int kCancelled = 14;
constexpr int kPrematureDisconnect = 17;
constexpr int kHostUnreachable = 18;
constexpr int kAccessDenied = 19;

enum GetMailInfo {
    InfoConnected = 0,
    InfoDisconnected = 1,
    InfoSending = 6,
    InfoBusy = 9,
    InfoAccessGranted = 10,
    InfoUserAccepted = 11,
    InfoResolving = 12,
    InfoResolved = 13,
};

}  // namespace

GetMail::GetMail(QObject* parent) : TStarSocket(parent) {}

GetMail::~GetMail() = default;

void GetMail::setMail_Action(TGetMailAction action)
{
    switch (action) {
    case TGetMailAction::None:
        break;
    case TGetMailAction::Get_Mail:
        startRun();
        break;
    case TGetMailAction::Cancel_GetMail:
        m_lastErrorCode = kCancelled;
        cancel();
        break;
    }
}

void GetMail::startRun()
{
    if (m_busy) {
        emit OnMailInfo(InfoBusy, QString());     // the running session stays as it is
        return;
    }
    m_busy = true;
    m_cancelled = false;
    m_complete = false;
    m_donePosted = false;
    ++m_run;
    setState(State::Greeting);
    if (!createSocket()) {
        socketFailed();
        return;
    }
    if (hostIsAddress()) {
        connectToServer(Mail_Port);
    } else {
        emit OnMailInfo(InfoResolving, hostName());
        if (m_cancelled)
            return;
        resolve();
    }
    socketFailed();
}

void GetMail::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    close();
    if (m_busy)
        postDone();
}

void GetMail::postDone()
{
    if (m_donePosted)
        return;                         // one done notification per run, however the run ends
    m_donePosted = true;
    WindowMessage::post(this, WM_GETMAIL_DONE, qintptr(m_run));
}

void GetMail::onMessage(const WindowMessage& message)
{
    if (message.msg != WM_GETMAIL_DONE || quint64(message.wParam) != m_run || !m_busy)
        return;
    m_busy = false;
    emit OnDone();
}

void GetMail::reportError(int code, const QString& text)
{
    m_lastErrorCode = code;
    emit OnMailError(code, text);
}

// The check after every socket operation and notification: a socket error is reported and ends the run.
bool GetMail::socketFailed()
{
    if (m_cancelled)
        return true;
    const int error = lastSocketError();
    if (error == 0)
        return false;
    MailErrorText mapped = mailErrorForSocketError(error);
    if (error == WSAEHOSTUNREACH)
        mapped.code = kHostUnreachable;
    reportError(mapped.code, mapped.text);
    cancel();
    return true;
}

void GetMail::onResolved()
{
    if (socketFailed())
        return;
    emit OnMailInfo(InfoResolved, addressText());
    if (m_cancelled)
        return;
    connectToServer(Mail_Port);
    socketFailed();
}

void GetMail::onCountdownExpired()
{
    reportError(kTimeout, QStringLiteral("Connection timed out"));
    cancel();
}

void GetMail::onConnect()
{
    if (socketFailed())
        return;
    emit OnMailInfo(InfoConnected, addressText());
    clearReceiveBuffer();
    m_complete = false;
}

void GetMail::onRead()
{
    if (m_cancelled || !m_busy)
        return;
    readLines([this](const QByteArray& line) { return handleLine(line); });
}

void GetMail::onDisconnect()
{
    if (!m_busy || m_cancelled)
        return;
    if (socketFailed())
        return;
    emit OnMailInfo(InfoDisconnected, QString());
    if (!m_complete)
        reportError(kPrematureDisconnect, QStringLiteral("Prematurely Disconnected"));
    postDone();
}

bool GetMail::handleLine(const QByteArray& line)
{
    if (m_cancelled || !m_busy)
        return false;
    loginLine(line);
    return !m_cancelled && m_busy;
}

// Lines are told apart by their first character: "+" (+OK) or "-" (-ERR); others are ignored.
void GetMail::loginLine(const QByteArray& line)
{
    const bool positive = line.startsWith('+');
    if (!positive && !line.startsWith('-'))
        return;
    switch (m_state) {
    case State::Greeting:
        if (!positive)
            return accessDenied();
        setState(State::UserSent);
        sendCommand(QStringLiteral("USER ") + User_ID);
        return;
    case State::UserSent:
        if (!positive)
            return accessDenied();
        emit OnMailInfo(InfoUserAccepted, QString());
        if (m_cancelled)
            return;
        setState(State::PassSent);
        sendCommand(QStringLiteral("PASS ") + User_Password);
        return;
    case State::PassSent:
        if (!positive)
            return accessDenied();
        emit OnMailInfo(InfoAccessGranted, QStringLiteral("Access Granted"));
        if (m_cancelled)
            return;                     // the owner ended the run: nothing more is sent
        m_complete = true;
        setState(State::QuitSent);
        sendCommand(QStringLiteral("QUIT"));
        return;
    case State::QuitSent:
    case State::Failed:
        return;
    }
}

void GetMail::accessDenied()
{
    setState(State::Failed);
    reportError(kAccessDenied, QStringLiteral("Access Denied"));
    cancel();
}

// Writes the command with CR LF; OnMailInfo(6) first. A line break inside a user name or password
// would smuggle in a further command, so the text ends at the first CR or LF.
void GetMail::sendCommand(const QString& command)
{
    QByteArray text = command.toUtf8();
    const auto lineBreak = std::find_if(text.cbegin(), text.cend(), [](char c) { return c == '\r' || c == '\n'; });
    text.truncate(qMin(qsizetype(lineBreak - text.cbegin()), kMaxCommand));
    text += "\r\n";
    emit OnMailInfo(InfoSending, QString::fromUtf8(text));
    if (m_cancelled)
        return;
    writeAll(text, [this] { return m_cancelled; });
    socketFailed();
}
