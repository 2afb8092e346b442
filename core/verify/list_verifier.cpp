// The verification engine: see list_verifier.h.

#include "core/verify/list_verifier.h"

#include "core/language/msg_language.h"
#include "core/base/text_helpers.h"
#include "platform/clock.h"
#include "platform/string_grid.h"
#include "transport/net/dns_query.h"
#include "transport/net/mail_exchangers.h"

#include <algorithm>

namespace {

// Pending queries are checked this often for their time cell and time-out.
constexpr int WatchIntervalMs = 100;

QString domainOf(const QString& address)
{
    const qsizetype at = address.indexOf('@');
    return at < 0 ? QString() : address.mid(at + 1);
}

void copyRow(StringGrid& grid, int from, int to)
{
    grid.setRowCells(to, grid.rowCells(from));
    grid.setRowStatus(to, grid.rowStatus(from));
    for (int column = 0; column < grid.columnCount(); ++column)
        grid.setObject(column, to, grid.object(column, from));
}

void emptyRow(StringGrid& grid, int row)
{
    grid.setRowCells(row, QStringList(grid.columnCount()));
    grid.setRowStatus(row, 0);
    for (int column = 0; column < grid.columnCount(); ++column)
        grid.setObject(column, row, QVariant());
}

// Cuts grid after its kept rows, leaving one empty row when none is kept.
void keepRows(StringGrid& grid, int kept)
{
    grid.setRowCount(std::max(kept + 1, 2));
    if (kept == 0)
        emptyRow(grid, 1);
}

}  // namespace

QStringList verifyMessages()
{
    return {
        QStringLiteral("EMail"),
        QStringLiteral("Domain"),
        QStringLiteral("State"),
        QStringLiteral("Code"),
        QStringLiteral("Time"),
        QStringLiteral("Comment"),
        QStringLiteral("Email Loading"),
        QStringLiteral("Error"),
        QStringLiteral("Mail server is not available"),
        QStringLiteral("Mail server"),
        QStringLiteral("Mail server is available"),
        QStringLiteral("No Data"),
        QStringLiteral("TimeOut"),
        QStringLiteral("The process has been completed"),
        QStringLiteral("Verify"),
        QStringLiteral("Text files"),
        QStringLiteral("All files"),
        QStringLiteral("Deleting unavailable from list"),
        QStringLiteral("The number of connections must be a whole number of at least 1"),
        QStringLiteral("The domain accepts no mail (null MX)"),
        QStringLiteral("No MX record: mail goes to the domain's own address"),
        QStringLiteral("The DNS server could not answer"),
        QStringLiteral("Error"),
    };
}

int pacingInterval(int connections)
{
    return connections > 0 ? std::max(1, 1000 / connections) : 1000;
}

ListVerifier::ListVerifier(StringGrid& grid, const TMsgLanguage& messages, QObject* parent)
    : QObject(parent), m_grid(grid), m_messages(messages)
{
    m_paceTimer.setTimerType(Qt::PreciseTimer);   // a coarse timer would fire up to 5% late
    m_paceTimer.setSingleShot(true);
    connect(&m_paceTimer, &QTimer::timeout, this, &ListVerifier::paceTick);
    m_watchTimer.setInterval(WatchIntervalMs);
    connect(&m_watchTimer, &QTimer::timeout, this, &ListVerifier::watchTick);
}

ListVerifier::~ListVerifier()
{
    for (auto& [row, pending] : m_queries) {
        pending.query->OnRequestDone = nullptr;
        delete pending.query;
    }
}

void ListVerifier::loadAddresses(const StringGrid& source, int emailColumn,
                                 const std::function<bool(int row)>& afterRow)
{
    m_grid.setColumnCount(VerifyColumnCount);
    m_grid.setRowCount(std::max(source.rowCount(), 2));
    m_grid.clear();
    for (int row = 0; row < m_grid.rowCount(); ++row)
        m_grid.setRowCells(row, {source.cell(emailColumn, row)});
    for (int column = 0; column < VerifyColumnCount; ++column)
        m_grid.setCell(column, 0, m_messages.text(MsgTitleEmail + column));
    for (int row = 1; row < m_grid.rowCount(); ++row) {
        const QString address = m_grid.cell(VerifyEmailColumn, row);
        const QString domain = domainOf(address);
        if (address.contains('@'))
            m_grid.setCell(VerifyDomainColumn, row, domain);
        if (trimBlanks(domain).isEmpty()) {
            m_grid.setRowStatus(row, StatusNoDomain);
            m_grid.setCell(VerifyStateColumn, row, stateNo);
        }
        if (afterRow && !afterRow(row)) {
            m_grid.setRowCount(row + 1);
            break;
        }
    }
    m_goodDomains.clear();
    m_badDomains.clear();
}

