// ExternalSending: POP3 login, one message at a time through SendMail1, results per row (external_sending.h).

#include "core/sending/external_sending.h"

#include "transport/mime/mail_date.h"
#include "core/logs/send_log.h"
#include "core/settings/settings_file.h"
#include "core/base/text_helpers.h"
#include "platform/clock.h"
#include "transport/smtp/end_of_data_unanswered.h"

#include <QRandomGenerator>

#include <algorithm>
#include <utility>

namespace {

constexpr int kAccessGranted = 10;

// The charset named in the message: the setting's part after ",", "us-ascii" when it names none.
QString messageCharset(const TIniInfo& settings)
{
    const QString charset = CharsetPart(settings.CharSet).trimmed();
    return charset.isEmpty() ? QStringLiteral("us-ascii") : charset;
}

// "<yyyymmddhhnnss.sequence.random.23w9r9A@domain>": the minute stamp alone repeats for every message sent
// in the same minute, so a sequence number and a random part make each id unique.
QString messageIdLine(const QString& mailDomain)
{
    static quint64 sequence = 0;
    const QString unique = Clock::instance().now().toString(QStringLiteral("yyyyMMddHHmmss")) + u'.'
                           + QString::number(++sequence) + u'.'
                           + QString::number(QRandomGenerator::global()->generate(), 16).toUpper();
    return QStringLiteral("Message-Id: <%1.23w9r9A@%2>").arg(unique, mailDomain);
}

}  // namespace

ExternalSending::ExternalSending(SendingRun& run, const SendContent& content, const TIniInfo& settings, QObject* parent)
    : QObject(parent), m_run(run), m_content(content), m_settings(settings)
{
    SendMail1.setParent(this);   // found by their names, as components of the window
    GetMail2.setParent(this);
    SendMail1.setObjectName(QStringLiteral("SendMail1"));
    SendMail1.KeepConnectionOpen = true;
    GetMail2.setObjectName(QStringLiteral("GetMail2"));
    connect(&GetMail2, &GetMail::OnMailInfo, this, &ExternalSending::GetMail2MailInfo);
    connect(&GetMail2, &GetMail::OnMailError, this, &ExternalSending::GetMail2MailError);
    connect(&GetMail2, &GetMail::OnDone, this, [this] { m_loginBusy = false; });
    connect(&SendMail1, &SendMail::OnMailInfo, this, &ExternalSending::SendMail1MailInfo);
    connect(&SendMail1, &SendMail::OnMailError, this, &ExternalSending::SendMail1MailError);
    connect(&SendMail1, &SendMail::OnDone, this, &ExternalSending::SendMail1Done);
}

bool ExternalSending::event(QEvent* event)
{
    if (const WindowMessage* message = WindowMessage::from(event)) {
        if (message->msg == WM_POP3LOGIN)
            pop3Login();
        else if (message->msg == WM_SENDNEXTMESSAGE)
            SendNextMessage();
        return true;
    }
    return QObject::event(event);
}

void ExternalSending::start(bool login)
{
    m_zoneOffset = readMailTimeZone();
    m_running = true;
    m_messageState = 0;
    m_accountRefusal.clear();
    WindowMessage::send(this, login ? WM_POP3LOGIN : WM_SENDNEXTMESSAGE);
}

void ExternalSending::resend()
{
    // The relay run counted its failed rows; the re-send gives each a new result that is counted instead.
    m_run.Bad = std::max(0, m_run.Bad - badRowsFrom(m_run.results, m_run.CurrentRow + 1));
    m_zoneOffset = readMailTimeZone();
    m_running = true;
    m_messageState = 0;
    m_accountRefusal.clear();
    WindowMessage::post(this, WM_POP3LOGIN);
}

void ExternalSending::stop()
{
    if (m_loginBusy) {
        GetMail2.setMail_Action(TGetMailAction::Cancel_GetMail);
        WindowMessage::post(this, WM_SENDNEXTMESSAGE);   // a cancelled login reports nothing: end the run here
    }
    // A message whose "." went out is not abandoned: its reply is awaited (bounded by the reply time-out),
    // so its row gets the server's answer and a resume does not send it twice.
    if (m_mailBusy && !SendMail1.EndOfDataUnanswered())
        SendMail1.setAction(TMailAction::Cancel_SendMail);   // its end posts the next message, which aborts
}

