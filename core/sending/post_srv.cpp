// T_PostSrv, the sending window: widgets, their handlers and the wiring of the two sending paths
// (post_srv.h). The rules it applies are in send_engine.h, relay_sending.h and external_sending.h.

#include "core/sending/post_srv.h"

#include "core/base/widget_factory.h"
#include "core/settings/accounts.h"
#include "core/base/close_query.h"
#include "core/settings/ini_info.h"
#include "core/logs/log_viewer.h"
#include "core/language/msg_language.h"
#include "core/project/project_attachments.h"
#include "core/project/project_files.h"
#include "core/schedule/schedule_dialog.h"
#include "core/sending/send_status_delegate.h"
#include "core/base/text_helpers.h"
#include "core/base/window_host.h"
#include "core/base/tool_commands.h"
#include "core/base/tool_window_exit.h"
#include "core/base/user_messages.h"
#include "core/sending/result_rows.h"
#include "platform/clock.h"
#include "platform/widgets/editing_area.h"
#include "platform/widgets/message_box.h"
#include "platform/name_servers.h"
#include "platform/widgets/string_grid_view.h"
#include "platform/text_file.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QSpinBox>
#include <QStatusBar>
#include <QTime>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kStatusPanels = 7;
constexpr int kSchedulePanel = kStatusPanels - 1;   // the schedule and series text, after the counters

QSpinBox* newSpinBox(QWidget* parent, const char* name, int minimum, int maximum)
{
    auto* spin = named(new QSpinBox(parent), name);
    spin->setRange(minimum, maximum);
    return spin;
}

void setEditEnabled(QLineEdit* edit, bool on)
{
    edit->setEnabled(on);   // the style greys a disabled edit as the button face
}

}  // namespace

T_PostSrv::T_PostSrv(StringGrid* listGrid, const QStringList& columnTitles, QWidget* parent)
    : QWidget(parent),
      msl(new TMsgLanguage(this, sendingWindowTexts())),
      m_list(listGrid),
      m_columnTitles(columnTitles),
      m_emailColumn(ProjectIniInfo.Column),
      m_external(m_run, m_content, ProjectIniInfo, this),
      m_relay(m_run, m_content, this),
      m_log([this](const QString& text) { reportLogFailure(text); })
{
    setObjectName(QStringLiteral("_PostSrv"));
    setWindowTitle(tr("Sending list"));
    msl->setObjectName(QStringLiteral("msl"));
    buildWidgets();
    TimerSch.setObjectName(QStringLiteral("TimerSch"));
    TimerSer.setObjectName(QStringLiteral("TimerSer"));
    WindowHost::requestTranslation(this);   // before the project's values fill the fields, so no language file replaces them
    connect(&TimerSch, &QTimer::timeout, this, &T_PostSrv::TimerSchTimer);
    connect(&TimerSer, &QTimer::timeout, this, &T_PostSrv::TimerSerTimer);
    connectPaths();
    takeProject(listGrid ? listGrid->columnCount() : 0);
    TaskObj.LoadFromIni();
    SeriesObj.LoadFromIni();
    FormShow();
    EnableSendControls(1, true);
    cbIspDClick();
    cbLogClick();
    UpdateStatusBar();
    m_check.startCountdown(scheduleCountdownOnOpen, TaskObj.Enabled);
}

T_PostSrv::~T_PostSrv()
{
    sgR->setGrid(nullptr);
}

// The project's texts and settings, the result rows and the sender fields, as the window opens.
void T_PostSrv::takeProject(int listColumns)
{
    const tAccountObj& account = accountInUse(ProjectIniInfo);
    m_content.subject = ProjectIniInfo.Subject;
    refreshResultGrid();
    eName->setText(account.Name);
    eEMail->setText(account.ReturnAddress);
    eDomain->setText(account.MailDomain);
    m_content.plainBody = ReadPlainBody();
    const std::optional<QString> html = ReadHtmlBody();
    m_content.htmlOn = ProjectIniInfo.Html && html.has_value();
    m_content.htmlBody = m_content.htmlOn ? *html : QString();
    const int column = ProjectIniInfo.ColumnA;
    m_content.attachColumn = column >= 1 && column <= listColumns ? column - 1 : -1;
    cbIspD->setChecked(ProjectIniInfo.ExternalSmtp);
    cbLog->setChecked(ProjectIniInfo.CreateLog);
}