bool ListVerifier::openLog(const QString& path)
{
    m_logFailureTold = false;
    return m_log.open(path, true);
}

QString ListVerifier::logError() const
{
    return m_log.fileName() + QStringLiteral(": ") + m_log.errorString();
}

void ListVerifier::start(bool resume, const VerifySettings& settings)
{
    Q_ASSERT(settings.connections >= 1);
    if (m_running)
        finish();
    m_settings = settings;
    m_resume = resume;
    m_lastLaunchedRow = 0;
    m_ended = 0;
    m_started = 0;
    if (!resume) {
        m_goodDomains.clear();
        m_badDomains.clear();
        for (int row = 1; row < m_grid.rowCount(); ++row) {
            if (m_grid.rowStatus(row) == StatusNoDomain)
                continue;
            for (int column = VerifyStateColumn; column < VerifyColumnCount; ++column)
                m_grid.setCell(column, row, QString());
            m_grid.setRowStatus(row, StatusNotVerified);
        }
    }
    m_running = true;
    m_launching = true;
    m_paceClock.start();
    m_paceTicks = 0;
    schedulePaceTick();
    m_watchTimer.start();
}

// A repeating timer of 1 ms fires about every 1.1 ms, and each late tick is lost for good. Ticks are kept
// to a fixed schedule instead: the wait for tick k is measured from the start of the run, so a late tick
// shortens the next wait and the ticks keep their average pace. Still at most one launch a tick.
void ListVerifier::schedulePaceTick()
{
    ++m_paceTicks;
    const qint64 dueNs = m_paceTicks * pacingInterval(m_settings.connections) * 1'000'000;
    const qint64 waitNs = std::max<qint64>(0, dueNs - m_paceClock.nsecsElapsed());
    m_paceTimer.start(int((waitNs + 500'000) / 1'000'000));   // to the nearest millisecond
}

void ListVerifier::paceTick()
{
    const bool rowsRemain = m_grid.rowCount() - 1 > m_lastLaunchedRow;
    if (m_launching && m_settings.connections > queriesInFlight() && rowsRemain)
        launch();
    else if (m_queries.empty() && m_launching)
        finish();
    if (m_running)
        schedulePaceTick();
}

void ListVerifier::launch()
{
    int row = m_lastLaunchedRow + 1;
    while (row < m_grid.rowCount() && (skipsRow(row) || fillFromCache(row)))
        ++row;   // a run of cached rows is filled in one launch
    if (row >= m_grid.rowCount()) {
        // Every row is filled or pending: later ticks must not fill the cached rows again (a long list would
        // be walked every tick, and a state the user toggled meanwhile would be overwritten).
        m_lastLaunchedRow = m_grid.rowCount() - 1;
        if (m_queries.empty())
            finish();
        return;   // the pace tick finishes the run once the last query has ended
    }
    if (m_settings.connections > queriesInFlight())
        startQuery(row);
}

bool ListVerifier::skipsRow(int row) const
{
    if (m_grid.rowStatus(row) == StatusNoDomain)
        return true;
    if (!m_resume)
        return false;
    if (m_grid.rowStatus(row) == StatusQueryFailed)
        return false;   // nothing is known of the address yet
    const QString state = trimBlanks(m_grid.cell(VerifyStateColumn, row));
    return !state.isEmpty() && state != stateNo;
}

bool ListVerifier::fillFromCache(int row)
{
    const QString domain = domainKey(row);
    if (const auto good = m_goodDomains.constFind(domain); good != m_goodDomains.cend())
        setResult(row, StatusAvailable, stateOk, *good);
    else if (const auto bad = m_badDomains.constFind(domain); bad != m_badDomains.cend())
        setResult(row, StatusUnavailable, stateNo, *bad);
    else
        return false;
    return true;
}

void ListVerifier::startQuery(int row)
{
    m_lastLaunchedRow = row;
    auto* query = new TDnsQuery(this);
    query->setAddr(m_settings.dnsServer);
    query->setPort(m_settings.dnsPort);
    query->OnRequestDone = [this, row](TDnsQuery*, int error) { answerArrived(row, error); };
    m_queries[row] = {query, Clock::instance().tickCount(), 0};
    ++m_started;
    query->MXLookup(domainOf(m_grid.cell(VerifyEmailColumn, row)));
}

void ListVerifier::answerArrived(int row, int error)
{
    const auto found = m_queries.find(row);
    if (found == m_queries.end())
        return;   // the query ended already (time-out or finish)
    PendingQuery& pending = found->second;
    if (error != 0)
        showQueryFailed(row, m_messages.text(MsgError) + ' ' + QString::number(error));
    else if (pending.askingAddress)
        showAddressAnswer(row, *pending.query);
    else if (!showMxAnswer(row, pending))
        return;   // the A query is out, on the time-out of the MX query
    endQuery(row);
}

// False when the answer needs the domain's address first.
bool ListVerifier::showMxAnswer(int row, PendingQuery& pending)
{
    const TDnsQuery& query = *pending.query;
    const dns::MailExchangers exchangers = dns::mailExchangersOf(query.Response());
    switch (exchangers.route) {
    case dns::MailRoute::Exchangers:
        break;
    case dns::MailRoute::NoMxRecords:
        pending.askingAddress = true;
        pending.query->Lookup(domainOf(m_grid.cell(VerifyEmailColumn, row)), dns::TypeA);
        return false;
    case dns::MailRoute::NullMx:
        setCachedResult(row, StatusUnavailable, stateNo, m_messages.text(MsgNullMx));
        return true;
    case dns::MailRoute::NoSuchDomain:
        setCachedResult(row, StatusUnavailable, stateNo, m_messages.text(MsgNotAvailable));
        return true;
    case dns::MailRoute::ServerFailure:
        showServerFailure(row, exchangers.responseCode);
        return true;
    }
    // The hosts in the relay's order (lowest preference first, whatever the order of the reply), the one it
    // tries first in the code column.
    QStringList names;
    for (const dns::MxRecord& host : exchangers.hosts)
        names << host.exchange;
    m_grid.setCell(VerifyCodeColumn, row, names.constFirst());
    m_goodDomains.insert(domainKey(row), m_messages.text(MsgAvailable));
    setResult(row, StatusAvailable, stateOk, names.join(QStringLiteral(" , ")));
    return true;
}

void ListVerifier::showAddressAnswer(int row, const TDnsQuery& query)
{
    switch (dns::addressAnswerOf(query.Response())) {
    case dns::AddressAnswer::Found:
        setCachedResult(row, StatusAvailable, stateOk, m_messages.text(MsgImplicitMx));
        return;
    case dns::AddressAnswer::None:
        setCachedResult(row, StatusUnavailable, stateNo, m_messages.text(MsgNotAvailable));
        return;
    case dns::AddressAnswer::ServerFailure:
        showServerFailure(row, query.Response().responseCode);
        return;
    }
}

// An error code of the DNS server says nothing of the domain: never cached, never deleted, checked again
// on Resume.
void ListVerifier::showServerFailure(int row, int responseCode)
{
    showQueryFailed(row, m_messages.text(MsgServerFailure) + " (" + dns::responseCodeName(responseCode) + ')');
}

void ListVerifier::showQueryFailed(int row, const QString& comment)
{
    setResult(row, StatusQueryFailed, m_messages.text(MsgQueryFailed), comment);
}

// A result the domain's later rows take from the cache, with the same comment.
void ListVerifier::setCachedResult(int row, int status, const QString& state, const QString& comment)
{
    (status == StatusAvailable ? m_goodDomains : m_badDomains).insert(domainKey(row), comment);
    setResult(row, status, state, comment);
}

void ListVerifier::watchTick()
{
    const qint64 now = Clock::instance().tickCount();
    QList<int> expired;
    for (auto& [row, pending] : m_queries) {
        const int seconds = int((now - pending.startTick) / 1000);
        if (seconds <= pending.secondsShown)
            continue;
        pending.secondsShown = seconds;
        m_grid.setCell(VerifyTimeColumn, row, QString::number(seconds));
        if (seconds > m_settings.timeOutSeconds)
            expired << row;
    }
    for (int row : expired)
        timeOut(row);
}

void ListVerifier::timeOut(int row)
{
    const QString blank = QStringLiteral(" ");
    m_grid.setCell(VerifyCodeColumn, row, blank);
    m_grid.setCell(VerifyTimeColumn, row, blank);
    setResult(row, StatusNoAnswer, m_messages.text(MsgNoData), m_messages.text(MsgTimeOut));
    writeLogLine(m_grid.cell(VerifyEmailColumn, row) + ';' + m_messages.text(MsgTimeOut));
    endQuery(row);
}

void ListVerifier::endQuery(int row)
{
    const auto found = m_queries.find(row);
    Q_ASSERT(found != m_queries.end());
    found->second.query->OnRequestDone = nullptr;
    found->second.query->deleteLater();
    m_queries.erase(found);
    ++m_ended;
}

void ListVerifier::finish()
{
    if (!m_running)
        return;
    m_paceTimer.stop();
    m_watchTimer.stop();
    for (auto& [row, pending] : m_queries) {
        pending.query->OnRequestDone = nullptr;
        pending.query->deleteLater();
    }
    m_queries.clear();
    m_running = false;
    m_launching = false;
    emit finished();
}

void ListVerifier::stopLaunching()
{
    m_launching = false;
}

void ListVerifier::toggleState(int row)
{
    if (row <= 0 || row >= m_grid.rowCount())
        return;
    const bool isNo = m_grid.cell(VerifyStateColumn, row) == stateNo;
    m_grid.setCell(VerifyStateColumn, row, isNo ? QString() : stateNo);
    if (m_grid.rowStatus(row) == StatusQueryFailed)
        m_grid.setRowStatus(row, StatusNotVerified);
}

void ListVerifier::setResult(int row, int status, const QString& state, const QString& comment)
{
    m_grid.setCell(VerifyStateColumn, row, state);
    m_grid.setCell(VerifyCommentColumn, row, comment);
    m_grid.setRowStatus(row, status);
}

void ListVerifier::writeLogLine(const QString& line)
{
    if (!m_log.isOpen() || m_log.append((line + QStringLiteral("\r\n")).toUtf8()) || m_logFailureTold)
        return;
    m_logFailureTold = true;
    emit logFailed(logError());
}

QString ListVerifier::domainKey(int row) const
{
    return m_grid.cell(VerifyDomainColumn, row).toLower();
}

// "No" that a DNS answer (or the bad-domain cache), a missing domain or the user gave. A query that ended in
// an error of our side (no route, no DNS server, a socket error) says nothing about the address: a local
// network fault must not empty the list.
bool isUnavailable(const StringGrid& results, int row)
{
    return results.cell(VerifyStateColumn, row) == stateNo && results.rowStatus(row) != StatusQueryFailed;
}

int deleteUnavailableRows(StringGrid& source, StringGrid& results, const std::function<void(int row)>& step)
{
    int kept = 0;
    int keptResults = 0;
    int removed = 0;
    for (int row = 1; row < source.rowCount(); ++row) {
        const bool verified = row < results.rowCount();
        if (verified && isUnavailable(results, row)) {
            ++removed;
        } else {
            ++kept;
            if (row > kept) {
                copyRow(source, row, kept);
                if (verified)
                    copyRow(results, row, kept);
            }
            if (verified)
                keptResults = kept;   // the results are the first rows of the list
        }
        if (step)
            step(row);
    }
    keepRows(source, kept);
    keepRows(results, keptResults);
    return removed;
}

QStringList verificationResultLines(const StringGrid& results)
{
    QStringList lines;
    for (int row = 1; row < results.rowCount(); ++row)
        lines << results.cell(VerifyEmailColumn, row) + ';' + results.cell(VerifyStateColumn, row);
    return lines;
}

QString withTextExtension(const QString& fileName)
{
    const qsizetype slash = fileName.lastIndexOf('/');
    return fileName.indexOf('.', slash + 1) < 0 ? fileName + QStringLiteral(".txt") : fileName;
}
