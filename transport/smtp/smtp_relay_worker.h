// TSmtpThreadEx: one worker of TSmtpRelayServer2. It claims recipients one after another from its relay and,
// for each, takes the domain's MX hosts from the run's cache or asks the DNS servers for them (moving to the
// next server on the watchdog's time-out, an error or a failure answer; while another worker's query for the
// domain is out it waits for that one), runs the SMTP dialogue on its own TSmtpCli (inside TLS when a host
// offers STARTTLS) with the hosts in preference order until one greets (delivery_hosts.h) and reports
// exactly one result. Driven by socket events and the relay's watchdog on the GUI thread; it never pumps the
// event loop and is deleted deferred.
#pragma once

#include "transport/smtp/delivery_hosts.h"
#include "transport/smtp/mx_cache.h"
#include "transport/smtp/smtp_relay.h"

#include <QObject>
#include <QString>

class TDnsQuery;

class TSmtpThreadEx : public QObject {
    Q_OBJECT
public:
    explicit TSmtpThreadEx(TSmtpRelayServer2& relay);
    ~TSmtpThreadEx() override;
    Q_DISABLE_COPY_MOVE(TSmtpThreadEx)

    // Claims the next recipient and starts on it; with none left the worker finishes.
    void startDelivery();
    // The relay's watchdog found the worker idle for too long.
    void timeOut();
    // AbortAll: a recipient in progress is reported relayStopped, then the worker finishes; one whose "."
    // went out waits for its reply first.
    void abortByUser();
    // The query another worker made for the domain this one waits for has ended, answered or not.
    void sharedLookupEnded();

    qint64 lastActivity() const { return m_lastActivity; }
    bool finished() const { return m_state == State::Finished; }

private:
    enum class State {
        Idle,         // no recipient in hand (between recipients, or not started)
        Resolving,    // MX query out to m_dnsIndex's server
        Waiting,      // another worker's MX query for the same domain is out
        Delivering,   // SMTP dialogue from connect (to one host after another) up to the reply to "."
        Quitting,     // recipient reported; QUIT out, closed at its reply or at the watchdog's time-out
        Finished,     // no recipient left or stopped; the relay no longer knows the worker
    };

    void setState(State state) { m_state = state; }
    void touch();                         // activity: a reply line, a DNS answer, message text leaving
    bool claimNext();
    bool startRecipient();
    bool resolveDomain();
    void sendLookup();
    void onDnsDone(int error);
    void rotateDnsServer();
    void endLookup();
    void startSmtpPhase(const dns::MailExchangers& exchangers);
    bool beginSmtpPhase(const dns::MailExchangers& exchangers);
    bool connectToHost();
    void connectOrGoOn();
    void hostFailed(int error);
    void onClientDone(TSmtpRequest request, int error);
    void runNextStep(TSmtpRequest finished);
    void messageDelivered();
    void report(int err, const QString& comment);
    void fail(int err, const QString& comment);
    void failAndContinue(int err, const QString& comment);
    void closeAndContinue();
    void finish();

    TSmtpRelayServer2& m_relay;
    TSmtpCli* m_client;                  // owned (child)
    TDnsQuery* m_dns;                    // owned (child)
    State m_state = State::Idle;
    TSmtpRelayServer2::Recipient m_recipient;
    QString m_domain;
    DeliveryHosts m_hosts;               // the recipient's mail hosts, in the order they are tried
    bool m_reported = true;              // the recipient in hand has had its one report
    int m_dnsIndex = 0;
    int m_dnsAttempts = 0;
    qint64 m_lastActivity = 0;
};
