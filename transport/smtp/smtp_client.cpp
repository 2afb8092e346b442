// SMTP client dialogue: see smtp_client.h.

#include "transport/smtp/smtp_client.h"

#include "platform/deferred_calls.h"
#include "platform/winsock_error.h"
#include "transport/net/async_socket.h"
#include "transport/net/helo_name.h"
#include "transport/net/mail_address.h"

#include <QPointer>

#include <algorithm>

namespace {

// Message text handed to the socket per "all sent" event: big enough for a whole ordinary message, small
// enough that a large attachment streams through memory.
constexpr qsizetype MessageBatchBytes = 16 * 1024;

QString winsockFailure(int error)
{
    return QStringLiteral("500 %1 (Winsock error #%2)").arg(winsockErrorText(error)).arg(error);
}

// CR, LF or NUL inside a command argument would end the command and start another one.
void requireSingleLine(const QString& text, const QString& what)
{
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\0')
            throw SmtpException(QStringLiteral("CR, LF or NUL in %1 '%2'").arg(what, text));
    }
}

// An address inside "<...>": white space, a control character or a bracket would end it early or add an
// ESMTP parameter ("RCPT TO:<a@b>\tNOTIFY=NEVER").
void requireSafeAddress(const QString& address, const QString& what)
{
    if (!isCommandSafeAddress(address))
        throw SmtpException(QStringLiteral("Invalid %1 '%2'").arg(what, printableAddress(address)));
}

}  // namespace

TCustomSmtpClient::TCustomSmtpClient(QObject* parent) : QObject(parent), m_socket(new TWSocket(this))
{
    m_socket->OnDnsLookupDone = [this](TWSocket*, int error) { onDnsLookupDone(error); };
    m_socket->OnSessionConnected = [this](TWSocket*, int error) { onSessionConnected(error); };
    m_socket->OnDataAvailable = [this](TWSocket*, int) { onDataAvailable(); };
    m_socket->OnDataSent = [this](TWSocket*, int) { onDataSent(); };
    m_socket->OnSessionClosed = [this](TWSocket*, int) { onSessionClosed(); };
    m_socket->OnTlsDone = [this](TWSocket*, int error) { onTlsDone(error); };
}

TCustomSmtpClient::~TCustomSmtpClient() = default;

// ---- checks

void TCustomSmtpClient::requireReady() const
{
    if (m_state != State::Ready && m_state != State::InternalReady)
        throw SmtpException(QStringLiteral("SMTP component not ready"));
}

void TCustomSmtpClient::requireReadyAndConnected() const
{
    requireReady();
    if (!m_connected)
        throw SmtpException(QStringLiteral("SMTP component not connected"));
}

QByteArray TCustomSmtpClient::heloName() const
{
    QString name = SignOn;
    if (name.isEmpty()) {
        const QString address = m_socket->LocalAddress();
        name = LocalHostName.isEmpty() ? defaultHeloName(MailDomain, address)
                                       : heloNameFor(LocalHostName, MailDomain, address);
    }
    requireSingleLine(name, QStringLiteral("HELO text"));
    return name.toUtf8();
}

QByteArray TCustomSmtpClient::mailFromCommand() const
{
    const QString sender = FromName.trimmed();
    requireSafeAddress(sender, QStringLiteral("sender"));
    return "MAIL FROM:<" + sender.toUtf8() + ">";
}

void TCustomSmtpClient::requireRecipients() const
{
    if (RcptName.isEmpty())
        throw SmtpException(QStringLiteral("RcptName list is empty"));
    for (const QString& recipient : RcptName)
        requireSafeAddress(recipient.trimmed(), QStringLiteral("recipient"));
}

// ---- operations

void TCustomSmtpClient::Connect()
{
    requireReady();
    if (m_connected)
        throw SmtpException(QStringLiteral("SMTP component already connected"));
    m_requestType = smtpConnect;
    if (!m_highLevel)
        m_errorMessage.clear();
    m_requestDone = false;
    m_requestResult = 0;
    m_endOfDataUnanswered = false;
    m_readingCapabilities = false;
    m_offers8BitMime = false;
    m_clearOnly = false;
    m_securedEhloDue = false;
    m_parser.reset();
    setState(State::DnsLookup);
    m_socket->DnsLookup(Host);
}