void ExternalSending::pop3Login()
{
    if (m_run.results.rowCount() <= 1)
        return endRun(RunEnd::Completed);   // no rows: nothing to log in for
    m_reloginAt = -1;
    GetMail2.TimeoutArp = m_timeOutSeconds;
    GetMail2.TimeoutConnect = m_timeOutSeconds;
    GetMail2.TimeoutReply = m_timeOutSeconds;
    GetMail2.setMail_Server(m_account.PopServer);
    GetMail2.Mail_Port = quint16(m_account.PopPort);
    GetMail2.User_ID = m_account.UserID;
    GetMail2.User_Password = m_account.Password;
    GetMail2.RequireTls = m_account.popNeedsTls();
    emit loginStarted();
    m_loginBusy = true;
    GetMail2.setMail_Action(TGetMailAction::Get_Mail);
}

void ExternalSending::GetMail2MailInfo(int info, const QString&)
{
    if (info != kAccessGranted)
        return;
    if (GetMail2.TlsUsed() && !m_account.popNeedsTls()) {
        m_account.PopTlsHost = m_account.PopServer.trimmed();
        rememberTls();
    }
    GetMail2.Abort();
    if (m_settings.Pop3Identify && m_settings.AutoCommit && m_settings.AutoCommitT > 0)
        armRelogin();
    WindowMessage::post(this, WM_SENDNEXTMESSAGE);
}

void ExternalSending::GetMail2MailError(int, const QString& text)
{
    GetMail2.Abort();
    if (!m_running)
        return;   // the run has ended already (stopped, or an earlier error of this login)
    endRun(RunEnd::LoginFailed);
    emit loginFailed(text);
}

void ExternalSending::armRelogin()
{
    m_reloginAt = Clock::instance().tickCount() + qint64(m_settings.AutoCommitT) * 60 * 1000;
}

bool ExternalSending::reloginDue() const
{
    return m_settings.AutoCommit && m_settings.AutoCommitT > 0 && m_reloginAt >= 0
           && Clock::instance().tickCount() >= m_reloginAt;
}

void ExternalSending::SendNextMessage()
{
    // One message at a time: while one is under way, its end posts the next step.
    if (!m_running || m_mailBusy)
        return;
    if (m_run.StopFlag)
        return endRun(RunEnd::Aborted);
    if (reloginDue()) {
        WindowMessage::post(this, WM_POP3LOGIN);
        return;
    }
    if (externalSeriesCutDue(m_run.CurrentRow, m_run.results.rowCount(), m_run.series)) {
        if (m_run.Waiting == 0) {
            m_run.series.NextStartRow = m_run.CurrentRow + 1;
            m_running = false;
            SendMail1.QuitKeptConnection();   // the pause may outlast the server's idle limit
            emit seriesPauseDue();
        }
        emit statusChanged();
        return;
    }
    const ExternalStep step = nextExternalRow(m_run.results, m_run.CurrentRow, m_run.text(textErrorEmail));
    logBadAddresses(step.badRows);
    if (step.row == 0)
        return endRun(RunEnd::Completed);
    m_messageState = 1;
    setUpSender();
    setUpHeaders();
    setUpMessage(step.row);
    m_mailBusy = true;
    SendMail1.setAction(TMailAction::Send_Mail);
    ++m_run.Waiting;
    ++m_run.series.SentInPart;
    emit statusChanged();
}

void ExternalSending::logBadAddresses(const QList<int>& rows)
{
    m_run.Bad += int(rows.size());
    for (int row : rows)
        emit logLine(externalErrorLogText(m_run.results.cell(colEmail, row), m_run.text(textNo),
                                          m_run.text(textErrorEmail)));
}

void ExternalSending::endRun(RunEnd end)
{
    if (!std::exchange(m_running, false))
        return;   // a run ends once
    m_messageState = 0;
    SendMail1.QuitKeptConnection();
    emit statusChanged();
    emit runEnded(end);
}

