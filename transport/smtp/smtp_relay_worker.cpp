// The relay's worker: see smtp_relay_worker.h. Every path that ends a recipient goes through report(), which
// reports once; every callback into the owner may stop the run, so each caller checks for Finished after it.

#include "transport/smtp/smtp_relay_worker.h"

#include "platform/clock.h"
#include "platform/deferred_calls.h"
#include "platform/winsock_error.h"
#include "transport/net/dns_query.h"
#include "transport/net/mail_address.h"
#include "transport/smtp/end_of_data_unanswered.h"

#include <QRandomGenerator>

namespace {

// The text after the first at sign; the whole address when it has none.
QString domainOf(const QString& address)
{
    const qsizetype at = address.indexOf(u'@');
    return at < 0 ? address : address.mid(at + 1);
}

QString exceptionText(const std::exception& exception)
{
    return QString::fromUtf8(exception.what());
}

}  // namespace

TSmtpThreadEx::TSmtpThreadEx(TSmtpRelayServer2& relay)
    : QObject(&relay), m_relay(relay), m_client(new TSmtpCli(this)), m_dns(new TDnsQuery(this))
{
    m_client->Port = relay.m_smtpPort;
    m_client->SignOn = relay.Signon;
    m_client->LocalHostName = relay.m_hostName;
    m_client->MailDomain = relay.HdrMailDomain;
    m_client->Esmtp = true;
    m_client->OpportunisticTls = true;
    m_client->FromName = relay.From;
    m_client->ContentType = relay.ContentType == ctHTML ? smtpHTML : smtpPlainText;
    m_client->HdrMailDomain = relay.HdrMailDomain.isEmpty() ? relay.m_hostName : relay.HdrMailDomain;
    m_client->OnMimeChar = relay.OnMimeChar;
    m_client->setPartCache(relay.m_partCache);
    m_client->ZoneOffset = relay.m_zoneOffset;
    m_client->OnResponse = [this](TCustomSmtpClient*, const QString& line) {
        touch();
        m_hosts.lineHeard(line);
    };
    m_client->OnMessageProgress = [this](TCustomSmtpClient*) { touch(); };   // a long message still moving
    m_client->OnRequestDone = [this](TCustomSmtpClient*, TSmtpRequest request, int error) {
        onClientDone(request, error);
    };
    m_client->OnGetData = [this](TSmtpCli*, int lineNum, QByteArray& line, int, bool& more) {
        if (lineNum >= 1 && lineNum <= m_recipient.body.size())
            line = m_recipient.body[lineNum - 1];
        else
            more = false;
    };
    m_dns->setPort(relay.m_dnsPort);
    m_dns->setRetransmitWait(2 * relay.m_secondLength);   // well within TimeOut, which ends the wait for a server
    m_dns->OnRequestDone = [this](TDnsQuery*, int error) { onDnsDone(error); };
    touch();
}

TSmtpThreadEx::~TSmtpThreadEx() = default;

void TSmtpThreadEx::touch()
{
    m_lastActivity = Clock::instance().tickCount();
}

void TSmtpThreadEx::startDelivery()
{
    // A loop, not a recursion: recipients that end at once (a bad address, a cached domain without a mail
    // host) must not deepen the stack one call each.
    while (m_state != State::Finished) {
        setState(State::Idle);
        if (!claimNext()) {
            finish();
            return;
        }
        if (startRecipient())
            return;                                      // under way; its end calls startDelivery again
    }
}

bool TSmtpThreadEx::claimNext()
{
    std::optional<TSmtpRelayServer2::Recipient> next = m_relay.claimRecipient();
    if (!next || m_state == State::Finished)             // none left, or the owner's event stopped the run
        return false;
    m_recipient = std::move(*next);
    m_reported = false;
    return true;
}

// False when the recipient was reported at once.
bool TSmtpThreadEx::startRecipient()
{
    if (!isCommandSafeAddress(m_recipient.address.trimmed())) {
        // Never looked up nor written into a command: it could carry an ESMTP parameter or a line break.
        report(500, QStringLiteral("500 Invalid recipient address '%1'").arg(printableAddress(m_recipient.address)));
        return false;
    }
    m_domain = domainOf(m_recipient.address);
    if (m_domain.isEmpty()) {
        report(relayNoMailHost, QString());              // nothing to look up
        return false;
    }
    return resolveDomain();
}

// ---- DNS phase

// False when the recipient was reported at once.
bool TSmtpThreadEx::resolveDomain()
{
    MxCache& cache = m_relay.m_mxCache;
    if (const dns::MailExchangers* known = cache.answer(m_domain))
        return beginSmtpPhase(*known);
    touch();
    if (cache.lookupUnderWay(m_domain)) {
        setState(State::Waiting);
        cache.addWaiter(m_domain, QPointer<TSmtpThreadEx>(this));
        return true;
    }
    cache.startLookup(m_domain);
    setState(State::Resolving);
    m_dnsIndex = 0;                                      // every lookup starts with the first server
    m_dnsAttempts = 0;
    sendLookup();
    return true;
}