void TCustomSmtpClient::Helo()
{
    if (!Esmtp) {
        executeCommand(smtpHelo, heloCommand(), {250});
        return;
    }
    const QByteArray command = "EHLO " + heloName();
    m_offers8BitMime = false;
    m_offersStartTls = false;
    executeCommand(smtpHelo, command, {250}, &TCustomSmtpClient::ehloAnswered);
    m_readingCapabilities = true;
}

// EHLO inside a request already running: after the handshake, or on the clear reconnection.
void TCustomSmtpClient::sendEhlo()
{
    m_offers8BitMime = false;
    m_offersStartTls = false;
    sendCommand("EHLO " + heloName(), {250}, &TCustomSmtpClient::ehloAnswered);
    m_readingCapabilities = true;
}

bool TCustomSmtpClient::Secured() const
{
    return m_socket->Secured();
}

// RFC 5321 section 3.2: a server that does not know EHLO refuses it with a 5xx reply; HELO follows.
void TCustomSmtpClient::ehloAnswered()
{
    m_readingCapabilities = false;
    m_securedEhloDue = false;
    if (m_requestResult >= 500 && m_requestResult < 600) {
        m_errorMessage.clear();
        sendCommand(heloCommand(), {250}, nullptr);
        return;
    }
    if (m_requestResult == 0 && mayStartTls()) {
        sendCommand("STARTTLS", {220}, &TCustomSmtpClient::startTlsAnswered);
        return;
    }
    triggerRequestDone(m_requestResult);
}

bool TCustomSmtpClient::mayStartTls() const
{
    return OpportunisticTls && m_offersStartTls && !m_clearOnly && !m_socket->Secured();
}

void TCustomSmtpClient::startTlsAnswered()
{
    if (m_requestResult != 0) {
        reconnectInClear();
        return;
    }
    m_parser.reset();                                      // nothing said in clear counts afterwards
    try {
        m_socket->StartTls(Host);
    } catch (const SocketException&) {
        reconnectInClear();
    }
}

void TCustomSmtpClient::onTlsDone(int error)
{
    if (m_state != State::WaitingResponse)
        return;
    if (error != 0) {
        reconnectInClear();
        return;
    }
    m_securedEhloDue = true;
    sendEhlo();
}

// The same address again, greeted without STARTTLS: the request goes on from the banner with EHLO.
void TCustomSmtpClient::reconnectInClear()
{
    m_clearOnly = true;
    m_securedEhloDue = false;
    setState(State::Aborting);
    m_socket->Abort();
    m_connected = false;
    m_errorMessage.clear();
    m_requestResult = 0;
    m_readingCapabilities = false;
    m_offers8BitMime = false;
    m_parser.reset();
    m_steps.prepend(Step::Helo);
    m_highLevel = true;
    try {
        setState(State::Connecting);
        m_socket->Connect();
    } catch (const SocketException& e) {
        failRequest(500, "500 SocketException: " + e.text());
    }
}

// "250-8BITMIME": the keyword after the code, in any case, with or without parameters.
void TCustomSmtpClient::noteCapability(const QByteArray& line)
{
    const QByteArray keyword = line.mid(4).trimmed().split(' ').value(0).toUpper();
    if (keyword == "8BITMIME")
        m_offers8BitMime = true;
    else if (keyword == "STARTTLS")
        m_offersStartTls = true;
}

void TCustomSmtpClient::Vrfy()
{
    requireSingleLine(QString::fromUtf8(HdrTo), QStringLiteral("VRFY argument"));
    executeCommand(smtpVrfy, "VRFY " + HdrTo, {250});
}

void TCustomSmtpClient::MailFrom()
{
    const QByteArray command = mailFromCommand();
    executeCommand(smtpMailFrom, command + mailFromParameters(), {250});
}

void TCustomSmtpClient::RcptTo()
{
    requireReadyAndConnected();
    requireRecipients();
    m_recipientIndex = 0;
    m_refusalCode = 0;
    m_refusalLine.clear();
    sendNextRecipient();
}

void TCustomSmtpClient::Data()
{
    executeCommand(smtpData, "DATA", {354}, &TCustomSmtpClient::dataAccepted);
}

