// The sending window's rules that need no window: the row states of the result grid, the address and
// re-send checks, which rows a start or a resume takes on each path, the relay queue with its series cut,
// the text of each relay result, the choice at the end of a relay run and the external path's walk to
// the next row. Everything works on the result grid (column 0 the address, the row status its state).
#pragma once

#include "core/schedule/schedule_objects.h"
#include "platform/string_list.h"

#include <QString>
#include <QStringList>

class StringGrid;

// The state of one result row, kept as the grid's row status. rowUnknown: the message's final "." went out
// and no reply came, so the server may have it; a resume and the re-send pass over it unless the user
// marks it bad.
enum SendRowStatus { rowWaiting = 0, rowGood = 1, rowBad = 2, rowSending = 3, rowUnknown = 4 };
// The columns of the result grid.
enum ResultColumn { colEmail = 0, colState = 1, colResult = 2, colCode = 3, colComment = 4 };
inline constexpr int resultColumnCount = 5;

// The sending window's message texts (its "msl" items 0..47, 16 and 17 unused).
QStringList sendingWindowTexts();
// Indexes of the sending window's texts in sendingWindowTexts() (its "msl" items).
enum SendText {
    textElapsed = 5,
    textTotal = 6,
    textWaiting = 7,
    textGood = 8,
    textBad = 9,
    textFillList = 10,
    textErrorEmail = 11,
    textDefineEmailColumn = 14,
    textInfo = 15,
    textAttention = 18,
    textAborted = 19,
    textSendingThroughServer = 20,
    textNo = 22,
    textOk = 23,
    textSentThroughServer = 24,
    textWaitingForAcknowledgement = 25,
    textDelivered = 26,
    textFailed = 27,
    textDnsNotResponding = 28,
    textAbortedByUser = 29,
    textCommandFailed = 30,
    textTimeOut = 31,
    textInvalidDns = 32,
    textMailboxUnavailable = 33,
    textUserNotLocal = 34,
    textStorageExceeded = 35,
    textTransactionFailed = 36,
    textServerError = 37,
    textVerification = 39,
    textScheduleMailing = 40,
    textWaitingForInterval = 41,
    textListNotPaired = 42,
    textSentInUtf8 = 43,
    textUnknown = 44,
    textServerMayHaveIt = 45,
    textLoginRefused = 46,          // %1 the server, %2 its reply
    textUnknownCount = 47,          // the status bar's counter of rowUnknown rows
};


// An address is taken when it holds "@" and nothing unsafe in a command (white space, a control
// character, "<" or ">").
bool IsValidAddress(const QString& address);
// The row's code cell (trimmed) is one of the ";"-separated codes, compared without case.
bool CodeInResendList(const StringGrid& results, int row, const QString& codes);
// Status waiting, cells 1..4 emptied.
void resetResultRow(StringGrid& results, int row);
// Status unknown with its state and result texts; the code and comment cells are left to the caller.
void markOutcomeUnknown(StringGrid& results, int row, const QStringList& texts);
// Every row from 1 on reset.
void resetAllResultRows(StringGrid& results);
// The result grid made anew from the list: one row per list row, column 0 its e-mail cell, every row waiting.
void fillResultGrid(StringGrid& results, const StringGrid& list, int emailColumn, const QStringList& titles);

// The first row a start or a resume takes: 1; on a resume the series' next start row when the series is
// on and has one, else the selected row. Always within 1..rowCount - 1 (1 for an empty grid).
int sendingStartRow(bool resume, const TSeriesObj& series, int selectedRow, int rowCount);

// External path: the rows from startRow on that a run sends again. On a resume a row keeps its cells when
// it is waiting, good or unknown, or when its code is in the re-send list; every other row is reset.
void prepareExternalRows(StringGrid& results, int startRow, bool resume, const QString& codes);

// Relay path: what one run hands to the relay.
struct RelayQueue {
    StringList recipients;     // addresses; the object is the result row
    QList<int> badRows;        // rows without "@", marked bad with the "Error email" text
    int nextStartRow = 0;      // with the series on: the row after the last one examined
};
// Queues the rows from startRow on. On a resume good and unknown rows and rows whose code is in the re-send
// list are passed over. With the series on the queue stops after MailCount addresses.
RelayQueue queueRelayRows(StringGrid& results, int startRow, bool resume, const TSeriesObj& series,
                          const QString& codes, const QString& errorEmailText);

// The code a relay result shows: err, or for a Winsock error above 1000 the SMTP code that begins its comment.
int relayResultCode(int err, const QString& comment);
// A failure on our side that the relay worded itself ("No DNS answer for <domain>", "Host <name> not found",
// "Cannot reach <host>: <reason>"): -9, or a Winsock number whose comment is not a server's reply line.
bool isLocalRelayFailure(int err, const QString& comment);
// "Failed: " and the reason for a relay result other than 0: the relay's words for a local failure, else
// the window's text for the code.
QString relayFailureText(int err, const QString& comment, const QStringList& texts);

// One relay result written into its row; the text after the time for the send log is answered.
struct RelayOutcome {
    bool delivered = false;
    QString logText;
};
RelayOutcome applyRelayResult(StringGrid& results, int row, int err, const QString& comment, const QStringList& texts);

// What follows a relay run.
enum class RelayRunEnd {
    ContinueSeries,        // rows from the next start row remain: pause, then the next part
    ResendThroughServer,   // failed rows whose code is in the re-send list go out through the user's server
    Finish,                // the run is over
};
RelayRunEnd relayRunEnd(const StringGrid& results, const TSeriesObj& series, bool resendOption,
                        const QString& codes);

// External path: the series cut is due before the next message.
bool externalSeriesCutDue(int currentRow, int rowCount, const TSeriesObj& series);
// Moves currentRow on to the next row to send (valid address, waiting or bad), marking rows without "@"
// bad with errorEmailText on the way (their rows in badRows). row is 0 when the walk reached the end.
struct ExternalStep {
    int row = 0;
    QList<int> badRows;
};
ExternalStep nextExternalRow(StringGrid& results, int& currentRow, const QString& errorEmailText);
// The bad rows (status 2) from firstRow on: the rows a re-send walks again, each to be counted anew.
int badRowsFrom(const StringGrid& results, int firstRow);
// The rows from 1 on whose status is status.
int rowsWithStatus(const StringGrid& results, int status);
// The rows a start would send: waiting, with an address (blank rows of an empty list are none).
int rowsWaiting(const StringGrid& results);
// The SMTP reply code in the external sender's error text: the number after the first ":" that ends
// with a blank within four characters; 0 when there is none.
int externalErrorCode(const QString& text);
