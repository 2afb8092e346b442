// SendMail's run and its SMTP dialogue: one handler per reply step, errors by code and text.

#include "transport/smtp/send_mail.h"

#include "platform/deferred_calls.h"
#include "transport/mime/base64.h"
#include "transport/mime/sasl_digest.h"
#include "transport/net/mail_address.h"
#include "transport/net/send_mail_errors.h"
#include "transport/net/helo_name.h"

#include <QScopedValueRollback>

#include <algorithm>

namespace {

// A message file that cannot be read while composing is reported as a failure outside the socket table.
constexpr int kComposeFailed = 15;

// SendMailInfo values of the steps every run takes.
constexpr int kInfoConnected = 0;
constexpr int kInfoDisconnected = 3;
constexpr int kInfoBusy = 13;
constexpr int kInfoResolved = 14;
constexpr int kInfoResolving = 15;

// Bits of the mechanisms an EHLO reply offers.
constexpr unsigned kOfferLogin = 1;
constexpr unsigned kOfferCramMd5 = 2;
constexpr unsigned kOfferDigestMd5 = 4;
constexpr unsigned kOfferPlain = 8;

// The submission port that speaks TLS from the first byte (RFC 8314 section 3.3).
constexpr quint16 kImplicitTlsPort = 465;

// RFC 5321 section 3.8: the server is closing the connection.
constexpr int kServiceClosing = 421;

// The server refused our credentials (RFC 4954 section 6: 535 invalid, 534 mechanism too weak, 538 encryption
// required): every further message would be refused the same way.
constexpr int kLoginRefused[] = {534, 535, 538};

// The wait for the reply to QUIT on a kept connection: the messages are sent, so nothing is lost by
// closing without it, and the window ending the run should not wait long.
constexpr int kQuitReplyBoundMs = 5000;

// How much of an unexpected reply line the error text repeats: a 1 MB junk line stays out of the log.
constexpr qsizetype kQuotedReply = 512;

// "address|name" -> address (the whole item when it has no bar).
QString addressOfItem(const QString& item)
{
    const qsizetype bar = item.indexOf(u'|');
    return bar < 0 ? item : item.left(bar);
}

QString nameOfItem(const QString& item)
{
    const qsizetype bar = item.indexOf(u'|');
    return bar < 0 ? QString() : item.mid(bar + 1);
}

}  // namespace

SendMail::SendMail(QObject* parent)
    : MailClientSocket({kInfoConnected, kInfoDisconnected, kInfoResolving, kInfoResolved, kInfoBusy}, parent)
{
    m_quitBound.setSingleShot(true);
    connect(&m_quitBound, &QTimer::timeout, this, &SendMail::quitReplyOverdue);
}

SendMail::~SendMail() = default;

void SendMail::setAction(TMailAction action)
{
    switch (action) {
    case TMailAction::None:
        break;
    case TMailAction::Send_Mail:
        startRun();
        break;
    case TMailAction::Cancel_SendMail:
        setLastErrorCode(sendmail_error::Cancelled);
        cancel();
        break;
    }
}

void SendMail::startRun()
{
    if (!beginRun())
        return;
    m_messageAccepted = false;
    m_utf8Fallback = false;
    m_endOfDataUnanswered = false;
    takeFirstRecipient();
    if (TO_Address.isEmpty()) {
        reportError(sendmail_error::NoDestination, QStringLiteral("Mail Destination Error"));
        cancel();
        return;
    }
    if (const QString unsafe = unsafeAddress(); !unsafe.isNull()) {
        // Nothing is sent: a line break would start a header line of its own, a TAB an ESMTP parameter.
        reportError(sendmail_error::NoDestination,
                    QStringLiteral("Mail Destination Error: invalid address '%1'").arg(printableAddress(unsafe)));
        cancel();
        return;
    }
    m_replies.reset();
    m_spokeDuringData = false;
    m_authenticating = false;
    m_loginRefusal.clear();
    if (m_state == State::Quitting)
        dropIdleConnection();           // the server has not answered the QUIT yet: a new connection
    m_mayReconnect = connected();
    if (connected()) {
        // Kept open from the previous message: no new greeting, no RSET.
        clearReceiveBuffer();
        sendMailFrom();
        return;
    }
    connectAndGreet();
}

