// RelaySending: the sending window's direct-delivery path. It queues the result rows of one run (or of one
// series part), hands them to the relay Srv1 and answers its events: the merged message of each recipient's
// list row, and each recipient's result in its row, the counters and the send log. The window reads what
// follows the run (relayRunEnd) when finished() arrives. No widgets here.
#pragma once

#include "core/sending/send_content.h"
#include "core/sending/sending_run.h"
#include "transport/smtp/smtp_relay.h"

#include <QObject>

class RelaySending : public QObject {
    Q_OBJECT
public:
    // The relay's settings for one run, from the window's fields and the settings.
    struct Sender {
        QString name;
        QString email;
        QString mailDomain;
        QString dns;
        QString charset;
        QString signon;             // empty: the relay's own greeting
        int connections = 1;
        int timeOutSeconds = 60;
        QStringList attachments;    // project attachment items: path TAB TAB type
    };
    enum class Start {
        Started,
        NothingQueued,      // every row was passed over or had no address: the run is over
        Failed,             // the relay refused to start; errorText tells why
    };

    RelaySending(SendingRun& run, const SendContent& content, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(RelaySending)

    TSmtpRelayServer2 Srv1;

    Start start(const Sender& sender, int startRow, bool resume, const QString& codes);
    QString errorText() const { return m_errorText; }
    bool busy() const { return Srv1.busy(); }
    void abort() { Srv1.AbortAll(); }

signals:
    void statusChanged();
    void logLine(const QString& text);
    void finished();

private:
    void configure(const Sender& sender);
    int rowOf(int recipientIndex) const;
    void Srv1GetDataEx(int recipientIndex, QString& headerTo, QString& subject, QStringList& mml,
                       QStringList& attach, QStringList& htm, QStringList& htmAttach, QStringList& htmCid);
    void Srv1EMailProcessed(int recipientIndex, int err, const QString& comment);

    SendingRun& m_run;
    const SendContent& m_content;
    QStringList m_projectItems;
    QString m_errorText;
};