void TCustomSmtpClient::Quit()
{
    requireReady();
    if (m_connected) {
        executeCommand(smtpQuit, "QUIT", {221});
        return;
    }
    m_requestType = smtpQuit;
    m_requestDone = false;
    triggerRequestDone(0);
}

void TCustomSmtpClient::Rset()
{
    executeCommand(smtpRset, "RSET", {250});
}

void TCustomSmtpClient::Open()
{
    heloCommand();                                         // a bad HELO text fails before connecting
    startHighLevel(smtpOpen, {Step::Connect, Step::Helo});
}

void TCustomSmtpClient::Mail()
{
    mailFromCommand();
    requireRecipients();
    startHighLevel(smtpMail, {Step::MailFrom, Step::RcptTo, Step::Data});
}

void TCustomSmtpClient::Abort()
{
    setState(State::Aborting);
    ++m_generation;
    m_sendingMessage = false;
    m_readingCapabilities = false;
    m_securedEhloDue = false;
    m_highLevel = false;
    m_steps.clear();
    m_socket->CancelDnsLookup();
    m_socket->Abort();
    m_connected = false;
    m_requestDone = true;
    setState(State::Ready);
}

// ---- Open and Mail

void TCustomSmtpClient::startHighLevel(TSmtpRequest request, QList<Step> steps)
{
    if (m_connected && steps.contains(Step::Connect))
        throw SmtpException(QStringLiteral("SMTP component already connected"));
    requireReady();
    m_requestType = request;
    m_requestResult = 0;
    m_steps = std::move(steps);
    m_highLevel = true;
    m_lastResponse.clear();
    m_errorMessage.clear();
    try {
        runNextStep();
    } catch (...) {   // whatever the step threw goes on to the caller; the request is only cleaned up here
        m_highLevel = false;
        m_steps.clear();
        throw;
    }
}

void TCustomSmtpClient::runNextStep()
{
    switch (m_steps.takeFirst()) {
    case Step::Connect:
        Connect();
        return;
    case Step::Helo:
        Helo();
        return;
    case Step::MailFrom:
        MailFrom();
        return;
    case Step::RcptTo:
        RcptTo();
        return;
    case Step::Data:
        Data();
        return;
    }
}

// ---- commands

void TCustomSmtpClient::executeCommand(TSmtpRequest request, const QByteArray& command,
                                       std::initializer_list<int> accepted, Continuation next)
{
    requireReadyAndConnected();
    if (!m_highLevel) {
        m_requestType = request;
        m_errorMessage.clear();
    }
    sendCommand(command, accepted, next);
}

void TCustomSmtpClient::sendCommand(const QByteArray& command, std::initializer_list<int> accepted,
                                    Continuation next)
{
    expectReply(command, accepted, next);
    if (m_socket->State() == wsConnected)
        m_socket->Send(command + "\r\n");
}

void TCustomSmtpClient::expectReply(const QByteArray& command, std::initializer_list<int> accepted,
                                    Continuation next)
{
    Q_ASSERT(accepted.size() <= m_acceptedCodes.size());
    m_acceptedCodes.fill(0);
    std::copy(accepted.begin(), accepted.end(), m_acceptedCodes.begin());
    m_requestDone = false;
    m_requestResult = 0;
    m_endOfDataUnanswered = false;
    m_next = next;
    setState(State::WaitingResponse);
    if (OnCommand || OnDisplay) {
        const QString text = QString::fromUtf8(command);
        if (OnCommand)
            OnCommand(this, text);
        display("> " + text);
    }
}

void TCustomSmtpClient::sendNextRecipient()
{
    const QByteArray command = "RCPT TO:<" + RcptName[m_recipientIndex].trimmed().toUtf8() + ">";
    if (m_recipientIndex == 0)
        executeCommand(smtpRcptTo, command, {250, 251}, &TCustomSmtpClient::recipientAnswered);
    else
        sendCommand(command, {250, 251}, &TCustomSmtpClient::recipientAnswered);
}