void TSmtpThreadEx::sendLookup()
{
    m_dns->setAddr(m_relay.m_dnsServers.at(m_dnsIndex));
    try {
        m_dns->MXLookup(m_domain);
    } catch (const std::exception&) {
        // swallowed: the watchdog then moves on to the next server
    }
}

void TSmtpThreadEx::onDnsDone(int error)
{
    if (m_state != State::Resolving)
        return;                                          // a reply after a time-out or a stop
    touch();
    const dns::MailExchangers exchangers =
        error == 0 ? dns::mailExchangersOf(m_dns->Response()) : dns::MailExchangers{};
    if (exchangers.route == dns::MailRoute::ServerFailure) {
        rotateDnsServer();                               // a socket error or SERVFAIL, REFUSED ...: no answer
        return;
    }
    // Answers and "no such domain" are kept for the run; a server's failure is not.
    m_relay.m_mxCache.storeAnswer(m_domain, exchangers);
    endLookup();
    startSmtpPhase(exchangers);
}

// A silent or failing server: the next one gets a whole period; after the last, the recipient is reported.
void TSmtpThreadEx::rotateDnsServer()
{
    const QStringList& servers = m_relay.m_dnsServers;
    m_dnsIndex = (m_dnsIndex + 1) % int(servers.size());
    ++m_dnsAttempts;
    if (m_dnsAttempts > servers.size() - 1) {
        endLookup();
        setState(State::Delivering);
        failAndContinue(relayNoDnsServer, noDnsAnswerText(m_domain));
        return;
    }
    touch();
    sendLookup();
}

// The workers that waited for this query go on from the event loop, each finding the answer in the cache
// or, when there is none, asking for the domain again themselves.
void TSmtpThreadEx::endLookup()
{
    for (const QPointer<TSmtpThreadEx>& waiter : m_relay.m_mxCache.endLookup(m_domain)) {
        if (TSmtpThreadEx* worker = waiter.data())
            DeferredCalls::post(worker, [worker] { worker->sharedLookupEnded(); });
    }
}

void TSmtpThreadEx::sharedLookupEnded()
{
    if (m_state != State::Waiting)
        return;
    if (!resolveDomain() && m_state != State::Finished)
        startDelivery();
}

// ---- SMTP phase

void TSmtpThreadEx::startSmtpPhase(const dns::MailExchangers& exchangers)
{
    if (!beginSmtpPhase(exchangers) && m_state != State::Finished)
        startDelivery();
}

// False when the recipient was reported at once.
bool TSmtpThreadEx::beginSmtpPhase(const dns::MailExchangers& exchangers)
{
    setState(State::Delivering);
    switch (exchangers.route) {
    case dns::MailRoute::Exchangers:
        m_hosts.reset(dns::deliveryOrder(exchangers.hosts, DeliveryHosts::kMaxHosts, *QRandomGenerator::global()));
        break;
    case dns::MailRoute::NoMxRecords:
        m_hosts.reset({m_domain});                       // implicit MX: the domain's own address
        break;
    case dns::MailRoute::NullMx:
        fail(relayNoMailHost, QStringLiteral("%1 accepts no mail (null MX)").arg(m_domain));
        return false;
    case dns::MailRoute::NoSuchDomain:
        fail(WSAHOST_NOT_FOUND, hostNotFoundText(m_domain));
        return false;
    case dns::MailRoute::ServerFailure:
        fail(relayNoDnsServer, noDnsAnswerText(m_domain));   // never kept, so never met here
        return false;
    }
    m_client->CharSet = m_recipient.charsetName;
    m_client->HdrFrom = m_recipient.headerFrom;
    m_client->HdrTo = m_recipient.headerTo;
    m_client->HdrSubject = m_recipient.subject;
    m_client->Htm = m_recipient.htm;
    m_client->HtmFiles = m_recipient.htmFiles;
    m_client->HtmCids = m_recipient.htmCids;
    m_client->RcptName = QStringList{m_recipient.address};
    try {
        m_client->setEmailFiles(m_recipient.attachments);
    } catch (const SmtpException& exception) {
        fail(500, exception.text());                     // a file of this recipient went missing
        return false;
    }
    return connectToHost();
}

// False when the recipient was reported at once.
bool TSmtpThreadEx::connectToHost()
{
    m_client->Abort();
    m_client->Host = m_hosts.current();
    m_hosts.startConnection();
    touch();                                             // each host gets a whole period to greet
    try {
        m_client->Open();
    } catch (const std::exception& exception) {
        fail(relayConnectFailed, exceptionText(exception));
        return false;
    }
    return true;
}

