// SendLog: the send log of one sending window. Each run writes "logs/send_dd-mm-yy_hh-nn-ss.log" in the
// program folder, named by the time its first line was written; every line is the time "hh:nn:ss", ";" and
// the ";"-joined fields of one result, CR LF, appended at once (UTF-8), whole or not at all. A failure to make or
// write the file is reported once per run with the file and the system's reason and never stops the mailing;
// the next line tries again.
#pragma once

#include <QString>

#include <functional>

// The text after the time for each kind of result (fields are not quoted: a ";" inside spreads further).
QString relayResultLogText(const QString& address, const QString& state, const QString& result);
QString externalErrorLogText(const QString& address, const QString& noText, const QString& comment);
QString externalAcceptedLogText(const QString& address, const QString& okText);

class SendLog {
public:
    // Tells the user that the log cannot be written; the default posts a warning box, so the handler that
    // wrote the line returns first.
    using ErrorReporter = std::function<void(const QString& text)>;

    explicit SendLog(ErrorReporter reporter = {});
    Q_DISABLE_COPY_MOVE(SendLog)

    // Makes the folder "logs" and this run's file (created empty when absent; a second run within the same
    // second appends to it) and stores its name in ProjectIniInfo.LogFile. False when either cannot be made.
    bool OpenSendLog();
    // Appends the time of day, ";" and text as one line, opening the log first when this run has none yet.
    // Line breaks inside text become blanks, so one result stays one line. The caller checks "Create log".
    void WriteSendLog(const QString& text);

    // The run ended: the next line starts a new file, and a new failure is reported again.
    void endRun();

    bool LogOpen() const { return m_logOpen; }
    QString fileName() const { return m_fileName; }

private:
    void reportFailure(const QString& reason);

    ErrorReporter m_reporter;
    QString m_fileName;
    bool m_logOpen = false;
    bool m_failureReported = false;
};
