// GetMail's POP3 login (RFC 1939 section 7: USER, PASS; RFC 2449 CAPA; RFC 2595 STLS), errors by code
// and text.

#include "transport/pop3/pop3_client.h"

#include "platform/winsock_error.h"

#include <algorithm>

namespace {

// RFC 1939 section 3 allows 255 octets with CR LF; the command text is cut to 253 characters.
constexpr qsizetype kMaxCommand = 253;

// GetMailError values that differ from SendMail's.
constexpr int kHostUnreachable = 18;
constexpr int kAccessDenied = 19;

// The POP3 port that speaks TLS from the first byte (RFC 8314 section 3.3).
constexpr quint16 kImplicitTlsPort = 995;
// A CAPA list longer than this is no honest server's: the login is refused.
constexpr int kMaxCapabilityLines = 256;

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
    m_offersStls = false;
    m_capabilityLines = 0;
    setState(State::Greeting);
    connectToHost(Mail_Port, Mail_Port == kImplicitTlsPort);
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
        return greetingLine(positive);
    case State::CapaSent:
        return capaStatusLine(line, positive);
    case State::CapaList:
        return capabilityLine(line);
    case State::StlsSent:
        return stlsReplyLine(line, positive);
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

// On a connection that is secured already (port 995) there is nothing to ask: USER goes out at once.
void GetMail::greetingLine(bool positive)
{
    if (!positive)
        return accessDenied();
    if (tlsStarted())
        return sendUser();
    setState(State::CapaSent);
    sendCommand(QStringLiteral("CAPA"));
}

// A server that does not know CAPA answers "-ERR" and offers nothing: the login goes on as it always did.
void GetMail::capaStatusLine(const QByteArray& line, bool positive)
{
    if (positive) {
        setState(State::CapaList);
        return;
    }
    if (line.startsWith("-ERR"))
        return sendUser();
    accessDenied();
}

void GetMail::capabilityLine(const QByteArray& line)
{
    if (line != ".") {
        if (line.trimmed().toUpper() == "STLS")
            m_offersStls = true;
        if (++m_capabilityLines > kMaxCapabilityLines)
            accessDenied();
        return;
    }
    if (!m_offersStls)
        return sendUser();
    setState(State::StlsSent);
    sendCommand(QStringLiteral("STLS"));
}

// A server that lists STLS and then refuses it gets no password in clear.
void GetMail::stlsReplyLine(const QByteArray& line, bool positive)
{
    if (positive) {
        startTls();
        return;
    }
    setState(State::Failed);
    reportError(sendmail_error::SecureConnectionFailed,
                QStringLiteral("Secure connection to %1 failed: the server refused STLS (%2)")
                    .arg(Mail_Server(), QString::fromUtf8(line.left(kMaxCommand))));
    cancel();
}

// Implicit TLS waits for the greeting; after STLS the login goes on (RFC 2595 section 4).
void GetMail::onSecured()
{
    if (m_state == State::StlsSent)
        sendUser();
}

void GetMail::sendUser()
{
    if (!credentialsMayGo())
        return;
    setState(State::UserSent);
    sendCommand(QStringLiteral("USER ") + User_ID);
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