// Connects to the current host; when that fails at once, the worker goes on with the next recipient.
void TSmtpThreadEx::connectOrGoOn()
{
    if (!connectToHost() && m_state != State::Finished)
        startDelivery();
}

// A host that failed before its greeting, or greeted 4xx, gives way to the next; otherwise the failure
// is the recipient's result.
void TSmtpThreadEx::hostFailed(int error)
{
    if (m_hosts.mayGiveWay() && m_hosts.advance()) {
        connectOrGoOn();
        return;
    }
    const DeliveryHosts::Failure failure = m_hosts.failure(error, m_client->LastResponse());
    failAndContinue(failure.err, failure.comment);
}

void TSmtpThreadEx::onClientDone(TSmtpRequest request, int error)
{
    switch (m_state) {
    case State::Idle:
    case State::Resolving:
    case State::Waiting:
    case State::Finished:
        return;                                          // nothing of ours waits for it
    case State::Quitting:
        closeAndContinue();                              // 221, or any end of the QUIT request
        return;
    case State::Delivering:
        break;
    }
    touch();
    if (error != 0) {
        if (m_client->EndOfDataUnanswered())             // the server may have the message: never again
            failAndContinue(relayOutcomeUnknown, closedAfterEndOfDataText());
        else
            hostFailed(error);
        return;
    }
    runNextStep(request);
}

void TSmtpThreadEx::runNextStep(TSmtpRequest finished)
{
    const auto start = [this](const auto& step, int failure) {
        try {
            step();
        } catch (const std::exception& exception) {
            failAndContinue(failure, exceptionText(exception));
        }
    };
    switch (finished) {
    case smtpConnect:
    case smtpOpen:
        start([this] { m_client->MailFrom(); }, relayMailFromFailed);
        return;
    case smtpMailFrom:
        start([this] { m_client->RcptTo(); }, relayRcptToFailed);
        return;
    case smtpRcptTo:
        start([this] { m_client->Data(); }, relayDataFailed);
        return;
    case smtpData:
        messageDelivered();
        return;
    case smtpHelo:
    case smtpVrfy:
    case smtpQuit:
    case smtpRset:
    case smtpMail:
        Q_ASSERT_X(false, "TSmtpThreadEx", "request the worker never starts");
        return;
    }
}

// "." was answered 250: the message is delivered whatever QUIT brings.
void TSmtpThreadEx::messageDelivered()
{
    report(relayDelivered, m_client->LastResponse());
    if (m_state == State::Finished)
        return;
    setState(State::Quitting);
    try {
        m_client->Quit();
    } catch (const std::exception&) {
        closeAndContinue();
    }
}

// ---- ends of a recipient

void TSmtpThreadEx::report(int err, const QString& comment)
{
    if (m_reported)
        return;
    m_reported = true;
    m_relay.reportResult(m_recipient.index, err, comment);
}

void TSmtpThreadEx::fail(int err, const QString& comment)
{
    m_client->Abort();
    report(err, comment);
}

void TSmtpThreadEx::failAndContinue(int err, const QString& comment)
{
    fail(err, comment);
    if (m_state == State::Finished)
        return;
    startDelivery();
}

void TSmtpThreadEx::closeAndContinue()
{
    m_client->Abort();
    startDelivery();
}

void TSmtpThreadEx::timeOut()
{
    switch (m_state) {
    case State::Idle:
    case State::Finished:
        return;
    case State::Resolving:
        rotateDnsServer();
        return;
    case State::Waiting:
        touch();                                         // the query's owner times out and wakes us
        return;
    case State::Delivering:
        if (!m_hosts.greeted() && m_hosts.advance()) {   // silent until now: the next host
            connectOrGoOn();
            return;
        }
        if (m_client->EndOfDataUnanswered())
            failAndContinue(relayOutcomeUnknown, noReplyToEndOfDataText(m_relay.TimeOut()));
        else
            failAndContinue(relayTimedOut, m_client->LastResponse());
        return;
    case State::Quitting:
        closeAndContinue();                              // the bounded wait for the reply to QUIT
        return;
    }
}

void TSmtpThreadEx::abortByUser()
{
    if (m_state == State::Finished)
        return;
    // The server may have the message already (RFC 1047): stopping now could make it go out twice.
    if (m_state == State::Delivering && m_client->EndOfDataUnanswered())
        return;
    const bool inProgress =
        m_state == State::Resolving || m_state == State::Waiting || m_state == State::Delivering;
    const QString comment = m_state == State::Delivering ? m_client->LastResponse() : QString();
    m_client->Abort();
    if (inProgress)
        report(relayStopped, comment);
    finish();
}

void TSmtpThreadEx::finish()
{
    if (m_state == State::Finished)
        return;
    if (m_state == State::Resolving)
        endLookup();                                     // waiters are woken (stopped too, when aborted)
    setState(State::Finished);
    m_client->Abort();
    m_relay.workerFinished(this);
    deleteLater();
}