void TCustomSmtpClient::recipientAnswered()
{
    if (m_requestResult != 0 && m_refusalCode == 0) {
        m_refusalCode = m_requestResult;
        m_refusalLine = m_lastResponse;
    }
    if (++m_recipientIndex < RcptName.size()) {
        sendNextRecipient();
        return;
    }
    // One refused recipient fails the request, whatever the later ones were answered.
    if (m_refusalCode != 0)
        m_lastResponse = m_refusalLine;
    triggerRequestDone(m_refusalCode);
}

void TCustomSmtpClient::display(const QString& text)
{
    if (OnDisplay)
        OnDisplay(this, text);
}

void TCustomSmtpClient::storeErrorMessage()
{
    if (m_errorMessage.isEmpty())
        m_errorMessage = m_lastResponse;
}

void TCustomSmtpClient::failRequest(int error, const QString& lastResponse)
{
    m_lastResponse = lastResponse;
    storeErrorMessage();
    m_requestResult = error;
    triggerRequestDone(error);
}

void TCustomSmtpClient::triggerRequestDone(int error)
{
    if (m_requestDone)
        return;
    m_requestDone = true;
    m_sendingMessage = false;
    if (error == 0 && m_highLevel && !m_steps.isEmpty()) {
        setState(State::InternalReady);
        try {
            runNextStep();
        } catch (const std::exception& e) {
            // A step that cannot start ends the whole operation; exceptions never cross the event loop.
            m_requestDone = false;
            m_steps.clear();
            failRequest(500, "500 " + QString::fromUtf8(e.what()));
        }
        return;
    }
    setState(State::Ready);
    m_highLevel = false;
    m_steps.clear();
    DeferredCalls::post(this, [this, generation = m_generation, request = m_requestType, error] {
        if (generation == m_generation && OnRequestDone)
            OnRequestDone(this, request, error);
    });
}

// ---- socket events

void TCustomSmtpClient::onDnsLookupDone(int error)
{
    if (m_state != State::DnsLookup)
        return;
    if (error != 0) {
        failRequest(error, winsockFailure(error));
        return;
    }
    try {
        m_socket->setAddr(m_socket->DnsResult());
        m_socket->setProto(QStringLiteral("tcp"));
        m_socket->setPort(Port);
        setState(State::Connecting);
        m_socket->Connect();
    } catch (const SocketException& e) {
        failRequest(500, "500 SocketException: " + e.text());
    }
}

void TCustomSmtpClient::onSessionConnected(int error)
{
    if (m_state != State::Connecting)
        return;
    if (error != 0) {
        m_connected = false;
        failRequest(error, winsockFailure(error));
        m_socket->Close();
        return;
    }
    m_connected = true;
    setState(State::WaitingBanner);
}

void TCustomSmtpClient::onDataAvailable()
{
    const int count = m_socket->Receive(m_parser.freeSpace(), int(m_parser.freeSize()));
    if (count <= 0)
        return;
    m_parser.commit(count);
    handleBufferedLines();
}

void TCustomSmtpClient::handleBufferedLines()
{
    QPointer<TCustomSmtpClient> alive(this);
    m_handlingLines = true;
    while (const auto line = m_parser.nextLine()) {
        handleLine(*line);
        if (!alive)
            return;                                        // a handler deleted the client
        if (!m_connected) {
            m_handlingLines = false;
            return;                                        // a handler closed
        }
    }
    m_handlingLines = false;
    if (m_parser.error() != SmtpReplyParser::Error::None)
        handleReplyFault();
}

void TCustomSmtpClient::onDataSent()
{
    if (!m_sendingMessage)
        return;
    if (OnMessageProgress)
        OnMessageProgress(this);
    sendMessageBatch();
}

void TCustomSmtpClient::onSessionClosed()
{
    m_connected = false;
    if (m_state == State::Aborting)
        return;
    // A server that drops the connection right after the handshake (it cannot go on in TLS after all)
    // is a failed handshake like any other: the same address once more, in clear.
    if (m_securedEhloDue && m_state == State::WaitingResponse) {
        reconnectInClear();
        return;
    }
    triggerRequestDone(WSAEINTR);   // no-op when the request already ended
}

// ---- replies