void SendMail::connectAndGreet()
{
    m_expected = {220, 0};
    setState(State::Greeting);
    m_greetingStep = GreetingStep::Banner;
    m_greetingMode = GreetingMode::None;
    m_offered = 0;
    m_offersStartTls = false;
    connectToHost(SMTP_Port, SMTP_Port == kImplicitTlsPort);
}

// A kept connection that the server ends before the message's data went out (a 421 after its cap of
// messages per connection, or a close) refused nothing of this message: it is tried once more on a new
// connection. After the data the server may have begun to take it, so the failure stands. The new
// connection is made from the event loop, once the socket layer is done with the old one's event.
bool SendMail::retryOnNewConnection()
{
    const bool beforeData =
        m_state == State::FirstRcptDue || m_state == State::FurtherRcpt || m_state == State::DataDue;
    if (!m_mayReconnect || !beforeData)
        return false;
    m_mayReconnect = false;
    setState(State::Reconnecting);
    close();
    stopReplyWait();
    clearReceiveBuffer();
    m_replies.reset();
    DeferredCalls::post(this, [this] {
        if (busy() && !cancelled() && m_state == State::Reconnecting)
            connectAndGreet();
    });
    return true;
}

// The first recipient is TO_Address, put in front of ListTo; without it, the first item of ListTo, Listcc
// or ListBcc. Both are undone when the run ends (restoreRecipients), so a second run adds nothing twice.
void SendMail::takeFirstRecipient()
{
    m_insertedTo.clear();
    m_toTakenFromList = false;
    if (!TO_Address.isEmpty()) {
        m_insertedTo = TO_Address + u'|' + TO_Name;
        ListTo.insert(0, m_insertedTo);
        return;
    }
    for (QStringList* list : {&ListTo, &Listcc, &ListBcc}) {
        if (list->isEmpty())
            continue;
        TO_Address = addressOfItem(list->at(0));
        TO_Name = nameOfItem(list->at(0));
        m_toTakenFromList = true;
        return;
    }
}

// The first address of the run that may not go into a command or header; a null text when all may.
QString SendMail::unsafeAddress() const
{
    QStringList addresses{FROM_Address, TO_Address};
    for (const QStringList* list : {&ListTo, &Listcc, &ListBcc}) {
        for (const QString& item : *list)
            addresses << addressOfItem(item);
    }
    for (const QString& address : addresses) {
        if (!isCommandSafeAddress(address))
            return address;
    }
    return QString();
}

void SendMail::restoreRecipients()
{
    if (!m_insertedTo.isEmpty() && !ListTo.isEmpty() && ListTo.at(0) == m_insertedTo)
        ListTo.removeAt(0);
    m_insertedTo.clear();
    if (m_toTakenFromList) {
        TO_Address.clear();
        TO_Name.clear();
        m_toTakenFromList = false;
    }
}

// Cancel forgets the message's recipients.
void SendMail::onCancel()
{
    restoreRecipients();
    TO_Address.clear();
    TO_Name.clear();
    ListTo.clear();
    Listcc.clear();
    ListBcc.clear();
}

void SendMail::onRunFinished()
{
    restoreRecipients();
}

// A kept-open connection between runs: whatever the server says now (an idle "421" before it closes) is
// no reply to us. Drop it and let the next run connect again.
void SendMail::dropIdleConnection()
{
    m_quitBound.stop();
    close();
}

void SendMail::QuitKeptConnection()
{
    if (busy() || m_state != State::KeptOpen || !connected())
        return;
    setState(State::Quitting);
    const int boundMs = TimeoutReply > 0 ? std::min(TimeoutReply * 1000, kQuitReplyBoundMs) : kQuitReplyBoundMs;
    m_quitBound.start(boundMs);
    emit OnMailInfo(2, QStringLiteral("QUIT\r\n"));
    if (send("QUIT\r\n") <= 0)
        dropIdleConnection();
}

void SendMail::quitReplyOverdue()
{
    if (m_state == State::Quitting)
        dropIdleConnection();
}

