// ExternalSending: the sending window's path through the user's own SMTP server. It optionally logs in to
// the account's POP3 server first (GetMail2), then walks the result rows from the run's current row and
// hands one merged message at a time to SendMail1, recording each result in its row, the counters and the
// send log; it pauses at a series cut and logs in again when the re-login period has passed (measured on
// the program's Clock). The window starts it, shows what it signals and stops it. No widgets here.
#pragma once

#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/sending/send_content.h"
#include "core/sending/sending_run.h"
#include "transport/pop3/pop3_client.h"
#include "transport/smtp/send_mail.h"

#include <QObject>

// The window messages of the path, posted to the engine (and by the window to itself, which forwards them).
constexpr int WM_SENDNEXTMESSAGE = WM_USER + 3;
constexpr int WM_POP3LOGIN = WM_USER + 16;

class ExternalSending : public QObject {
    Q_OBJECT
public:
    enum class RunEnd {
        Completed,      // the walk reached the end of the list
        Aborted,        // Stop was seen before the next message
        LoginFailed,    // the POP3 server refused or could not be reached, the SMTP server refused the
                        // authentication or the TLS handshake failed
    };

    // run and content must outlive the engine; settings is read at every message (ProjectIniInfo).
    ExternalSending(SendingRun& run, const SendContent& content, const TIniInfo& settings, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ExternalSending)

    SendMail SendMail1;
    GetMail GetMail2;

    // Taken for the next messages: the account in use and the network time-out in seconds.
    void setAccount(const tAccountObj& account) { m_account = account; }
    void setTimeOutSeconds(int seconds) { m_timeOutSeconds = seconds; }
    // The project attachments handed with every message (their files and types looked up once, here).
    void setAttachments(const QList<AttachmentRecord>& attachments) { m_attachments = projectAttachmentFiles(attachments); }

    // Starts a run from run.CurrentRow + 1: with the POP3 login first when login is set.
    void start(bool login);
    // The re-send after a relay run: always with the login, posted so the relay's finish returns first.
    void resend();
    // Cancels whatever is under way; the run then ends as Aborted at the next message (run.StopFlag set).
    void stop();
    bool busy() const { return m_mailBusy || m_loginBusy; }
    bool running() const { return m_running; }

    // The two steps of a run (the window's messages WM_POP3LOGIN and WM_SENDNEXTMESSAGE).
    void pop3Login();
    void SendNextMessage();

signals:
    void statusChanged();
    void logLine(const QString& text);
    void loginStarted();
    void loginFailed(const QString& text);
    void seriesPauseDue();
    void runEnded(ExternalSending::RunEnd end);

protected:
    bool event(QEvent* event) override;

private:
    void GetMail2MailInfo(int info, const QString& text);
    void GetMail2MailError(int error, const QString& text);
    void SendMail1MailInfo(int info, const QString& text);
    void SendMail1MailError(int error, const QString& text);
    void SendMail1Done();
    void markUnaccepted(int row);
    QString unansweredEndOfDataText(int error) const;
    void noteAccountRefusal(int error, const QString& text);
    void rememberTls();

    bool reloginDue() const;
    void armRelogin();
    void endRun(RunEnd end);
    void setUpSender();
    void setUpHeaders();
    void setUpMessage(int row);
    void setUpAttachments(int row);
    void logBadAddresses(const QList<int>& rows);

    SendingRun& m_run;
    const SendContent& m_content;
    const TIniInfo& m_settings;
    tAccountObj m_account;
    ProjectAttachmentFiles m_attachments;
    int m_timeOutSeconds = 10;
    long m_zoneOffset = 0;         // the UTC offset read when the run started, in every message's Date
    int m_messageState = 0;        // 0 none under way, 1 handed over, 2 its error already counted
    bool m_mailBusy = false;
    bool m_loginBusy = false;
    bool m_running = false;
    qint64 m_reloginAt = -1;       // Clock tick when the next login is due; -1 none
    QString m_accountRefusal;      // the server refused the account: the run ends after the current row
};
