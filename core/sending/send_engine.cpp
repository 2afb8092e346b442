// The sending window's rules without a window: row states, start and resume rows, the relay queue, the
// relay result texts, the end of a relay run and the external path's walk (see send_engine.h).

#include "core/sending/send_engine.h"

#include "core/logs/send_log.h"
#include "core/base/text_helpers.h"
#include "platform/string_grid.h"
#include "transport/net/mail_address.h"
#include "transport/smtp/smtp_relay.h"

#include <algorithm>

namespace {

// A row that went out, or may have: sending it again could deliver it twice.
bool sentOrMaybeSent(int status)
{
    return status == rowGood || status == rowUnknown;
}

void markBadAddress(StringGrid& results, int row, const QString& errorEmailText)
{
    results.setRowStatus(row, rowBad);
    results.setCell(colResult, row, errorEmailText);
}

}  // namespace

QStringList sendingWindowTexts()
{
    return {
        QStringLiteral("email"), QStringLiteral("state"), QStringLiteral("result"), QStringLiteral("code"),
        QStringLiteral("comment"), QStringLiteral("Elapsed"), QStringLiteral("Total"), QStringLiteral("Waiting"),
        QStringLiteral("Good"), QStringLiteral("Bad"), QStringLiteral("Please fill the recipient list"),
        QStringLiteral("Error email"), QStringLiteral("DNSInfo Define Error"), QStringLiteral("Left"),
        QStringLiteral("Define Email Column"), QStringLiteral("Info"), QString(), QString(),
        QStringLiteral("Attention"), QStringLiteral("Aborted"), QStringLiteral("Sending email through ISP"),
        QStringLiteral("Completed"), QStringLiteral("No"), QStringLiteral("Ok"),
        QStringLiteral("Sent through ISP smtp mail server"), QStringLiteral("Sending... (waiting acknoledgement)"),
        QStringLiteral("Delivered and available to the recipient!"), QStringLiteral("Failed"),
        QStringLiteral("DNS Server not responding"), QStringLiteral("Aborted by user"),
        QStringLiteral("Could not perform the command"),
        QStringLiteral("Time Out - Recipient's SMTP Server didn't respond"), QStringLiteral("Invalid DNS"),
        QStringLiteral("Mailbox unavailable"), QStringLiteral("User not local"),
        QStringLiteral("Exceeded storage allocation"), QStringLiteral("Transaction failed"),
        QStringLiteral("Recipient's  SMTP server returned error"), QStringLiteral("The process has been completed"),
        QStringLiteral("Verification"), QStringLiteral("Schedule mailing"),
        QStringLiteral("Waiting for the next scheduled interval."),
        QStringLiteral("The list no longer matches the results row for row; no row was removed."),
        QStringLiteral("Some messages were sent in UTF-8 because the chosen charset lacks some of their characters."),
        QStringLiteral("Unknown"), QStringLiteral("Unknown: the server may have it"),
        QStringLiteral("The server %1 refused the login: %2"), QStringLiteral("Unknown"),
    };
}

// Beyond the "@": nothing that could end or extend an SMTP command (a TAB before "NOTIFY=NEVER", a line
// break, a bracket) may reach either path; such a row is a bad address.
bool IsValidAddress(const QString& address)
{
    return address.contains(u'@') && isCommandSafeAddress(address);
}

bool CodeInResendList(const StringGrid& results, int row, const QString& codes)
{
    const QString code = trimBlanks(results.cell(colCode, row));
    return splitTextItems(u';', codes).contains(code, Qt::CaseInsensitive);
}

void resetResultRow(StringGrid& results, int row)
{
    results.setRowStatus(row, rowWaiting);
    for (int column = colState; column <= colComment; ++column)
        results.setCell(column, row, QString());
}

void markOutcomeUnknown(StringGrid& results, int row, const QStringList& texts)
{
    results.setRowStatus(row, rowUnknown);
    results.setCell(colState, row, texts.value(textUnknown));
    results.setCell(colResult, row, texts.value(textServerMayHaveIt));
}