void T_PostSrv::connectPaths()
{
    connect(&m_relay, &RelaySending::statusChanged, this, &T_PostSrv::UpdateStatusBar);
    connect(&m_relay, &RelaySending::logLine, this, &T_PostSrv::writeLog);
    connect(&m_relay, &RelaySending::finished, this, &T_PostSrv::Srv1Finished);
    connect(&m_external, &ExternalSending::statusChanged, this, &T_PostSrv::UpdateStatusBar);
    connect(&m_external, &ExternalSending::logLine, this, &T_PostSrv::writeLog);
    connect(&m_external, &ExternalSending::loginStarted, this,
            [this] { m_panels[kSchedulePanel]->setText(msl->text(textVerification)); });
    // Queued: the login's error arrives inside the POP3 client's own event.
    connect(
        &m_external, &ExternalSending::loginFailed, this,
        [this](const QString& text) { messageBox(this, text, msl->text(textInfo), MB_OK | MB_ICONINFORMATION); },
        Qt::QueuedConnection);
    connect(&m_external, &ExternalSending::seriesPauseDue, this, &T_PostSrv::armSeriesPause);
    connect(&m_external, &ExternalSending::runEnded, this, &T_PostSrv::externalRunEnded);
}

// ---- widgets

void T_PostSrv::buildWidgets()
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildSenderFields());
    layout->addWidget(buildButtons());
    sgR = new StringGridView(this);
    sgR->setObjectName(QStringLiteral("sgR"));
    sgR->setRowSelect(true);
    sgR->setGrid(&m_run.results);
    sgR->setItemDelegate(new SendStatusDelegate(sgR));
    sgR->setFittedColumns({colEmail, colState, colResult, colCode}, colComment);
    keepLinesVisible(sgR);
    layout->addWidget(sgR, 1);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < kStatusPanels; ++i) {
        m_panels << new QLabel(StatusBar1);
        StatusBar1->addWidget(m_panels.last(), i == kStatusPanels - 1 ? 1 : 0);
    }
    layout->addWidget(StatusBar1);
    buildStatusMenu();
}

QWidget* T_PostSrv::buildSenderFields()
{
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    eName = makeEdit(box, "eName");
    eEMail = makeEdit(box, "eEMail");
    eDomain = makeEdit(box, "eDomain");
    DNSEdit = makeEdit(box, "DNSEdit");
    NumConnect = newSpinBox(box, "NumConnect", 1, 9999);
    eTimeOut = newSpinBox(box, "eTimeOut", 1, 32767);
    GetDnsButton = makeToolButton(box, "GetDnsButton", tr("Get DNS"));
    for (QLineEdit* edit : {eName, eEMail, eDomain})
        setWidthInCharacters(edit, 36);
    setWidthInCharacters(DNSEdit, 24);
    grid->setColumnStretch(2, 1);   // the room the window has beyond the fields stays empty
    const auto row = [&](int at, const QString& caption, QWidget* field) {
        grid->addWidget(makeFieldLabel(field, caption), at, 0);
        grid->addWidget(field, at, 1, Qt::AlignLeft);
    };
    row(0, tr("Sender name"), eName);
    row(1, tr("Sender e-mail"), eEMail);
    row(2, tr("Domain"), eDomain);
    grid->addWidget(makeFieldLabel(DNSEdit, tr("DNS server")), 3, 0);
    auto* dns = new QHBoxLayout;
    dns->addWidget(DNSEdit);
    dns->addWidget(GetDnsButton);
    dns->addStretch();
    grid->addLayout(dns, 3, 1);
    row(4, tr("Connections"), NumConnect);
    row(5, tr("Time-out (seconds)"), eTimeOut);
    cbIspD = new QCheckBox(tr("Send mail through external smtp mail server only (through ISP)"), box);
    cbIspD->setObjectName(QStringLiteral("cbIspD"));
    cbIsp = new QCheckBox(tr("Automatically send undelivered messages through ISP server"), box);
    cbIsp->setObjectName(QStringLiteral("cbIsp"));
    cbLog = new QCheckBox(tr("Create log file"), box);
    cbLog->setObjectName(QStringLiteral("cbLog"));
    grid->addWidget(cbIspD, 6, 0, 1, 3);
    grid->addWidget(cbIsp, 7, 0, 1, 3);
    grid->addWidget(cbLog, 8, 0, 1, 3);
    connect(cbIspD, &QCheckBox::clicked, this, &T_PostSrv::cbIspDClick);
    connect(cbLog, &QCheckBox::clicked, this, &T_PostSrv::cbLogClick);
    connect(GetDnsButton, &QToolButton::clicked, this, &T_PostSrv::GetDnsButtonClick);
    return box;
}

