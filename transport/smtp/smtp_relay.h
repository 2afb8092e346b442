// TSmtpRelayServer2: direct delivery of one message per recipient to the mail exchanger of the recipient's
// domain, over up to Connections concurrent dialogues (TSmtpThreadEx workers, smtp_relay_worker.h) on the
// GUI thread. Each worker claims the next recipient, asks the DNS servers for the domain's MX hosts and runs
// the SMTP dialogue with them in preference order; every claimed recipient gets exactly one OnEMailProcessed
// and a run ends with exactly one OnFinished. The only time-out is the watchdog: a worker idle for TimeOut
// seconds is stopped (or, before a host greeted, moved to the next host) within a second after that.
#pragma once

#include "transport/net/transport_exception.h"

#include "platform/string_list.h"
#include "transport/mime/charsets.h"
#include "transport/mime/message_charset.h"
#include "transport/smtp/mx_cache.h"
#include "transport/smtp/smtp_cli.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

class TSmtpThreadEx;

// The Err of OnEMailProcessed; a positive value is the refusing SMTP reply code, 500 for a failure the
// comment describes, 10004 when the server closed the connection (the comment then holds its last reply
// line), or the Winsock number of a failure on our side before any mail host greeted: 11001..11004 with
// "Host <name> not found" (11001 also when the recipient's domain does not exist), any other number with
// "Cannot reach <host>: <reason>". Such a comment never begins with a reply code.
enum TRelayResult {
    relayDelivered = 0,         // the server took the message ("." answered 250)
    relayNoMailHost = -1,       // empty domain, or a null MX: the domain accepts no mail
    relayTimedOut = -2,         // no activity in the SMTP phase for more than TimeOut seconds
    relayConnectFailed = -3,    // exception while opening the connection
    relayRcptToFailed = -4,     // exception while starting RCPT TO
    relayMailFromFailed = -5,   // exception while starting MAIL FROM
    relayQuitFailed = -6,       // exception while starting QUIT (no longer reported: the message is delivered)
    relayDataFailed = -7,       // exception while starting DATA
    relayStopped = -8,          // AbortAll
    relayNoDnsServer = -9,      // "No DNS answer for <domain>": servers silent, failing or answering an error
    relayOutcomeUnknown = -10,  // "." went out and no reply came (time-out or closed): the server may have it
};

enum TContentType { ctHTML, ctPlainText };

// Cuts every line of 999 characters or more after 998 characters; the rest becomes a line of its own
// (then examined in turn), so no text is lost or joined to the following line.
void wrapLongLines(QStringList& lines);

class TSmtpRelayServer2 : public QObject {
    Q_OBJECT
public:
    using TSmtpRelayServerGetData = std::function<void(TSmtpRelayServer2* sender, int recipientIndex,
                                                       QString& headerTo, QString& subject, QStringList& body)>;
    using TSmtpRelayServerGetDataEx = std::function<void(
        TSmtpRelayServer2* sender, int recipientIndex, QString& headerTo, QString& subject, QStringList& mml,
        QStringList& attach, QStringList& htm, QStringList& htmAttach, QStringList& htmCid)>;
    using TSmtpRelayServerProcessedEx =
        std::function<void(TSmtpRelayServer2* sender, int recipientIndex, int err, const QString& comment)>;
    using TSmtpRelayServerFinished = std::function<void(TSmtpRelayServer2* sender, bool aborted)>;

    explicit TSmtpRelayServer2(QObject* parent = nullptr);
    ~TSmtpRelayServer2() override;
    Q_DISABLE_COPY_MOVE(TSmtpRelayServer2)

    // ---- properties; the setters below raise "Component is busy" during a run
    int Connections() const { return m_connections; }
    void setConnections(int connections);            // 0 or less is stored as 1
    int TimeOut() const { return m_timeOut; }
    void setTimeOut(int seconds);                    // 0 or less is stored as 60
    QString Subject() const { return m_subject; }
    void setSubject(const QString& subject);
    QStringList Body() const { return m_body; }
    void setBody(const QStringList& lines);
    // One address per item; only items whose object is not null are sent.
    const StringList& Recipients() const { return m_recipients; }
    void setRecipients(const StringList& recipients);
    // Items "path" or "path" TAB TAB "MIME type".
    QStringList Attachments() const { return m_attachments; }
    void setAttachments(const QStringList& items);
    // DNS server addresses separated by blanks; empty: the system's name servers.
    QString Dns() const { return m_dns; }
    void setDns(const QString& servers);