void resetAllResultRows(StringGrid& results)
{
    for (int row = 1; row < results.rowCount(); ++row)
        resetResultRow(results, row);
}

void fillResultGrid(StringGrid& results, const StringGrid& list, int emailColumn, const QStringList& titles)
{
    results.bulkChange([&] {
        results.setColumnCount(resultColumnCount);
        results.setRowCount(qMax(2, list.rowCount()));
        results.clear();
        for (int column = 0; column < resultColumnCount; ++column)
            results.setCell(column, 0, titles.value(column));
        for (int row = 1; row < list.rowCount(); ++row)
            results.setCell(colEmail, row, list.cell(emailColumn, row));
    });
}

int sendingStartRow(bool resume, const TSeriesObj& series, int selectedRow, int rowCount)
{
    int row = 1;
    if (resume && series.on())
        row = series.NextStartRow > 0 ? series.NextStartRow : 1;
    else if (resume)
        row = selectedRow;
    return row >= 1 && row < rowCount ? row : 1;
}

void prepareExternalRows(StringGrid& results, int startRow, bool resume, const QString& codes)
{
    for (int row = startRow; row < results.rowCount(); ++row) {
        const int status = results.rowStatus(row);
        const bool keep = status == rowWaiting || status == rowGood || status == rowUnknown
                          || CodeInResendList(results, row, codes);
        if (!resume || !keep)
            resetResultRow(results, row);
    }
}

RelayQueue queueRelayRows(StringGrid& results, int startRow, bool resume, const TSeriesObj& series,
                          const QString& codes, const QString& errorEmailText)
{
    RelayQueue queue;
    int row = startRow;
    for (; row < results.rowCount(); ++row) {
        if (resume && (sentOrMaybeSent(results.rowStatus(row)) || CodeInResendList(results, row, codes)))
            continue;
        const QString address = results.cell(colEmail, row);
        if (!IsValidAddress(address)) {
            markBadAddress(results, row, errorEmailText);
            queue.badRows << row;
            continue;
        }
        queue.recipients.add(address, row);
        resetResultRow(results, row);
        if (series.on() && queue.recipients.count() >= series.MailCount) {
            ++row;
            break;
        }
    }
    // The next part starts after the last row looked at, so rows passed over or marked bad in this part
    // are neither examined again nor skipped by counting only the queued ones.
    queue.nextStartRow = row;
    return queue;
}

int relayResultCode(int err, const QString& comment)
{
    if (err <= 1000)
        return err;
    const int blank = comment.indexOf(u' ');
    if (blank < 1 || blank > 3)
        return err;
    bool ok = false;
    const int code = comment.left(blank).toInt(&ok);
    return ok && code >= 1 && code <= 999 ? code : err;
}

bool isLocalRelayFailure(int err, const QString& comment)
{
    if (comment.isEmpty())
        return false;
    return err == -9 || (err > 1000 && relayResultCode(err, comment) == err);
}

QString relayFailureText(int err, const QString& comment, const QStringList& texts)
{
    if (isLocalRelayFailure(err, comment))
        return texts.value(textFailed) + ": " + comment;
    const auto command = [&](const char* name) { return texts.value(textCommandFailed) + ": " + name; };
    QString reason;
    switch (err) {
    case -9: reason = texts.value(textDnsNotResponding); break;
    case -8: reason = texts.value(textAbortedByUser); break;
    case -7: reason = command("DATA"); break;
    case -6: reason = command("QUIT"); break;
    case -5: reason = command("MAILFROM"); break;
    case -4: reason = command("RCPT"); break;
    case -3: reason = command("OPEN"); break;
    case -2: reason = texts.value(textTimeOut); break;
    case -1: reason = texts.value(textInvalidDns); break;
    case 550: reason = texts.value(textMailboxUnavailable); break;
    case 551: reason = texts.value(textUserNotLocal); break;
    case 552: reason = texts.value(textStorageExceeded); break;
    case 554: reason = texts.value(textTransactionFailed); break;
    default:
        reason = err < 0 ? QStringLiteral("Error %1").arg(err) : texts.value(textServerError) + QStringLiteral(" %1").arg(err);
    }
    return texts.value(textFailed) + ": " + reason;
}