void ExternalSending::setUpSender()
{
    SendMail1.SmtpUser = m_account.AuName;
    SendMail1.SmtpPsw = m_account.auPsw;
    SendMail1.SmtpAuth = m_account.Authen;
    SendMail1.HeloDef = m_settings.DefaultHelo;
    SendMail1.HeloTxt = m_settings.TextHelo;
    SendMail1.MailDomain = m_account.MailDomain;
    SendMail1.RequireTls = m_account.smtpNeedsTls();
    SendMail1.TimeoutArp = m_timeOutSeconds;
    SendMail1.TimeoutConnect = m_timeOutSeconds;
    SendMail1.TimeoutReply = m_timeOutSeconds;
    SendMail1.setSMTP_Server(m_account.SMTPServer);
    SendMail1.FROM_Address = m_account.ReturnAddress.isEmpty() ? m_account.UserID + u'@' + m_account.PopServer
                                                               : m_account.ReturnAddress;
    SendMail1.FROM_Name = m_account.Name.isEmpty() ? QString() : u'"' + m_account.Name + u'"';
    const bool html = m_content.htmlOn;
    SendMail1.TypeContent = html ? TTypeContent::tcHtml : TTypeContent::tcPlain;
    SendMail1.Content_Type = html ? QStringLiteral("text/html") : QStringLiteral("text/plain");
    SendMail1.Charset = messageCharset(m_settings);
    SendMail1.MimeChar = CharsetFromName(SendMail1.Charset);
    SendMail1.SMTP_Port = quint16(m_account.SMTPPort);
}

void ExternalSending::setUpHeaders()
{
    SendMail1.Headers.clear();
    SendMail1.Headers << QStringLiteral("Date: ")
                             + QString::fromLatin1(mailDateText(Clock::instance().secondsSinceEpoch(), m_zoneOffset));
    if (!m_account.ReturnAddress.isEmpty() && !m_account.ReplyTo.isEmpty())
        SendMail1.Headers << QStringLiteral("Reply-To: ") + m_account.ReplyTo;
    SendMail1.Headers << QStringLiteral("X-Mailer: Quarvel");
    SendMail1.Headers << messageIdLine(m_account.MailDomain);
}

void ExternalSending::setUpMessage(int row)
{
    SendMail1.ListTo.clear();
    SendMail1.TO_Address = m_run.results.cell(colEmail, row);
    SendMail1.TO_Name.clear();
    SendMail1.MailText = m_content.mergedPlainLines(row);
    SendMail1.Subject = m_content.mergedSubject(row);
    m_run.results.setRowStatus(row, rowSending);
    m_run.results.setCell(colResult, row, m_run.text(textSendingThroughServer) + QStringLiteral(" ..."));
    setUpAttachments(row);
    SendMail1.HtmlText.clear();
    SendMail1.HtmlFiles.clear();
    SendMail1.HtmlCids.clear();
    if (m_content.htmlOn)
        SendMail1.HtmlText = m_content.mergedHtmlLines(row, SendMail1.HtmlFiles, SendMail1.HtmlCids);
}

// Each project attachment goes once under its record (slots 1..P line up with the first P items); the
// row's own file follows as a plain file; a missing project file is left out and logged.
void ExternalSending::setUpAttachments(int row)
{
    SendMail1.ClearAttachments();
    for (const AttachmentRecord& record : m_attachments.records)
        SendMail1.AddAttachment(record);
    const QString own = m_content.rowAttachment(row);
    if (!own.isEmpty())
        SendMail1.Attachments << own;
    for (const QString& path : m_attachments.missing)
        emit logLine(m_run.results.cell(colEmail, row) + QStringLiteral(";File not found '%1'").arg(path));
}

void ExternalSending::SendMail1MailInfo(int, const QString& text)
{
    if (m_messageState != 0)
        m_run.results.setCell(colComment, m_run.CurrentRow, text);
}

