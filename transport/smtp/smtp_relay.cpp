// The direct-delivery relay: see smtp_relay.h. The relay holds what its workers share (the recipient
// counter, the DNS servers, the texts of the run) and the two timers; the workers do the dialogues.

#include "transport/smtp/smtp_relay.h"

#include "platform/clock.h"
#include "platform/name_servers.h"
#include "transport/mime/html_meta_charset.h"
#include "transport/mime/mail_date.h"
#include "transport/mime/mailbox_header.h"
#include "transport/mime/message_charset.h"
#include "transport/net/async_socket.h"
#include "transport/smtp/smtp_relay_worker.h"

#include <QFileInfo>

#include <algorithm>

namespace {

constexpr int kMaxLineLength = 998;   // RFC 5321 section 4.5.3.1.6; the composer splits by bytes
constexpr int kCompletionDelayMs = 100;

// The path of an attachment item "path" or "path" TAB TAB "MIME type".
QString attachmentPath(const QString& item)
{
    const QString trimmed = item.trimmed();
    const qsizetype separator = trimmed.indexOf(QLatin1String("\t\t"));
    return separator < 0 ? trimmed : trimmed.left(separator);
}

}  // namespace

void wrapLongLines(QStringList& lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].size() <= kMaxLineLength)
            continue;
        lines.insert(i + 1, lines[i].mid(kMaxLineLength));
        lines[i].truncate(kMaxLineLength);
    }
}

TSmtpRelayServer2::TSmtpRelayServer2(QObject* parent) : QObject(parent)
{
    m_completion.setSingleShot(true);
    m_completion.setInterval(kCompletionDelayMs);
    connect(&m_completion, &QTimer::timeout, this, &TSmtpRelayServer2::completionTimeout);
    connect(&m_watchdog, &QTimer::timeout, this, &TSmtpRelayServer2::watchdogTimeout);
}

TSmtpRelayServer2::~TSmtpRelayServer2() = default;

// ---- properties

void TSmtpRelayServer2::requireIdle() const
{
    if (m_busy)
        throw TSmtpRelayServerException(QStringLiteral("Component is busy"));
}

void TSmtpRelayServer2::setConnections(int connections)
{
    requireIdle();
    m_connections = connections <= 0 ? 1 : connections;
}

void TSmtpRelayServer2::setTimeOut(int seconds)
{
    requireIdle();
    m_timeOut = seconds <= 0 ? 60 : seconds;
}

void TSmtpRelayServer2::setSubject(const QString& subject)
{
    requireIdle();
    m_subject = subject;
}

void TSmtpRelayServer2::setBody(const QStringList& lines)
{
    requireIdle();
    m_body = lines;
}

void TSmtpRelayServer2::setRecipients(const StringList& recipients)
{
    requireIdle();
    m_recipients = recipients;
}

void TSmtpRelayServer2::setAttachments(const QStringList& items)
{
    requireIdle();
    m_attachments = items;
}

void TSmtpRelayServer2::setDns(const QString& servers)
{
    requireIdle();
    m_dns = servers.trimmed();
}

// ---- a run

bool TSmtpRelayServer2::runInProgress() const
{
    return m_busy || m_running > 0 || m_completion.isActive();
}

QStringList TSmtpRelayServer2::loadDnsServers() const
{
    if (m_dns.isEmpty())
        return nameServerAddresses();
    return m_dns.split(u' ', Qt::SkipEmptyParts);
}

// Every file is checked before the run starts, so a missing one stops nothing half-way.
void TSmtpRelayServer2::checkAttachments() const
{
    for (const QString& item : m_attachments) {
        const QString path = attachmentPath(item);
        if (!path.isEmpty() && !QFileInfo::exists(path))
            throw TSmtpRelayServerException(QStringLiteral("File not found '%1'").arg(path));
    }
}

void TSmtpRelayServer2::Send()
{
    if (runInProgress())
        throw TSmtpRelayServerException(QStringLiteral("Component is busy"));
    if (From.isEmpty())
        throw TSmtpRelayServerException(QStringLiteral("FROM property is empty"));
    QStringList servers = loadDnsServers();
    if (servers.isEmpty())
        throw TSmtpRelayServerException(QStringLiteral("No DNS SERVER Available"));
    checkAttachments();

    m_dnsServers = std::move(servers);
    m_mxCache.clear();
    try {
        m_hostName = TWSocket::LocalHostName();
    } catch (const SocketException&) {
        m_hostName.clear();                              // each message asks again, as it would without it
    }
    m_charset = CharsetFromName(charSet);
    m_wrappedBody = m_body;
    wrapLongLines(m_wrappedBody);
    m_encodedBody = encodeLines(m_wrappedBody, m_charset);
    m_utf8Fallback = false;
    m_zoneOffset = readMailTimeZone();
    m_partCache = std::make_shared<MimePartCache>();
    m_busy = true;
    m_abort = false;
    m_watchdog.start(watchdogPeriod());
    startWorkers();
}