bool SendMail::handleReplyLine(const QByteArray& line)
{
    if (!busy() || m_state == State::KeptOpen || m_state == State::Quitting) {
        dropIdleConnection();
        return false;
    }
    if (cancelled())
        return false;
    dialogueStep(line);
    return !cancelled() && busy() && m_state != State::KeptOpen;
}

void SendMail::onRead()
{
    if (cancelled() && busy())
        return;
    if (m_writingMessage)
        m_spokeDuringData = true;       // no reply is due before the end of data: the message stops
    readLines([this](const QByteArray& line) { return handleReplyLine(line); });
}

void SendMail::onDisconnect()
{
    if (m_state == State::KeptOpen || m_state == State::Quitting) {
        m_quitBound.stop();
        return;                         // idle connection closed by the server: nothing to report
    }
    if (busy() && !cancelled() && retryOnNewConnection())
        return;
    MailClientSocket::onDisconnect();
}

void SendMail::dialogueStep(const QByteArray& line)
{
    emit OnMailInfo(1, QString::fromUtf8(line));
    if (cancelled() || m_state == State::QuitSent || m_state == State::Failed)
        return;                         // the reply to QUIT is not examined: the message is accepted
    if (m_state == State::EndOfDataSent)
        m_endOfDataUnanswered = false;  // the server has answered the ".", whatever it says
    const std::optional<SmtpReplyLine> reply = m_replies.takeLine(line);
    if (reply && reply->code == kServiceClosing && retryOnNewConnection())
        return;
    if (!reply || !isExpected(reply->code) || m_spokeDuringData) {
        failReply(line, reply ? reply->code : 0);
        return;
    }
    const bool greetingCollects = m_state == State::Greeting
                                  && (m_greetingStep == GreetingStep::Banner || m_greetingStep == GreetingStep::EhloReply);
    if (reply->continuation && !greetingCollects)
        return;
    switch (m_state) {
    case State::Greeting:
        greetingStep(*reply);
        break;
    case State::MailFromDue:
        sendMailFrom();
        break;
    case State::FirstRcptDue:
        sendFirstRecipient();
        break;
    case State::FurtherRcpt:
        sendNextRecipient();
        break;
    case State::DataDue:
        sendMessage();
        break;
    case State::EndOfDataSent:
        messageAccepted(line);
        break;
    case State::QuitSent:
    case State::KeptOpen:
    case State::Quitting:
    case State::Reconnecting:
    case State::Failed:
        break;
    }
}

bool SendMail::isExpected(int code) const
{
    return std::find(m_expected.begin(), m_expected.end(), code) != m_expected.end();
}

// An error reply, a code this step does not go on with, a line that is no SMTP reply, a reply over the
// parser's limits, or anything said before the end of data: the message fails with the server's text
// and nothing more is sent. The owner decides what follows (the sending window cancels at once).
void SendMail::failReply(const QByteArray& line, int code)
{
    if (m_authenticating && std::ranges::find(kLoginRefused, code) != std::end(kLoginRefused))
        m_loginRefusal = QString::fromUtf8(line.left(kQuotedReply));
    setState(State::Failed);
    stopReplyWait();
    reportError(sendmail_error::UnexpectedResponse,
                QStringLiteral("Unexpected response: ") + QString::fromUtf8(line.left(kQuotedReply)));
}

void SendMail::greetingStep(const SmtpReplyLine& reply)
{
    switch (m_greetingStep) {
    case GreetingStep::Banner:
        bannerLine(reply);
        break;
    case GreetingStep::EhloReply:
        ehloReplyLine(reply);
        break;
    case GreetingStep::StartTlsReply:
        startTlsReply();
        break;
    case GreetingStep::FirstChallenge:
        firstChallenge(reply);
        break;
    case GreetingStep::SecondChallenge:
        secondChallenge(reply);
        break;
    case GreetingStep::DigestProof:
        digestProof(reply);
        break;
    }
}

// With SmtpAuth the first banner line decides: EHLO unless it says "HELLO" and not "ESMTP". Without
// SmtpAuth HELO is always used (EHLO here always leads to AUTH).
void SendMail::bannerLine(const SmtpReplyLine& reply)
{
    const QByteArray& line = reply.text;
    if (m_greetingMode == GreetingMode::None && SmtpAuth) {
        m_greetingMode = line.contains("ESMTP")   ? GreetingMode::Esmtp
                         : line.contains("HELLO") ? GreetingMode::Helo
                                                  : GreetingMode::Esmtp;
    }
    if (reply.continuation)
        return;
    if (m_greetingMode == GreetingMode::Esmtp) {
        sendEhlo();
        return;
    }
    setState(State::MailFromDue);
    sendCommand("HELO " + heloName().toUtf8(), {250});
}

