// ListVerifier: the list verification without a window. It fills the result grid from a list's e-mail column,
// asks a DNS server for the MX records of each address's domain (TDnsQuery), several queries at a time, one
// new query per pacing tick, and answers repeated domains from caches of good and bad domains. An answer
// means what it means to the relay (transport/net/mail_exchangers.h): a domain without MX records is asked
// for its address (implicit MX), a null MX takes no mail, and an error code of the server says nothing of
// the domain. Time-outs are measured on Clock::instance() and written to the verification log. Also the
// deletion of unavailable rows from the list and the lines of the results file. A lost datagram is sent
// again by TDnsQuery within the time-out; there is no second DNS server.
#pragma once

#include "platform/appending_file.h"

#include <QElapsedTimer>
#include <QObject>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <map>

class StringGrid;
class TDnsQuery;
class TMsgLanguage;

// Columns of the result grid.
enum VerifyColumn {
    VerifyEmailColumn = 0,
    VerifyDomainColumn = 1,
    VerifyStateColumn = 2,
    VerifyCodeColumn = 3,
    VerifyTimeColumn = 4,
    VerifyCommentColumn = 5,
    VerifyColumnCount = 6,
};

// The row status kept in the result grid (StringGrid::rowStatus); the window colours rows by it.
enum VerifyStatus {
    StatusNotVerified = 0,
    StatusNoDomain = 1,       // no "@" or nothing after it: "No" from the start, never queried
    StatusAvailable = 2,      // the domain has MX records, or an address (answer or good cache)
    StatusUnavailable = 3,    // no such domain, no MX record nor address, or a null MX (answer or bad cache)
    StatusNoAnswer = 4,       // no answer within the time-out
    StatusQueryFailed = 5,    // an error on our side: a socket error, or the server answered an error code;
                              // its state is MsgQueryFailed, so it does not read as the "No" that is deleted
};

// Indexes into the verification window's message list (verifyMessages()).
enum VerifyMessage {
    MsgTitleEmail = 0,        // 0..5: the column titles
    MsgEmailLoading = 6,
    MsgError = 7,
    MsgNotAvailable = 8,
    MsgAvailable = 10,
    MsgNoData = 11,
    MsgTimeOut = 12,
    MsgCompleted = 13,
    MsgVerify = 14,
    MsgTextFiles = 15,
    MsgAllFiles = 16,
    MsgDeleting = 17,
    MsgBadConnections = 18,
    MsgNullMx = 19,
    MsgImplicitMx = 20,
    MsgServerFailure = 21,
    MsgQueryFailed = 22,      // the state of a row whose query failed on our side; new texts go after it
};

// The English texts of the verification window's message list.
QStringList verifyMessages();

// The state texts the verification writes and reads (not translated: Resume and Delete look for them).
inline const QString stateOk = QStringLiteral("Ok");
inline const QString stateNo = QStringLiteral("No");

// Milliseconds between pacing ticks: 1000 div connections, at least 1.
int pacingInterval(int connections);

struct VerifySettings {
    int connections = 5;       // queries in flight at most; at least 1
    QString dnsServer;         // dotted address or host name
    QString dnsPort = QStringLiteral("53");
    int timeOutSeconds = 10;   // a query times out when more seconds than this have passed
};

class ListVerifier : public QObject {
    Q_OBJECT

public:
    // grid: the result grid (not owned), six columns; messages: the texts written into it (not owned).
    ListVerifier(StringGrid& grid, const TMsgLanguage& messages, QObject* parent = nullptr);
    ~ListVerifier() override;
    Q_DISABLE_COPY_MOVE(ListVerifier)

    // Makes the result grid the e-mail column of source (as many rows, titles from the messages) and marks
    // addresses without a domain. afterRow(row) is called after each row; answering false cuts the grid
    // after that row.
    void loadAddresses(const StringGrid& source, int emailColumn, const std::function<bool(int row)>& afterRow);

    // Opens the log at path, emptied; false when it cannot be opened (verification then runs without it), with
    // logError() naming the file and the reason.
    bool openLog(const QString& path);
    void closeLog() { m_log.close(); }
    QString logError() const;

    // Starts a run (resume: keeps "Ok" and other results, verifies empty and "No" rows again). The caller
    // has checked the settings; the caches are emptied on a fresh start only.
    void start(bool resume, const VerifySettings& settings);
    // Ends the run now: no new query, the pending ones are dropped and their rows keep what they show.
    // Emits finished() once per run; does nothing when no run is under way.
    void finish();
    // Launches no further query; the pending ones still end by answer or time-out.
    void stopLaunching();

    bool isRunning() const { return m_running; }
    int queriesInFlight() const { return int(m_queries.size()); }
    int queriesEnded() const { return m_ended; }
    int queriesStarted() const { return m_started; }

    // Double click on a row: the state toggles between "No" and empty. A row whose query failed becomes
    // the user's (not verified), so the "No" given to it is deleted like any other.
    void toggleState(int row);

signals:
    void finished();
    // A line could not be written to the log (text: the file and the system's reason); once per opened log, the
    // lines after it are tried again.
    void logFailed(const QString& text);

private:
    struct PendingQuery {
        TDnsQuery* query = nullptr;
        qint64 startTick = 0;
        int secondsShown = 0;
        bool askingAddress = false;   // the MX answer had no MX record: the A query is out
    };

    void schedulePaceTick();
    void paceTick();
    void launch();
    bool skipsRow(int row) const;
    bool fillFromCache(int row);
    void startQuery(int row);
    void answerArrived(int row, int error);
    bool showMxAnswer(int row, PendingQuery& pending);
    void showAddressAnswer(int row, const TDnsQuery& query);
    void showServerFailure(int row, int responseCode);
    void showQueryFailed(int row, const QString& comment);
    void setCachedResult(int row, int status, const QString& state, const QString& comment);
    void watchTick();
    void timeOut(int row);
    void endQuery(int row);
    void setResult(int row, int status, const QString& state, const QString& comment);
    void writeLogLine(const QString& line);
    QString domainKey(int row) const;

    StringGrid& m_grid;
    const TMsgLanguage& m_messages;
    VerifySettings m_settings;
    QHash<QString, QString> m_goodDomains;   // lower-cased domain -> the comment its later rows get
    QHash<QString, QString> m_badDomains;
    std::map<int, PendingQuery> m_queries;   // by row
    QTimer m_paceTimer;             // one launch a tick (single shot, re-armed by schedulePaceTick)
    QElapsedTimer m_paceClock;      // since the run started; tick k is due at k pacing intervals
    qint64 m_paceTicks = 0;
    QTimer m_watchTimer;            // time cells and time-outs of pending queries
    AppendingFile m_log;
    bool m_logFailureTold = false;
    int m_lastLaunchedRow = 0;      // the rows up to here are launched, filled or skipped
    int m_ended = 0;
    int m_started = 0;
    bool m_resume = false;
    bool m_launching = false;
    bool m_running = false;
};

// True when the row's state is "No" and its query did not end in an error of our side (StatusQueryFailed).
bool isUnavailable(const StringGrid& results, int row);
// Removes the rows isUnavailable names from both grids: the rows kept move up in order. Rows of
// source beyond the results (a load that was stopped) were never verified and are kept. Each grid keeps at
// least one row after the titles. step(row) is called for each source row. Answers the rows removed.
int deleteUnavailableRows(StringGrid& source, StringGrid& results, const std::function<void(int row)>& step);

// The lines of the results file: e-mail ";" state for every row after the titles.
QStringList verificationResultLines(const StringGrid& results);
// A file name without an extension gets ".txt".
QString withTextExtension(const QString& fileName);