QWidget* T_PostSrv::buildButtons()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    StartButton = makeToolButton(bar, "StartButton", tr("Start"));
    ResumeButton = makeToolButton(bar, "ResumeButton", tr("Resume"));
    StopButton = makeToolButton(bar, "StopButton", tr("Stop"));
    SpeedButton2 = makeToolButton(bar, "SpeedButton2", tr("Save As"));
    sbDel = makeToolButton(bar, "sbDel", tr("Delete from list"));
    sbSchedule = makeToolButton(bar, "sbSchedule", tr("Schedule"));
    sbLog = makeToolButton(bar, "sbLog", tr("View log file"));
    ExplorerButton1 = makeExplorerButton(bar, "ExplorerButton1", tr("Close"), "close");
    for (QToolButton* button : {StartButton, ResumeButton, StopButton, SpeedButton2, sbDel, sbSchedule, sbLog})
        row->addWidget(button);
    row->addStretch(1);
    row->addWidget(ExplorerButton1);
    connect(StartButton, &QToolButton::clicked, this, [this] { StartButtonClick(false); });
    connect(ResumeButton, &QToolButton::clicked, this, [this] { StartButtonClick(true); });
    connect(StopButton, &QToolButton::clicked, this, &T_PostSrv::StopButtonClick);
    connect(sbLog, &QToolButton::clicked, this, &T_PostSrv::sbLogClick);
    connect(ExplorerButton1, &QAbstractButton::clicked, this, &T_PostSrv::ExplorerButton5Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &T_PostSrv::SpeedButton2Click);
    connect(sbDel, &QToolButton::clicked, this, &T_PostSrv::sbDelClick);
    connect(sbSchedule, &QToolButton::clicked, this, &T_PostSrv::sbScheduleClick);
    return bar;
}

// Save As: the save dialog chooses the rows and the form; the lines are written here.
void T_PostSrv::SpeedButton2Click()
{
    ToolRequest request;
    request.parent = this;
    if (!runTool(ToolSaveResults, request))
        return;
    const StringGrid noList;
    const StringGrid& list = m_list.grid() ? *m_list.grid() : noList;
    const QStringList lines = resultFileLines(request.resultChoice, m_run.results, list, ProjectIniInfo.SectionSymbol);
    QString error;
    if (!writeTextLines(request.resultFileName, lines, &error))
        messageBox(this, request.resultFileName + QStringLiteral(" : ") + error, msl->text(textAttention),
                   MB_OK | MB_ICONWARNING);
}