    QString Signon;                     // HELO argument; empty: defaultHeloName (helo_name.h)
    QString From;                       // envelope sender and Reply-To
    QString HeaderFrom;                 // From header
    QString charSet = QStringLiteral("iso-8859-1");   // charset of the texts, which are converted to it
    TContentType ContentType = ctPlainText;
    QString HdrMailDomain;              // domain inside the Message-ID, and the HELO default for a short host name

    TSmtpRelayServerGetData OnGetData;
    TSmtpRelayServerGetDataEx OnGetDataEx;
    TSmtpRelayServerProcessedEx OnEMailProcessed;
    TSmtpRelayServerFinished OnFinished;
    TSmtpCli::TSmtpMimeChar OnMimeChar;

    // Starts a run. Raises "Component is busy", "FROM property is empty", "No DNS SERVER Available" or
    // "File not found '<path>'" for an attachment; after any of them the component stays idle.
    void Send();
    // Stops the run: every recipient in progress is reported relayStopped, except a message whose final "."
    // went out: its reply is awaited (bounded by TimeOut) and reported. OnFinished(true) follows the last.
    void AbortAll();
    bool busy() const { return m_busy; }
    // True when a message of the run went in UTF-8 because charSet lacks characters of its texts.
    bool Utf8Fallback() const { return m_utf8Fallback; }

    // Where DNS queries and SMTP connections go ("53" and "smtp" by default); for tests against local peers.
    void setDnsPort(const QString& port) { m_dnsPort = port; }
    void setSmtpPort(const QString& port) { m_smtpPort = port; }
    // Length of one second of TimeOut and of the watchdog period; tests shorten it so they need not wait.
    void setSecondLength(std::chrono::milliseconds length) { m_secondLength = length; }

private:
    friend class TSmtpThreadEx;

    // What a worker sends to the recipient it claimed: texts already in the message's charset (charSet,
    // or UTF-8 when charSet lacks some of their characters), header texts as encoded words where they are
    // not plain ASCII.
    struct Recipient {
        int index = -1;
        QString address;
        QString charsetName;
        QByteArray headerFrom;
        QByteArray headerTo;
        QByteArray subject;
        QList<QByteArray> body;
        QList<QByteArray> htm;
        QStringList htmFiles;
        QStringList htmCids;
        QStringList attachments;
    };

    void requireIdle() const;
    bool runInProgress() const;
    QStringList loadDnsServers() const;
    void checkAttachments() const;
    static QList<QByteArray> encodeLines(const QStringList& lines, TMimeChar charset);
    MessageCharset charsetFor(const QString& headerTo, const QString& subject, const QStringList& body,
                              const QStringList& htm, const Recipient& recipient) const;
    void startWorkers();
    int watchdogPeriod() const;
    void watchdogTimeout();
    void completionTimeout();

    // ---- for the workers
    std::optional<Recipient> claimRecipient();
    void reportResult(int recipientIndex, int err, const QString& comment);
    void workerFinished(TSmtpThreadEx* worker);

    int m_connections = 1;
    int m_timeOut = 60;
    QString m_subject;
    QStringList m_body;
    StringList m_recipients;
    QStringList m_attachments;
    QString m_dns;
    QString m_dnsPort = QStringLiteral("53");
    QString m_smtpPort = QStringLiteral("smtp");
    std::chrono::milliseconds m_secondLength{1000};

    bool m_busy = false;
    bool m_abort = false;
    int m_running = 0;
    int m_nextRecipient = 0;
    QStringList m_dnsServers;
    MxCache m_mxCache;                   // MX answers of this run
    QString m_hostName;                  // this machine's name, read once per run
    TMimeChar m_charset = TMimeChar::ISO_8859_1;
    QStringList m_wrappedBody;           // Body wrapped once per run
    QList<QByteArray> m_encodedBody;     // and converted to charSet
    bool m_utf8Fallback = false;
    std::shared_ptr<MimePartCache> m_partCache;  // the parts the run's messages share, built once
    long m_zoneOffset = 0;               // the UTC offset read when the run started, in every message's Date
    std::vector<TSmtpThreadEx*> m_workers;   // a slot becomes null when its worker ends
    QTimer m_watchdog;
    QTimer m_completion;
};