void SendMail::ehloReplyLine(const SmtpReplyLine& reply)
{
    const QByteArray& line = reply.text;
    if (line.size() > 4 && line.mid(4, 4).toUpper() == "AUTH") {
        // "250-AUTH LOGIN PLAIN" or "250-AUTH=LOGIN": the words after "AUTH" and one separator.
        for (const QByteArray& word : line.mid(9).split(' ')) {
            const QByteArray mechanism = word.toUpper();
            if (mechanism == "LOGIN")
                m_offered |= kOfferLogin;
            else if (mechanism == "CRAM-MD5")
                m_offered |= kOfferCramMd5;
            else if (mechanism == "DIGEST-MD5")
                m_offered |= kOfferDigestMd5;
            else if (mechanism == "PLAIN")
                m_offered |= kOfferPlain;
        }
    }
    if (line.size() > 4 && line.mid(4).trimmed().toUpper() == "STARTTLS")
        m_offersStartTls = true;
    if (reply.continuation)
        return;
    // RFC 3207: credentials go only over the secured connection when the server offers one.
    if (m_offersStartTls && !tlsStarted()) {
        m_greetingStep = GreetingStep::StartTlsReply;
        sendCommand("STARTTLS", {220});
        return;
    }
    startAuth();
}

void SendMail::sendEhlo()
{
    m_greetingStep = GreetingStep::EhloReply;
    sendCommand("EHLO " + heloName().toUtf8(), {250});
}

// The preferences' text when set; else a dotted host name, the account's mail domain or an address literal.
QString SendMail::heloName() const
{
    return !HeloDef && !HeloTxt.isEmpty() ? HeloTxt : defaultHeloName(MailDomain, localAddress());
}

// Any other reply than 220 has failed the run already (failReply): nothing goes on in clear.
void SendMail::startTlsReply()
{
    m_replies.reset();
    startTls();
}

// After STARTTLS everything the server said before is forgotten and EHLO is asked again (RFC 3207
// section 4.2); with implicit TLS the banner is still to come.
void SendMail::onSecured()
{
    if (m_greetingStep != GreetingStep::StartTlsReply)
        return;
    m_offered = 0;
    m_offersStartTls = false;
    sendEhlo();
}

void SendMail::startAuth()
{
    if (!credentialsMayGo())
        return;
    m_authenticating = true;
    m_greetingStep = GreetingStep::FirstChallenge;
    if (m_offered & kOfferCramMd5) {
        m_mechanism = Mechanism::CramMd5;
        sendCommand("AUTH CRAM-MD5", {334, 235});
    } else if (m_offered & kOfferDigestMd5) {
        m_mechanism = Mechanism::DigestMd5;
        sendCommand("AUTH DIGEST-MD5", {334, 235});
    } else if (m_offered & kOfferLogin || !(m_offered & kOfferPlain)) {
        m_mechanism = Mechanism::Login;  // also when the server offered nothing
        sendCommand("AUTH LOGIN", {334, 235});
    } else {
        // RFC 4616 with the initial response of RFC 4954: no authorization identity, then user and password.
        setState(State::MailFromDue);
        sendCommand("AUTH PLAIN " + base64::encode('\0' + SmtpUser.toUtf8() + '\0' + SmtpPsw.toUtf8()), {235});
    }
}

// A server that ends the exchange at once with 235 has authenticated us: MAIL FROM goes out.
void SendMail::firstChallenge(const SmtpReplyLine& reply)
{
    if (reply.code == 235) {
        sendMailFrom();
        return;
    }
    const QByteArray challenge = base64::decode(reply.text.mid(4));
    switch (m_mechanism) {
    case Mechanism::Login:
        m_greetingStep = GreetingStep::SecondChallenge;
        sendCommand(base64::encode(SmtpUser.toUtf8()), {334, 235});
        break;
    case Mechanism::CramMd5:
        setState(State::MailFromDue);
        sendCommand(base64::encode(sasl::cramMd5Response(challenge, SmtpUser.toUtf8(), SmtpPsw.toUtf8())), {235});
        break;
    case Mechanism::DigestMd5:
        answerDigestChallenge(challenge);
        break;
    }
}