// Delete from list: the chosen rows leave the result grid and the list together, so each list row keeps its
// result. Results made from an older state of the list are not trusted to pair with it.
void T_PostSrv::sbDelClick()
{
    if (m_sending)
        return;
    ToolRequest request;
    request.parent = this;
    if (!runTool(ToolDeleteFromList, request))
        return;
    StringGrid* list = m_list.grid();
    if (!list || !rowsPaired(m_run.results, *list, m_emailColumn)) {
        messageBox(this, msl->text(textListNotPaired), msl->text(textAttention), MB_OK | MB_ICONWARNING);
        return;
    }
    const bool listChangedBefore = m_list.changed();
    removeResultRows(m_run.results, *list, request.resultChoice, request.resultCodes);
    if (!listChangedBefore)
        m_list.reset();   // the results still pair with the list: no rebuild before the next run
    UpdateStatusBar();
    if (QWidget* editor = WindowHost::findChildOfClass(projectEditorClassName))
        if (auto* modified = editor->findChild<QCheckBox*>(QStringLiteral("cbModi")))
            modified->setChecked(true);
    WindowMessage::post(WindowHost::mainWindow(), WM_LISTCHANGED);
}

void T_PostSrv::buildStatusMenu()
{
    auto* puStatus = new QMenu(this);
    puStatus->setObjectName(QStringLiteral("puStatus"));
    puStatus->addAction(tr("Status Ok"), this, [this] { setRowStatusFromMenu(rowGood); });
    puStatus->addAction(tr("Status No"), this, [this] { setRowStatusFromMenu(rowBad); });
    sgR->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sgR, &QWidget::customContextMenuRequested, puStatus,
            [this, puStatus](const QPoint& at) { puStatus->popup(sgR->viewport()->mapToGlobal(at)); });
}

void T_PostSrv::setRowStatusFromMenu(int status)
{
    const int row = sgR->currentRow();
    if (row >= 1 && row < m_run.results.rowCount() && m_run.results.rowStatus(row) != rowSending)
        m_run.results.setRowStatus(row, status);
}

void T_PostSrv::FormShow()
{
    NumConnect->setValue(ProjectIniInfo.NumberConnect);
    DNSEdit->setText(ProjectIniInfo.DnsIP);
    eTimeOut->setValue(ProjectIniInfo.TimeOut);
}

// ---- handlers

bool T_PostSrv::event(QEvent* event)
{
    if (const WindowMessage* message = WindowMessage::from(event)) {
        if (message->msg == WM_REFRESHSEND)
            FormActivate();
        else if (message->msg == WM_SENDNEXTMESSAGE || message->msg == WM_POP3LOGIN)
            WindowMessage::send(&m_external, message->msg);
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QWidget::event(event);
}

void T_PostSrv::FormActivate()
{
    if (!m_sending) {
        cbIspD->setChecked(ProjectIniInfo.ExternalSmtp);
        cbIspDClick();
        if (m_list.changed()) {
            refreshResultGrid();
            UpdateStatusBar();
        }
    }
    WindowMessage::post(WindowHost::mainWindow(), WM_UPDATEMENUS);
}

void T_PostSrv::cbIspDClick()
{
    ProjectIniInfo.ExternalSmtp = cbIspD->isChecked();
    const bool relay = !cbIspD->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{DNSEdit, NumConnect, cbIsp, GetDnsButton})
        control->setEnabled(relay);
}

void T_PostSrv::cbLogClick()
{
    ProjectIniInfo.CreateLog = cbLog->isChecked();
    sbLog->setEnabled(cbLog->isChecked());
}

void T_PostSrv::GetDnsButtonClick()
{
    for (QToolButton* button : {GetDnsButton, StartButton, ResumeButton})
        button->setEnabled(false);
    DNSEdit->setText(GetDnsServerAddress());
    for (QToolButton* button : {GetDnsButton, StartButton, ResumeButton})
        button->setEnabled(true);
}

void T_PostSrv::sbLogClick()
{
    ShowLog(ProjectIniInfo.LogFile, msl->text(textOk), msl->text(textNo));
}

void T_PostSrv::sbScheduleClick()
{
    if (scheduleButtonClick(m_check, m_pause))
        UpdateStatusBar();
}

void T_PostSrv::TimerSchTimer()
{
    switch (m_check.onTimeout(TaskObj)) {
    case ScheduleTick::CountingDown:
        m_panels[kSchedulePanel]->setText(m_check.countdownText(msl->text(textScheduleMailing)));
        return;
    case ScheduleTick::CountdownOver:
        m_panels[kSchedulePanel]->setText(msl->text(textScheduleMailing));
        return;
    case ScheduleTick::StartRun:
        StartSending(true);
        return;
    case ScheduleTick::Waiting:
    case ScheduleTick::Off:
        return;
    }
}