// No reply to the message's "." (a time-out, a closed connection) leaves its outcome unknown, with the
// reason as its comment; any other error fails the row with the server's or the socket's text.
void ExternalSending::SendMail1MailError(int error, const QString& text)
{
    if (m_messageState == 0)
        return;
    const int row = m_run.CurrentRow;
    const bool first = m_messageState == 1;
    m_messageState = 2;
    m_run.results.setCell(colComment, row, SendMail1.EndOfDataUnanswered() ? unansweredEndOfDataText(error) : text);
    markUnaccepted(row);
    if (m_run.results.rowStatus(row) == rowBad) {
        m_run.results.setCell(colResult, row, QString());
        if (const int code = externalErrorCode(text))
            m_run.results.setCell(colCode, row, QString::number(code));
    }
    noteAccountRefusal(error, text);
    if (m_mailBusy)
        SendMail1.setAction(TMailAction::Cancel_SendMail);
    if (!first)
        return;
    m_run.countResult(m_run.results.rowStatus(row));
    emit statusChanged();
    emit logLine(externalErrorLogText(m_run.results.cell(colEmail, row), m_run.results.cell(colState, row),
                                      m_run.results.cell(colComment, row)));
}

QString ExternalSending::unansweredEndOfDataText(int error) const
{
    return error == sendmail_error::Timeout ? noReplyToEndOfDataText(m_timeOutSeconds) : closedAfterEndOfDataText();
}

// A message the server did not take: failed, or of unknown outcome when no reply to its "." came.
void ExternalSending::markUnaccepted(int row)
{
    if (SendMail1.EndOfDataUnanswered()) {
        markOutcomeUnknown(m_run.results, row, m_run.texts);
        return;
    }
    m_run.results.setCell(colState, row, m_run.text(textNo));
    m_run.results.setRowStatus(row, rowBad);
}

void ExternalSending::SendMail1Done()
{
    m_mailBusy = false;
    if (SendMail1.TlsUsed() && !m_account.smtpNeedsTls()) {
        m_account.SmtpTlsHost = m_account.SMTPServer.trimmed();
        rememberTls();
    }
    if (m_messageState == 0)
        return;
    const int row = m_run.CurrentRow;
    const bool accepted = SendMail1.MessageAccepted();
    m_run.utf8Fallback = m_run.utf8Fallback || SendMail1.Utf8Fallback();
    if (accepted) {
        ++m_run.Good;
        m_run.results.setCell(colState, row, m_run.text(textOk));
        m_run.results.setCell(colResult, row, m_run.text(textSentThroughServer));
        m_run.results.setCell(colCode, row, QString());
        m_run.results.setCell(colComment, row, QString());
        m_run.results.setRowStatus(row, rowGood);
        emit logLine(externalAcceptedLogText(m_run.results.cell(colEmail, row), m_run.text(textOk)));
    } else {
        markUnaccepted(row);
        if (m_messageState == 1) {   // ended without an error event: counted and logged here
            m_run.countResult(m_run.results.rowStatus(row));
            emit logLine(externalErrorLogText(m_run.results.cell(colEmail, row), m_run.results.cell(colState, row),
                                              m_run.results.cell(colComment, row)));
        }
    }
    m_messageState = 0;
    --m_run.Waiting;
    emit statusChanged();
    if (!m_accountRefusal.isEmpty()) {
        // The rows after this one stay waiting, so a resume goes on once the account is mended.
        const QString text = std::exchange(m_accountRefusal, QString());
        endRun(RunEnd::LoginFailed);
        emit loginFailed(text);
        return;
    }
    WindowMessage::post(this, WM_SENDNEXTMESSAGE);
}

// The first TLS session with one of the account's servers is kept in the settings file at once: from
// then on a server that offers no TLS gets no credentials, in this run and the next ones. A file that
// cannot be written keeps it for this program's life.
void ExternalSending::rememberTls()
{
    rememberTlsHosts(m_settings.NConnect, m_account);
    SaveSettings();
}

// A refused login or a failed TLS handshake would fail every row the same way, each with a new attempt
// at the server (an invitation to lock the account): the run ends after this row.
void ExternalSending::noteAccountRefusal(int error, const QString& text)
{
    if (!SendMail1.LoginRefusal().isEmpty())
        m_accountRefusal = m_run.text(textLoginRefused).arg(m_account.SMTPServer, SendMail1.LoginRefusal());
    else if (error == sendmail_error::SecureConnectionFailed)
        m_accountRefusal = text;
}