// RFC 2831: realm, nonce, cnonce, nc, qop=auth, digest-uri "smtp/<host>" and response. A challenge we
// cannot answer is refused with "*" (RFC 4954), and the server's error reply ends the message.
void SendMail::answerDigestChallenge(const QByteArray& challenge)
{
    const std::optional<sasl::DigestChallenge> parsed = sasl::parseDigestChallenge(challenge);
    if (!parsed) {
        setState(State::MailFromDue);
        sendCommand("*", {235});        // the server's refusal of the exchange fails the message
        return;
    }
    m_digestChallenge = *parsed;
    m_digestCredentials = digestCredentials(*parsed);
    m_greetingStep = GreetingStep::DigestProof;
    sendCommand(base64::encode(sasl::digestMd5Response(m_digestChallenge, m_digestCredentials)), {334, 235});
}

sasl::DigestCredentials SendMail::digestCredentials(const sasl::DigestChallenge& challenge) const
{
    sasl::DigestCredentials credentials;
    credentials.user = challenge.utf8 ? SmtpUser.toUtf8() : SmtpUser.toLatin1();
    credentials.password = challenge.utf8 ? SmtpPsw.toUtf8() : SmtpPsw.toLatin1();
    credentials.digestUri = sasl::smtpDigestUri(SMTP_Server().toUtf8());
    credentials.cnonce = sasl::makeDigestCnonce();
    return credentials;
}

// The server proves it knows the password (rspauth) and we answer with an empty line; a wrong proof is
// refused with "*". A server that accepts at once with 235 gets MAIL FROM.
void SendMail::digestProof(const SmtpReplyLine& reply)
{
    if (reply.code == 235) {
        sendMailFrom();
        return;
    }
    setState(State::MailFromDue);
    const bool proved = sasl::digestMd5ServerProved(base64::decode(reply.text.mid(4)), m_digestChallenge,
                                                    m_digestCredentials);
    sendCommand(proved ? QByteArray() : QByteArray("*"), {235});
}

void SendMail::secondChallenge(const SmtpReplyLine& reply)
{
    if (reply.code == 235) {
        sendMailFrom();
        return;
    }
    setState(State::MailFromDue);
    sendCommand(base64::encode(SmtpPsw.toUtf8()), {235});
}

void SendMail::sendMailFrom()
{
    m_authenticating = false;
    setState(State::FirstRcptDue);
    sendCommand("MAIL FROM:<" + FROM_Address.toUtf8() + '>', {250});
}

void SendMail::sendFirstRecipient()
{
    m_recipients.clear();
    m_recipients.push_back(TO_Address);
    // The first item of the list it came from is TO_Address itself.
    bool firstUsed = !m_insertedTo.isEmpty() || m_toTakenFromList;
    for (const QStringList* list : {&ListTo, &Listcc, &ListBcc}) {
        for (int i = firstUsed && !list->isEmpty() ? 1 : 0; i < list->count(); ++i)
            m_recipients.push_back(addressOfItem(list->at(i)));
        if (!list->isEmpty())
            firstUsed = false;
    }
    m_nextRecipient = 1;
    setState(State::FurtherRcpt);
    if (sendCommand("RCPT TO:<" + TO_Address.toUtf8() + '>', {250, 251}))
        emit OnMailInfo(9, TO_Address);
}

void SendMail::sendNextRecipient()
{
    if (m_nextRecipient >= m_recipients.size()) {
        setState(State::DataDue);
        sendCommand("DATA", {354});
        return;
    }
    const QString address = m_recipients[m_nextRecipient++];
    if (sendCommand("RCPT TO:<" + address.toUtf8() + '>', {250, 251}))
        emit OnMailInfo(9, address);
}