void T_PostSrv::writeLog(const QString& text)
{
    if (cbLog->isChecked())
        m_log.WriteSendLog(text);
}

// Posted: the line was written from inside a sender's event, which must return before a modal box runs
// the event loop.
void T_PostSrv::reportLogFailure(const QString& text)
{
    QTimer::singleShot(0, this, [this, text] {
        messageBox(this, text, msl->text(textAttention), MB_OK | MB_ICONWARNING);
    });
}

void T_PostSrv::UpdateStatusBar()
{
    const auto panel = [this](int index, int number) {
        return msl->text(index) + QStringLiteral(": ") + QString::number(number);
    };
    if (m_startTick > 0) {
        const qint64 seconds = (Clock::instance().tickCount() - m_startTick) / 1000;
        m_panels[0]->setText(msl->text(textElapsed) + QStringLiteral(": ")
                             + QTime(0, 0).addSecs(int(seconds % 86400)).toString(QStringLiteral("HH:mm:ss")));
    }
    m_panels[1]->setText(panel(textTotal, m_run.results.rowCount() - 1));
    // Before the first run the rows a start would send; from then on the messages under way.
    m_panels[2]->setText(panel(textWaiting, m_startTick > 0 ? m_run.Waiting : rowsWaiting(m_run.results)));
    m_panels[3]->setText(panel(textGood, m_run.Good));
    m_panels[4]->setText(panel(textBad, m_run.Bad));
    m_panels[5]->setText(panel(textUnknownCount, m_run.Unknown));
    if (TaskObj.state == taskSeriesPause)
        m_panels[kSchedulePanel]->setText(msl->text(textWaitingForInterval));
    else
        m_panels[kSchedulePanel]->setText(TaskObj.Enabled ? msl->text(textScheduleMailing) : QString());
}

void T_PostSrv::EnableSendControls(int kind, bool on)
{
    for (QLineEdit* edit : {eName, eEMail, eDomain})
        setEditEnabled(edit, on);
    cbIspD->setEnabled(on);
    if (kind == 0 && on)
        cbIspDClick();
    if (kind == 1) {
        setEditEnabled(DNSEdit, on);
        cbIsp->setEnabled(on);
    }
    for (QToolButton* button : {GetDnsButton, StartButton, ResumeButton, sbDel, sbSchedule})
        button->setEnabled(on);
    StopButton->setEnabled(!on);
}

// The result rows are made anew from the list when the list changed since they were filled, so a row's
// result never stands beside another row's data; the run then merges from a copy taken here.
void T_PostSrv::refreshResultGrid()
{
    if (StringGrid* list = m_list.grid()) {
        fillResultGrid(m_run.results, *list, m_emailColumn, msl->items());
        m_content.setList(*list, m_columnTitles);
        m_list.reset();
    }
}

// ---- a run

void T_PostSrv::StartButtonClick(bool resume)
{
    TaskObj.Enabled = false;   // in memory only: the saved task keeps its value
    m_run.series.SentInPart = 0;
    m_run.series.NextStartRow = 0;
    StartSending(resume);
}

void T_PostSrv::StartSending(bool resume)
{
    if (m_sending)
        return;
    if (m_list.changed())
        refreshResultGrid();
    if (m_run.results.rowCount() == 2 && m_run.results.cell(colEmail, 1).isEmpty()) {
        messageBox(this, msl->text(textFillList), QApplication::applicationName(), MB_OK | MB_ICONERROR);
        return;
    }
    m_run.texts = msl->items();
    m_run.StopFlag = false;
    m_startTick = Clock::instance().tickCount();
    m_run.Waiting = 0;
    // A resume passes over good and unknown rows: they are counted as they stand (the user may have
    // re-marked some), and the rows it sends are counted again as they end.
    m_run.Good = resume ? rowsWithStatus(m_run.results, rowGood) : 0;
    m_run.Unknown = resume ? rowsWithStatus(m_run.results, rowUnknown) : 0;
    m_run.Bad = 0;
    TaskObj.state = taskIdle;
    UpdateStatusBar();
    if (!resume)
        resetAllResultRows(m_run.results);
    if (cbIspD->isChecked())
        startExternal(resume);
    else
        startRelay(resume);
}