void TSmtpRelayServer2::startWorkers()
{
    m_workers.clear();
    m_nextRecipient = 0;
    const int count = std::min(m_connections, m_recipients.count());
    for (int i = 0; i < count; ++i)
        m_workers.push_back(new TSmtpThreadEx(*this));
    m_running = count;
    if (count == 0) {
        m_busy = false;                                  // nothing to send: the run ends at once
        m_completion.start();
        return;
    }
    // Slots are only ever cleared during a run, so indexes stay valid while workers start (and end).
    for (size_t i = 0; i < m_workers.size(); ++i)
        if (m_workers[i])
            m_workers[i]->startDelivery();
}

void TSmtpRelayServer2::AbortAll()
{
    if (!m_busy)
        return;
    m_abort = true;
    // The run stays busy while a worker still waits for the reply to its "."; the last one to end clears it.
    for (size_t i = 0; i < m_workers.size(); ++i)
        if (m_workers[i])
            m_workers[i]->abortByUser();
}

// The watchdog looks four times a second (of the relay's second), so a worker is caught within a second
// of TimeOut, not up to a whole TimeOut later.
int TSmtpRelayServer2::watchdogPeriod() const
{
    return std::max(1, int(m_secondLength.count() / 4));
}

// A worker idle for TimeOut seconds is timed out at the watchdog's next look.
void TSmtpRelayServer2::watchdogTimeout()
{
    const qint64 now = Clock::instance().tickCount();
    const qint64 limit = qint64(m_timeOut) * m_secondLength.count();
    for (size_t i = 0; i < m_workers.size(); ++i) {
        TSmtpThreadEx* worker = m_workers[i];
        if (worker && now - worker->lastActivity() >= limit)
            worker->timeOut();
    }
}

void TSmtpRelayServer2::completionTimeout()
{
    m_watchdog.stop();
    if (OnFinished)
        OnFinished(this, m_abort);
}

// ---- for the workers

QList<QByteArray> TSmtpRelayServer2::encodeLines(const QStringList& lines, TMimeChar charset)
{
    QList<QByteArray> encoded;
    encoded.reserve(lines.size());
    for (const QString& line : lines)
        encoded.append(encodeInCharset(line, charset));
    return encoded;
}

// The charset of one recipient's message: charSet, or UTF-8 when it lacks a character of the message.
MessageCharset TSmtpRelayServer2::charsetFor(const QString& headerTo, const QString& subject,
                                             const QStringList& body, const QStringList& htm,
                                             const Recipient& recipient) const
{
    QStringList texts{HeaderFrom, headerTo, subject};
    texts << body << htm;
    for (const QString& path : recipient.htmFiles)
        texts << QFileInfo(path).fileName();
    for (const QString& item : recipient.attachments)
        texts << QFileInfo(attachmentPath(item)).fileName();
    return messageCharsetFor(m_charset, charSet, texts);
}

std::optional<TSmtpRelayServer2::Recipient> TSmtpRelayServer2::claimRecipient()
{
    if (m_abort)
        return std::nullopt;
    while (m_nextRecipient < m_recipients.count() && m_recipients.object(m_nextRecipient).isNull())
        ++m_nextRecipient;                               // items without an object are not sent
    if (m_nextRecipient >= m_recipients.count())
        return std::nullopt;

    Recipient recipient;
    recipient.index = m_nextRecipient++;                 // claimed before the owner's event can re-enter
    recipient.address = m_recipients.at(recipient.index);
    QString headerTo = recipient.address;
    QString subject = m_subject;
    QStringList body = m_wrappedBody;
    QStringList htm;
    recipient.attachments = m_attachments;
    const bool ownerEvent = OnGetDataEx || OnGetData;
    if (ownerEvent) {
        body = m_body;
        QStringList attach = m_attachments;              // every recipient starts from the run's attachments
        if (OnGetDataEx)
            OnGetDataEx(this, recipient.index, headerTo, subject, body, attach, htm, recipient.htmFiles,
                        recipient.htmCids);
        else
            OnGetData(this, recipient.index, headerTo, subject, body);
        if (m_abort)
            return std::nullopt;                         // the event stopped the run: nothing was started
        wrapLongLines(body);
        recipient.attachments = attach;
    }
    const MessageCharset charset = charsetFor(headerTo, subject, body, htm, recipient);
    m_utf8Fallback = m_utf8Fallback || charset.utf8Fallback;
    recipient.charsetName = charset.name;
    recipient.body = ownerEvent || charset.utf8Fallback ? encodeLines(body, charset.charset) : m_encodedBody;
    recipient.htm = encodeLines(withMetaCharset(htm, charset.name), charset.charset);
    recipient.headerFrom = encodeMailboxHeader(HeaderFrom, charset.charset, 6);   // after "From: "
    recipient.headerTo = encodeMailboxHeader(headerTo, charset.charset, 4);       // after "To: "
    recipient.subject = encodeHeaderValue(subject, charset.charset, 9);           // after "Subject: "
    return recipient;
}

void TSmtpRelayServer2::reportResult(int recipientIndex, int err, const QString& comment)
{
    if (OnEMailProcessed)
        OnEMailProcessed(this, recipientIndex, err, comment);
}

void TSmtpRelayServer2::workerFinished(TSmtpThreadEx* worker)
{
    const auto slot = std::find(m_workers.begin(), m_workers.end(), worker);
    if (slot == m_workers.end())
        return;
    *slot = nullptr;
    if (--m_running > 0)
        return;
    m_busy = false;
    m_completion.start();
}