RelayOutcome applyRelayResult(StringGrid& results, int row, int err, const QString& comment, const QStringList& texts)
{
    const int code = relayResultCode(err, comment);
    RelayOutcome outcome;
    outcome.delivered = code == relayDelivered;
    if (err == relayOutcomeUnknown) {
        results.setCell(colCode, row, QString::number(code));
        results.setCell(colComment, row, comment);
        markOutcomeUnknown(results, row, texts);
    } else if (outcome.delivered) {
        results.setRowStatus(row, rowGood);
        results.setCell(colResult, row, texts.value(textDelivered));
        results.setCell(colState, row, texts.value(textOk));
    } else {
        results.setCell(colCode, row, QString::number(code));
        results.setCell(colComment, row, comment);
        results.setRowStatus(row, rowBad);
        results.setCell(colState, row, texts.value(textNo));
        results.setCell(colResult, row, relayFailureText(err, comment, texts));
    }
    outcome.logText = relayResultLogText(results.cell(colEmail, row), results.cell(colState, row),
                                         results.cell(colResult, row));
    return outcome;
}

RelayRunEnd relayRunEnd(const StringGrid& results, const TSeriesObj& series, bool resendOption,
                        const QString& codes)
{
    if (series.on() && series.NextStartRow > 0) {
        for (int row = series.NextStartRow; row < results.rowCount(); ++row) {
            if (!sentOrMaybeSent(results.rowStatus(row)) && !CodeInResendList(results, row, codes))
                return RelayRunEnd::ContinueSeries;
        }
    }
    if (resendOption) {
        for (int row = 1; row < results.rowCount(); ++row) {
            if (CodeInResendList(results, row, codes))
                return RelayRunEnd::ResendThroughServer;
        }
    }
    return RelayRunEnd::Finish;
}

bool externalSeriesCutDue(int currentRow, int rowCount, const TSeriesObj& series)
{
    return currentRow + 1 < rowCount && series.on() && series.MailCount <= series.SentInPart;
}

ExternalStep nextExternalRow(StringGrid& results, int& currentRow, const QString& errorEmailText)
{
    ExternalStep step;
    while (currentRow + 1 < results.rowCount()) {
        const int row = ++currentRow;
        if (!IsValidAddress(results.cell(colEmail, row))) {
            markBadAddress(results, row, errorEmailText);
            step.badRows << row;
            continue;
        }
        const int status = results.rowStatus(row);
        if (status == rowWaiting || status == rowBad) {
            step.row = row;
            break;
        }
    }
    return step;
}

int badRowsFrom(const StringGrid& results, int firstRow)
{
    int bad = 0;
    for (int row = std::max(firstRow, 1); row < results.rowCount(); ++row)
        bad += results.rowStatus(row) == rowBad ? 1 : 0;
    return bad;
}

int rowsWithStatus(const StringGrid& results, int status)
{
    int count = 0;
    for (int row = 1; row < results.rowCount(); ++row)
        count += results.rowStatus(row) == status;
    return count;
}

int rowsWaiting(const StringGrid& results)
{
    int waiting = 0;
    for (int row = 1; row < results.rowCount(); ++row)
        waiting += results.rowStatus(row) == rowWaiting && !trimBlanks(results.cell(colEmail, row)).isEmpty();
    return waiting;
}

int externalErrorCode(const QString& text)
{
    const int colon = text.indexOf(u':');
    if (colon < 0)
        return 0;
    const QString rest = text.mid(colon + 1).trimmed();
    const int blank = rest.indexOf(u' ');
    if (blank < 1 || blank > 3)
        return 0;
    bool ok = false;
    const int code = rest.left(blank).toInt(&ok);
    return ok && code >= 1 ? code : 0;
}