void TCustomSmtpClient::handleLine(const SmtpReplyLine& line)
{
    m_lastResponse = QString::fromUtf8(line.text);
    if (OnResponse)
        OnResponse(this, m_lastResponse);
    if (OnDisplay)
        display("< " + m_lastResponse);
    switch (m_state) {
    case State::WaitingBanner:
        handleBanner(line);
        return;
    case State::WaitingResponse:
        handleReply(line);
        return;
    case State::Ready:
    case State::DnsLookup:
    case State::Connecting:
    case State::Connected:
    case State::InternalReady:
    case State::Aborting:
        return;                                            // nothing waits for it: only displayed
    }
}

void TCustomSmtpClient::handleBanner(const SmtpReplyLine& line)
{
    if (line.continuation)
        return;
    if (line.code != 220) {
        // The server refuses the session: close, and the closing rule ends the request with 10004.
        storeErrorMessage();
        m_requestResult = line.code;
        m_socket->Close();
        return;
    }
    setState(State::Connected);
    triggerRequestDone(0);
}

void TCustomSmtpClient::handleReply(const SmtpReplyLine& line)
{
    m_endOfDataUnanswered = false;                         // the server has answered, whatever it says
    if (m_readingCapabilities)
        noteCapability(line.text);
    if (line.continuation)
        return;
    if (m_sendingMessage) {
        // A reply in the middle of the message text: the server gave up on it.
        m_sendingMessage = false;
        failRequest(line.code >= 400 ? line.code : 500, m_lastResponse);
        m_socket->Abort();
        return;
    }
    const bool accepted = std::find(m_acceptedCodes.begin(), m_acceptedCodes.end(), line.code)
                          != m_acceptedCodes.end();
    m_requestResult = accepted ? 0 : line.code;
    if (!accepted)
        storeErrorMessage();
    if (m_next)
        (this->*m_next)();
    else
        triggerRequestDone(m_requestResult);
}

void TCustomSmtpClient::handleReplyFault()
{
    // The reply stream cannot be trusted any more: end the request and drop the connection.
    const QString text = "500 " + m_parser.errorString();
    if (m_state == State::WaitingBanner || m_state == State::WaitingResponse)
        failRequest(500, text);
    else
        m_lastResponse = text;
    m_socket->Abort();
}

// ---- the message text

void TCustomSmtpClient::dataAccepted()
{
    if (m_requestResult != 0) {
        triggerRequestDone(m_requestResult);               // DATA refused: no line of the message is sent
        return;
    }
    m_next = nullptr;
    m_sendingMessage = true;
    m_dataStream = SmtpDataStream();
    sendMessageBatch();
}

void TCustomSmtpClient::sendMessageBatch()
{
    if (!m_connected) {
        m_sendingMessage = false;                          // the closing rule ends the request
        return;
    }
    QString failure;
    const MessageText status = writeMessageText(m_dataStream, MessageBatchBytes, failure);
    if (status == MessageText::Failed) {
        abortMessage(failure);
        return;
    }
    if (status == MessageText::Finished && serverSpokeDuringMessage()) {
        // Still sending: the waiting line is handled as a reply in the middle of the text.
        if (!m_handlingLines)
            handleBufferedLines();
        return;
    }
    QByteArray batch = m_dataStream.take();
    if (status == MessageText::Finished) {
        // "." goes in the same write as the end of the text: a separate small write would wait for the
        // server's delayed acknowledgement (Nagle), about 40 ms a message.
        m_sendingMessage = false;
        expectReply(".", {250}, nullptr);
        m_endOfDataUnanswered = true;
        batch += ".\r\n";
    }
    if (!batch.isEmpty())
        m_socket->Send(batch);
}

// No reply is due before the "." has gone out: a line the server sent already (a flood, a pipelined
// junk reply) would otherwise pass for the reply to the end of data. What the socket holds now is taken
// into the parser first.
bool TCustomSmtpClient::serverSpokeDuringMessage()
{
    const int count = m_parser.freeSize() > 0 ? m_socket->Receive(m_parser.freeSpace(), int(m_parser.freeSize())) : 0;
    if (count > 0)
        m_parser.commit(count);
    return m_parser.buffered() > 0;
}

void TCustomSmtpClient::abortMessage(const QString& failure)
{
    // Without the final "." the server discards what it got so far when the connection drops.
    m_sendingMessage = false;
    failRequest(500, "500 " + failure);
    m_socket->Abort();
}
