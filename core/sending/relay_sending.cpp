// RelaySending: one direct-delivery run of the sending window through TSmtpRelayServer2 (relay_sending.h).

#include "core/sending/relay_sending.h"

#include "core/logs/send_log.h"

RelaySending::RelaySending(SendingRun& run, const SendContent& content, QObject* parent)
    : QObject(parent), m_run(run), m_content(content)
{
    Srv1.setParent(this);   // found by its name, as a component of the window
    Srv1.setObjectName(QStringLiteral("Srv1"));
    Srv1.OnGetDataEx = [this](TSmtpRelayServer2*, int index, QString& headerTo, QString& subject, QStringList& mml,
                              QStringList& attach, QStringList& htm, QStringList& htmAttach, QStringList& htmCid) {
        Srv1GetDataEx(index, headerTo, subject, mml, attach, htm, htmAttach, htmCid);
    };
    Srv1.OnEMailProcessed = [this](TSmtpRelayServer2*, int index, int err, const QString& comment) {
        Srv1EMailProcessed(index, err, comment);
    };
    Srv1.OnFinished = [this](TSmtpRelayServer2*, bool) {
        m_run.utf8Fallback = m_run.utf8Fallback || Srv1.Utf8Fallback();
        emit statusChanged();
        emit finished();
    };
}

RelaySending::Start RelaySending::start(const Sender& sender, int startRow, bool resume, const QString& codes)
{
    m_errorText.clear();
    configure(sender);
    const RelayQueue queue =
        queueRelayRows(m_run.results, startRow, resume, m_run.series, codes, m_run.text(textErrorEmail));
    m_run.Bad += int(queue.badRows.size());
    for (int row : queue.badRows)
        emit logLine(relayResultLogText(m_run.results.cell(colEmail, row), m_run.text(textNo),
                                        m_run.text(textErrorEmail)));
    m_run.CurrentRow = startRow - 1;
    emit statusChanged();
    if (!queue.recipients.isEmpty()) {
        try {
            Srv1.setRecipients(queue.recipients);
            Srv1.Send();
        } catch (const TSmtpRelayServerException& error) {
            // Nothing of this part went out: a later resume must start at its first row again.
            m_errorText = error.text();
            return Start::Failed;
        }
    }
    if (m_run.series.on())
        m_run.series.NextStartRow = queue.nextStartRow;
    return queue.recipients.isEmpty() ? Start::NothingQueued : Start::Started;
}

void RelaySending::configure(const Sender& sender)
{
    Srv1.setConnections(sender.connections);
    Srv1.setTimeOut(sender.timeOutSeconds);
    Srv1.HeaderFrom = sender.name.isEmpty() ? QStringLiteral("<%1>").arg(sender.email)
                                            : QStringLiteral("\"%1\" <%2>").arg(sender.name, sender.email);
    Srv1.From = sender.email;
    Srv1.setSubject(m_content.subject);
    Srv1.setDns(sender.dns);
    Srv1.HdrMailDomain = sender.mailDomain;
    Srv1.charSet = sender.charset;
    if (!sender.signon.isEmpty())
        Srv1.Signon = sender.signon;
    Srv1.ContentType = m_content.htmlOn ? ctHTML : ctPlainText;
    Srv1.setAttachments(sender.attachments);
    m_projectItems = sender.attachments;
}

// The result row a recipient rides on, or 0 when the index or the row is not one of this run's.
int RelaySending::rowOf(int recipientIndex) const
{
    const StringList& recipients = Srv1.Recipients();
    if (recipientIndex < 0 || recipientIndex >= recipients.count())
        return 0;
    const int row = recipients.object(recipientIndex).toInt();
    return row >= 1 && row < m_run.results.rowCount() ? row : 0;
}

void RelaySending::Srv1GetDataEx(int recipientIndex, QString& headerTo, QString& subject, QStringList& mml,
                                 QStringList& attach, QStringList& htm, QStringList& htmAttach, QStringList& htmCid)
{
    const int row = rowOf(recipientIndex);
    if (row == 0)
        return;
    attach = m_projectItems;
    if (const QString own = m_content.rowAttachment(row); !own.isEmpty())
        attach.prepend(own);
    subject = m_content.mergedSubject(row);
    mml = m_content.mergedPlainLines(row);
    htm.clear();
    if (m_content.htmlOn)
        htm = m_content.mergedHtmlLines(row, htmAttach, htmCid);
    headerTo = QStringLiteral("<%1>").arg(m_run.results.cell(colEmail, row));
    m_run.results.setRowStatus(row, rowSending);
    m_run.results.setCell(colResult, row, m_run.text(textWaitingForAcknowledgement));
    ++m_run.Waiting;
    ++m_run.series.SentInPart;
    emit statusChanged();
}

void RelaySending::Srv1EMailProcessed(int recipientIndex, int err, const QString& comment)
{
    const int row = rowOf(recipientIndex);
    if (row == 0)
        return;
    const RelayOutcome outcome = applyRelayResult(m_run.results, row, err, comment, m_run.texts);
    m_run.countResult(m_run.results.rowStatus(row));
    emit logLine(outcome.logText);
    --m_run.Waiting;
    emit statusChanged();
}