void SendMail::messageAccepted(const QByteArray& line)
{
    emit OnMailInfo(4, QString::fromUtf8(line));
    m_messageAccepted = true;
    if (KeepConnectionOpen) {
        setState(State::KeptOpen);
        stopReplyWait();
        postDone();
        return;
    }
    setState(State::QuitSent);
    sendCommand("QUIT", {});            // bounded all the same: a server that never closes ends quietly
}

bool SendMail::sendCommand(const QByteArray& line, std::initializer_list<int> expected)
{
    Q_ASSERT(expected.size() <= m_expected.size());
    m_expected.fill(0);
    std::copy(expected.begin(), expected.end(), m_expected.begin());
    awaitReply();
    return sendLine(line);
}

// Writes a command and CR LF; OnMailInfo(2) first. A CR or LF inside an address or greeting text would
// smuggle in a further command, so the command ends there.
bool SendMail::sendLine(const QByteArray& line)
{
    qsizetype end = line.size();
    for (const char lineBreak : {'\r', '\n'}) {
        const qsizetype at = line.indexOf(lineBreak);
        if (at >= 0 && at < end)
            end = at;
    }
    const QByteArray text = line.left(end) + "\r\n";
    emit OnMailInfo(2, QString::fromUtf8(text));
    return !cancelled() && writeAndCheck(text);
}

ExternalMessage SendMail::composerInput() const
{
    ExternalMessage message;
    message.FROM_Name = FROM_Name;
    message.FROM_Address = FROM_Address;
    message.ListTo = ListTo;
    message.Listcc = Listcc;
    message.Subject = Subject;
    message.Headers = Headers;
    message.MailText = MailText;
    message.HtmlText = HtmlText;
    message.HtmlFiles = HtmlFiles;
    message.HtmlCids = HtmlCids;
    message.TypeContent = TypeContent;
    message.Content_Type = Content_Type;
    message.Charset = Charset;
    message.MimeChar = MimeChar;
    message.HdrCoding = HdrCoding;
    message.Attachments = Attachments;
    return message;
}

// Streams the composed message block by block and ends it with the "." line. The last block and the "."
// go out in one write: a separate small segment would wait for the server's delayed ACK (Nagle). A file
// of the message that cannot be read ends the run without the "." line, so the server never accepts half
// a message.
void SendMail::sendMessage()
{
    setState(State::EndOfDataSent);
    QScopedValueRollback writing(m_writingMessage, true);
    ComposerEvents events;
    events.mailInfo = [this](int info, const QString& addinfo) { emit OnMailInfo(info, addinfo); };
    events.feedData = OnFeedData;
    ExternalComposer composer(composerInput(), m_attachmentSlots, std::move(events), std::nullopt, &m_partCache);
    m_utf8Fallback = composer.utf8Fallback();
    QByteArray block;
    while (!composer.atEnd() && !cancelled()) {
        QByteArray next = composer.nextBlock();
        if (composer.failed())
            break;
        if (!block.isEmpty() && !sendData(block))
            return;
        block = std::move(next);
    }
    if (cancelled() || m_spokeDuringData)
        return;
    if (composer.failed()) {
        reportError(kComposeFailed, composer.errorString());
        cancel();
        return;
    }
    // A server that spoke while the message went out did not answer it: its words are reported, and
    // without the "." it never takes the message.
    if (pendingInput() > 0) {
        m_spokeDuringData = true;
        return;
    }
    emit OnMailInfo(2, QString::fromUtf8(block));
    static const QByteArray endOfData = ".\r\n";
    emit OnMailInfo(2, QString::fromLatin1(endOfData));
    block += endOfData;
    m_expected = {250, 0};
    awaitReply();
    if (!cancelled() && writeAndCheck(block))
        m_endOfDataUnanswered = true;
}

bool SendMail::sendData(const QByteArray& block)
{
    emit OnMailInfo(2, QString::fromUtf8(block));
    awaitReply();                       // the server is taking the message: the wait starts again
    return !cancelled() && writeAndCheck(block);
}

// Writes bytes, letting other events run while the socket cannot take more; false when the run ended or
// the server spoke in the middle of the message.
bool SendMail::writeAndCheck(const QByteArray& bytes)
{
    writeAll(bytes, [this] { return cancelled() || m_spokeDuringData; });
    return !socketFailed() && !m_spokeDuringData;
}