void T_PostSrv::startExternal(bool resume)
{
    m_sending = true;
    EnableSendControls(0, false);
    const int startRow = sendingStartRow(resume, m_run.series, sgR->currentRow(), m_run.results.rowCount());
    prepareExternalRows(m_run.results, startRow, resume, ProjectIniInfo.Codes);
    m_run.CurrentRow = startRow - 1;
    m_external.setAccount(accountInUse(ProjectIniInfo));
    m_external.setTimeOutSeconds(eTimeOut->value());
    m_external.setAttachments(ProjectAttachments);
    m_content.images = {ProjectIniInfo.PathPro, ProjectIniInfo.BaseUrl, eDomain->text()};
    m_external.start(ProjectIniInfo.Pop3Identify);
}

RelaySending::Sender T_PostSrv::relaySender() const
{
    RelaySending::Sender sender;
    sender.name = eName->text();
    sender.email = eEMail->text();
    sender.mailDomain = eDomain->text();
    sender.dns = DNSEdit->text();
    sender.charset = CharsetPart(ProjectIniInfo.CharSet);
    sender.signon = ProjectIniInfo.DefaultHelo ? QString() : ProjectIniInfo.TextHelo;
    sender.connections = NumConnect->value();
    sender.timeOutSeconds = eTimeOut->value();
    sender.attachments = projectAttachmentFiles(ProjectAttachments).items;
    return sender;
}

void T_PostSrv::startRelay(bool resume)
{
    if (m_relay.busy())
        return;
    m_sending = true;
    EnableSendControls(1, false);
    m_content.images = {ProjectIniInfo.PathPro, ProjectIniInfo.BaseUrl, eDomain->text()};
    const int startRow = sendingStartRow(resume, m_run.series, sgR->currentRow(), m_run.results.rowCount());
    switch (m_relay.start(relaySender(), startRow, resume, ProjectIniInfo.Codes)) {
    case RelaySending::Start::Started:
        return;
    case RelaySending::Start::NothingQueued:
        return Srv1Finished();
    case RelaySending::Start::Failed:
        // Nothing was sent: no finished run to record and no series part to follow.
        writeLog(m_relay.errorText());
        m_sending = false;
        EnableSendControls(1, true);
        messageBox(this, m_relay.errorText(), msl->text(textAttention), MB_OK | MB_ICONWARNING);
        return;
    }
}

void T_PostSrv::Srv1Finished()
{
    UpdateStatusBar();
    const RelayRunEnd next = m_run.StopFlag ? RelayRunEnd::Finish
                                            : relayRunEnd(m_run.results, m_run.series, cbIsp->isChecked(),
                                                          ProjectIniInfo.Codes);
    switch (next) {
    case RelayRunEnd::ContinueSeries:
        return armSeriesPause();
    case RelayRunEnd::ResendThroughServer:
        m_resending = true;
        EnableSendControls(0, false);
        m_external.setAccount(accountInUse(ProjectIniInfo));
        m_external.setTimeOutSeconds(eTimeOut->value());
        m_external.setAttachments(ProjectAttachments);
        m_external.resend();
        return;
    case RelayRunEnd::Finish:
        return endRelayRun();
    }
}

void T_PostSrv::endRelayRun()
{
    m_sending = false;
    EnableSendControls(1, true);
    markTaskRun();
    UpdateStatusBar();
    if (cbLog->isChecked())
        m_log.endRun();
    tellUtf8Fallback();
}

// Once per run: the user chose a charset that could not carry every message.
void T_PostSrv::tellUtf8Fallback()
{
    if (std::exchange(m_run.utf8Fallback, false))
        messageBox(this, msl->text(textSentInUtf8), msl->text(textInfo), MB_OK | MB_ICONINFORMATION);
}

