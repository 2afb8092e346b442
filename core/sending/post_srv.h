// T_PostSrv: the sending window ("Sending list"), a child of the main frame. It shows one result row per
// list row in sgR, the counters in StatusBar1, the sender, DNS, connections and time-out fields, and drives
// the two paths: direct delivery (RelaySending) and the user's own server (ExternalSending), with the
// end-of-run choice, the series pause and the send log. The rules live in send_engine.h; this class only
// reads its widgets, calls them and shows the outcome. ShowSendWindow opens it (one at most).
#pragma once

#include "controls/explorer_button.h"

#include "core/base/tool_commands.h"
#include "core/sending/external_sending.h"
#include "core/project/list_change_watch.h"
#include "core/sending/relay_sending.h"
#include "core/schedule/schedule_timers.h"
#include "core/sending/send_content.h"
#include "core/logs/send_log.h"
#include "core/sending/sending_run.h"

#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QStatusBar;
class QToolButton;
class StringGridView;
class TMsgLanguage;

class T_PostSrv : public QWidget {
    Q_OBJECT
public:
    // listGrid: the project editor's list (watched, not owned; it may go away first).
    T_PostSrv(StringGrid* listGrid, const QStringList& columnTitles, QWidget* parent = nullptr);
    ~T_PostSrv() override;

    TMsgLanguage* msl;
    StringGridView* sgR;
    QStatusBar* StatusBar1;
    QLineEdit* DNSEdit;
    QSpinBox* NumConnect;        // 1 .. 9999
    QSpinBox* eTimeOut;          // 1 .. 32767 seconds
    QLineEdit* eDomain;
    QLineEdit* eName;
    QLineEdit* eEMail;
    QCheckBox* cbIspD;
    QCheckBox* cbIsp;
    QCheckBox* cbLog;
    QToolButton* StartButton;
    QToolButton* ResumeButton;
    QToolButton* StopButton;
    QToolButton* GetDnsButton;
    QToolButton* SpeedButton2;
    QToolButton* sbDel;
    QToolButton* sbSchedule;
    QToolButton* sbLog;
    TExplorerButton* ExplorerButton1;
    QTimer TimerSch;
    QTimer TimerSer;

    const SendingRun& run() const { return m_run; }
    bool sending() const { return m_sending; }

    void StartButtonClick(bool resume);
    void StopButtonClick();
    void StartSending(bool resume);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void takeProject(int listColumns);
    void connectPaths();
    void buildWidgets();
    QWidget* buildSenderFields();
    QWidget* buildButtons();
    void buildStatusMenu();
    void FormShow();
    void FormActivate();
    void cbIspDClick();
    void cbLogClick();
    void GetDnsButtonClick();
    void sbLogClick();
    void sbScheduleClick();
    void TimerSchTimer();
    void ExplorerButton5Click();
    bool FormCloseQuery();

    void UpdateStatusBar();
    void SpeedButton2Click();   // "Save As"
    void sbDelClick();          // "Delete from list"
    void EnableSendControls(int kind, bool on);
    void refreshResultGrid();
    void startExternal(bool resume);
    void startRelay(bool resume);
    RelaySending::Sender relaySender() const;
    void Srv1Finished();
    void endRelayRun();
    void tellUtf8Fallback();
    void markTaskRun();
    void armSeriesPause();
    void TimerSerTimer();
    void externalRunEnded(ExternalSending::RunEnd end);
    void writeLog(const QString& text);
    void reportLogFailure(const QString& text);
    void setRowStatusFromMenu(int status);

    ListChangeWatch m_list;
    QStringList m_columnTitles;
    int m_emailColumn = 0;
    SendingRun m_run;
    SendContent m_content;
    ExternalSending m_external;
    RelaySending m_relay;
    SendLog m_log;
    QList<QLabel*> m_panels;
    qint64 m_startTick = 0;          // Clock tick of the run's start; 0 before the first run
    ScheduleCheck m_check{TimerSch};
    SeriesPause m_pause{TimerSer};
    bool m_sending = false;          // a run (or its re-send) is under way
    bool m_resending = false;        // the external path re-sends after a relay run
};

// Brings the sending window to the front, or creates it for the list and its column titles (after the
// project was saved). Answers the window, or nullptr when the e-mail column setting does not fit the list
// ("Define Email Column").
T_PostSrv* ShowSendWindow(StringGrid* listGrid, const QStringList& columnTitles);
