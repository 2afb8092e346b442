// GetMail's POP3 login (RFC 1939 section 7: USER, PASS), errors by code and text.

#include "transport/pop3/pop3_client.h"

#include "platform/winsock_error.h"

#include <algorithm>

namespace {

// RFC 1939 section 3 allows 255 octets with CR LF; the command text is cut to 253 characters.
constexpr qsizetype kMaxCommand = 253;

// GetMailError values that differ from SendMail's.
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

GetMail::GetMail(QObject* parent)
    : MailClientSocket({InfoConnected, InfoDisconnected, InfoResolving, InfoResolved, InfoBusy}, parent)
{
}

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
        setLastErrorCode(sendmail_error::Cancelled);
        cancel();
        break;
    }
}

void GetMail::startRun()
{
    if (!beginRun())
        return;                         // the running session stays as it is
    m_complete = false;
    setState(State::Greeting);
    connectToHost(Mail_Port);
}

MailErrorText GetMail::socketErrorText(int winsockError) const
{
    MailErrorText mapped = MailClientSocket::socketErrorText(winsockError);
    if (winsockError == WSAEHOSTUNREACH)
        mapped.code = kHostUnreachable;
    return mapped;
}

void GetMail::onConnect()
{
    m_complete = false;
    MailClientSocket::onConnect();
}

void GetMail::onRead()
{
    if (cancelled() || !busy())
        return;
    readLines([this](const QByteArray& line) { return handleLine(line); });
}

bool GetMail::handleLine(const QByteArray& line)
{
    if (cancelled() || !busy())
        return false;
    loginLine(line);
    return !cancelled() && busy();
}

// Only "+OK" goes on (RFC 1939 section 3): "-ERR", a line that is no POP3 status and an over-long line
// are refusals, so a server of another protocol on the port never passes for a login.
void GetMail::loginLine(const QByteArray& line)
{
    const bool positive = line == "+OK" || line.startsWith("+OK ");
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
        if (cancelled())
            return;
        setState(State::PassSent);
        sendCommand(QStringLiteral("PASS ") + User_Password);
        return;
    case State::PassSent:
        if (!positive)
            return accessDenied();
        emit OnMailInfo(InfoAccessGranted, QStringLiteral("Access Granted"));
        if (cancelled())
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
    if (cancelled())
        return;
    awaitReply();
    writeAll(text, [this] { return cancelled(); });
    socketFailed();
}