// A run made while the task is enabled is recorded as one of its runs.
void T_PostSrv::markTaskRun()
{
    m_pause.stop();
    if (!TaskObj.Enabled)
        return;
    m_check.stop();
    QString error;
    if (!TaskObj.MarkRun(&error))
        messageBox(this, error, msl->text(textAttention), MB_OK | MB_ICONWARNING);
}

void T_PostSrv::externalRunEnded(ExternalSending::RunEnd end)
{
    if (end == ExternalSending::RunEnd::Aborted)
        messageBox(this, msl->text(textAborted), msl->text(textAttention), MB_OK | MB_ICONINFORMATION);
    if (end == ExternalSending::RunEnd::Completed && cbLog->isChecked())
        m_log.endRun();
    m_sending = false;
    EnableSendControls(0, true);
    if (std::exchange(m_resending, false))
        EnableSendControls(1, true);
    if (end == ExternalSending::RunEnd::Completed)
        markTaskRun();
    m_pause.stop();
    UpdateStatusBar();
    tellUtf8Fallback();
}

// ---- the series pause

void T_PostSrv::armSeriesPause()
{
    TaskObj.SetSeriesPause();
    m_pause.start(m_run.series.pauseMilliseconds());
    UpdateStatusBar();
}

void T_PostSrv::TimerSerTimer()
{
    if (!m_pause.onTimeout())
        return;
    m_sending = false;
    m_run.series.SentInPart = 0;
    StartSending(true);
}

void T_PostSrv::StopButtonClick()
{
    m_run.StopFlag = true;
    if (m_relay.busy())
        m_relay.abort();
    m_external.stop();
    // The loop runs other handlers: the window may be closed and freed inside it.
    const QPointer<T_PostSrv> alive(this);
    while (alive && isVisible() && (m_relay.busy() || m_external.busy()))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!alive)
        return;
    TaskObj.Enabled = false;
    m_check.stop();
    m_pause.stop();
    if (m_run.series.on() && TaskObj.state == taskSeriesPause) {
        TaskObj.state = taskIdle;
        m_sending = false;
        EnableSendControls(0, true);
        EnableSendControls(1, true);
        UpdateStatusBar();
    }
}

// ---- closing

void T_PostSrv::ExplorerButton5Click()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

bool T_PostSrv::FormCloseQuery()
{
    if (m_relay.busy())
        m_relay.abort();
    ProjectIniInfo.NumberConnect = NumConnect->value();
    accountInUse(ProjectIniInfo).MailDomain = eDomain->text().left(shortStringLength);
    ProjectIniInfo.DnsIP = DNSEdit->text().left(shortStringLength);
    ProjectIniInfo.TimeOut = eTimeOut->value();
    return true;
}

void T_PostSrv::closeEvent(QCloseEvent* event)
{
    if (isCloseQueryOnly(event)) {
        event->accept();
        return;
    }
    event->setAccepted(FormCloseQuery());
    if (event->isAccepted())
        endProgramAfterToolWindow();
}

T_PostSrv* ShowSendWindow(StringGrid* listGrid, const QStringList& columnTitles)
{
    QMdiArea* area = WindowHost::mdiArea();
    if (area) {
        for (QMdiSubWindow* sub : area->subWindowList()) {
            if (auto* window = qobject_cast<T_PostSrv*>(sub->widget())) {
                area->setActiveSubWindow(sub);
                return window;
            }
        }
    }
    if (!listGrid || ProjectIniInfo.Column < 0 || ProjectIniInfo.Column >= listGrid->columnCount()) {
        ShowMessageBox(sendingWindowTexts().value(textDefineEmailColumn), sendingWindowTexts().value(textInfo),
                       MB_OK | MB_ICONINFORMATION);
        return nullptr;
    }
    auto* window = new T_PostSrv(listGrid, columnTitles);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (area)
        area->addSubWindow(window)->show();
    else
        window->show();
    return window;
}
