// The verification window: see verify_form.h.

#include "core/verify/verify_form.h"

#include "core/base/widget_factory.h"
#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/language/msg_language.h"
#include "core/dialogs/progress_window.h"
#include "core/base/text_helpers.h"
#include "core/base/window_host.h"
#include "core/base/tool_commands.h"
#include "core/base/tool_window_exit.h"
#include "core/base/user_messages.h"
#include "platform/message_box_flags.h"
#include "platform/name_servers.h"
#include "platform/widgets/colour_contrast.h"
#include "platform/widgets/string_grid_view.h"
#include "platform/text_file.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

constexpr int ProgressEventsEveryMs = 30;   // pending events while loading or deleting, not after every row
constexpr unsigned CompletedBoxFlags = MB_TASKMODAL | MB_ICONINFORMATION;   // 0x2040

// Draws each row in its status colour (the palette's text where that would not read); selected cells keep the
// selection colours.
class StatusColourDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & (QStyle::State_Selected | QStyle::State_HasFocus))
            return;
        const int status = index.data(StringGridModel::RowStatusRole).toInt();
        option->palette.setColor(QPalette::Text, shownStatusColour(status, option->palette));
    }
};

// Shows the rows done in the progress window and processes pending events every ProgressEventsEveryMs;
// step() answers whether the loop may go on (Stop not pressed).
class ProgressPump {
public:
    explicit ProgressPump(TProgAddress* window) : m_window(window) { m_sinceEvents.start(); }
    bool step(int rowsDone)
    {
        m_window->Gauge1->setValue(std::min(rowsDone, m_window->Gauge1->maximum()));
        if (m_sinceEvents.elapsed() >= ProgressEventsEveryMs) {
            QCoreApplication::processEvents();
            m_sinceEvents.restart();
        }
        return !m_window->Stopped;
    }

private:
    TProgAddress* m_window;
    QElapsedTimer m_sinceEvents;
};

TProgAddress* openProgress(const QString& caption, int maximum)
{
    TProgAddress* window = CreateProgressWindow();
    window->setWindowTitle(caption);
    window->Gauge1->setRange(0, std::max(maximum, 0));
    window->Gauge1->setValue(0);
    return window;
}

}  // namespace

QColor verifyStatusColour(int status)
{
    switch (status) {
    case StatusNoDomain: return QColor(192, 192, 192);      // silver
    case StatusAvailable: return QColor(0, 0, 128);         // navy
    case StatusUnavailable: return QColor(255, 0, 255);     // fuchsia
    case StatusNoAnswer: return QColor(0, 128, 128);        // teal
    case StatusQueryFailed: return QColor(255, 0, 0);       // red
    default: return QColor();
    }
}

QColor shownStatusColour(int status, const QPalette& palette)
{
    const QColor text = palette.color(QPalette::Text);
    const QColor colour = verifyStatusColour(status);
    return colour.isValid() ? readableOr(colour, palette.color(QPalette::Base), text) : text;
}

TVerifyForm::TVerifyForm(StringGrid& listGrid, int emailColumn, QWidget* parent)
    : QDialog(parent),
      msl(new TMsgLanguage(this, verifyMessages())),
      sgEm(new StringGridView(this)),
      SmtpEdit(new QLineEdit(this)),
      DNSEdit(new QLineEdit(QString::fromLatin1(defaultDnsServer), this)),
      NumConnect(new QLineEdit(QStringLiteral("5"), this)),
      eTimeOut(new QSpinBox(this)),
      StartButton(makeButton(this, "StartButton", tr("Start Verification"))),
      ResumeButton(makeButton(this, "ResumeButton", tr("Resume"))),
      StopButton(makeButton(this, "StopButton", tr("Stop"))),
      GetDnsButton(makeButton(this, "GetDnsButton", tr("Get DNS info"))),
      SpeedButton1(makeButton(this, "SpeedButton1", tr("Delete unavailable from list"))),
      SpeedButton2(makeButton(this, "SpeedButton2", tr("Save As"))),
      ExplorerButton1(makeExplorerButton(this, "ExplorerButton1", tr("Close"), "close")),
      SaveBadFile(new QFileDialog(this)),
      m_listGrid(listGrid),
      m_emailColumn(emailColumn),
      m_results(VerifyColumnCount, 2),
      m_verifier(m_results, *msl)
{
    setObjectName(QStringLiteral("VerifyForm"));
    setWindowTitle(tr("Verify E-mail List"));
    SmtpEdit->setObjectName(QStringLiteral("SmtpEdit"));
    DNSEdit->setObjectName(QStringLiteral("DNSEdit"));
    NumConnect->setObjectName(QStringLiteral("NumConnect"));
    eTimeOut->setObjectName(QStringLiteral("eTimeOut"));
    eTimeOut->setRange(1, 32767);
    sgEm->setObjectName(QStringLiteral("sgEm"));
    sgEm->setGrid(&m_results);
    sgEm->setRowSelect(true);
    sgEm->setItemDelegate(new StatusColourDelegate(sgEm));
    sgEm->setFittedColumns({VerifyEmailColumn, VerifyDomainColumn, VerifyStateColumn, VerifyCodeColumn,
                            VerifyTimeColumn},
                           VerifyCommentColumn);
    SaveBadFile->setObjectName(QStringLiteral("SaveBadFile"));
    SaveBadFile->setAcceptMode(QFileDialog::AcceptSave);
    GetDnsButton->setToolTip(tr("Get DNS from your ISP"));
    StopButton->setEnabled(false);
    buildLayout();

    connect(StartButton, &QPushButton::clicked, this, &TVerifyForm::StartButtonClick);
    connect(ResumeButton, &QPushButton::clicked, this, &TVerifyForm::ResumeButtonClick);
    connect(StopButton, &QPushButton::clicked, this, &TVerifyForm::StopButtonClick);
    connect(GetDnsButton, &QPushButton::clicked, this, &TVerifyForm::GetDnsButtonClick);
    connect(SpeedButton1, &QPushButton::clicked, this, &TVerifyForm::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TVerifyForm::SpeedButton2Click);
    connect(ExplorerButton1, &QAbstractButton::clicked, this, &TVerifyForm::ExplorerButton1Click);
    connect(sgEm, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { sgEmDblClick(sgEm->gridModel()->gridRow(index.row())); });
    connect(&m_verifier, &ListVerifier::finished, this, &TVerifyForm::runFinished);
    // Queued: the answer handler that wrote the line returns before the box opens.
    connect(&m_verifier, &ListVerifier::logFailed, this, &TVerifyForm::logFailed, Qt::QueuedConnection);
}

TVerifyForm::~TVerifyForm()
{
    sgEm->setGrid(nullptr);   // the view goes after the grid it shows
}

void TVerifyForm::buildLayout()
{
    setWidthInCharacters(SmtpEdit, 36);
    setWidthInCharacters(DNSEdit, 24);
    setWidthInCharacters(NumConnect, 6);
    auto* dns = new QHBoxLayout;   // the button right beside the DNS edit
    dns->addWidget(DNSEdit);
    dns->addWidget(GetDnsButton);
    dns->addStretch();
    auto* fields = new QGridLayout;
    const auto addField = [&](int row, const char* name, const QString& caption, QWidget* field, QLayout* place) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(QLatin1String(name));
        label->setBuddy(field);
        fields->addWidget(label, row, 0);
        if (place)
            fields->addLayout(place, row, 1);
        else
            fields->addWidget(field, row, 1, Qt::AlignLeft);
    };
    addField(0, "Label1", tr("Mail Server"), SmtpEdit, nullptr);
    addField(1, "Label2", tr("DNS"), DNSEdit, dns);
    addField(2, "Label3", tr("Number of Connections = "), NumConnect, nullptr);
    addField(3, "Label4", tr("TimeOut:"), eTimeOut, nullptr);
    fields->setColumnStretch(2, 1);   // the room the window has beyond the fields stays empty

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {StartButton, ResumeButton, StopButton, SpeedButton1, SpeedButton2})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(ExplorerButton1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(sgEm, 1);
    resize(760, 520);
}

void TVerifyForm::Opening()
{
    WindowHost::requestTranslation(this);
    if (!m_verifier.openLog(ProgramFolder() + QStringLiteral("verifylog.txt")))
        logFailed(m_verifier.logError());
    NumConnect->setText(QString::number(ProjectIniInfo.NumberConnect));
    SmtpEdit->setText(accountInUse(ProjectIniInfo).SMTPServer);
    DNSEdit->setText(ProjectIniInfo.DnsIP);
    eTimeOut->setValue(ProjectIniInfo.TimeOut);

    TProgAddress* progress = openProgress(msl->text(MsgEmailLoading) + QStringLiteral(" .. "),
                                          m_listGrid.rowCount() - 1);
    ProgressPump pump(progress);
    m_verifier.loadAddresses(m_listGrid, m_emailColumn, [&](int row) { return pump.step(row); });
    CloseProgressWindow(progress);
}

void TVerifyForm::logFailed(const QString& reason)
{
    ShowMessageBox(QStringLiteral("The verification log cannot be written (%1). The verification goes on without it.")
                       .arg(reason),
                   msl->text(MsgVerify), MB_OK | MB_ICONWARNING);
}

void TVerifyForm::StartButtonClick()
{
    startRun(false);
}

void TVerifyForm::ResumeButtonClick()
{
    startRun(true);
}

void TVerifyForm::startRun(bool resume)
{
    // The count is checked before anything changes, so a bad one leaves the window as it was.
    const std::optional<int> connections = parseConnectionCount(NumConnect->text());
    if (!connections) {
        ShowMessageBox(msl->text(MsgBadConnections), msl->text(MsgVerify), MB_OK | MB_ICONERROR);
        NumConnect->setFocus();
        return;
    }
    VerifySettings settings;
    settings.connections = *connections;
    settings.dnsServer = trimBlanks(DNSEdit->text());
    settings.dnsPort = m_dnsPort;
    settings.timeOutSeconds = eTimeOut->value();
    setRunning(true);
    m_verifier.start(resume, settings);
}

void TVerifyForm::StopButtonClick()
{
    m_verifier.finish();
}

void TVerifyForm::setRunning(bool running)
{
    StartButton->setEnabled(!running);
    ResumeButton->setEnabled(!running);
    StopButton->setEnabled(running);
}

void TVerifyForm::runFinished()
{
    setRunning(false);
    unsetCursor();
    ShowMessageBox(msl->text(MsgCompleted), msl->text(MsgVerify), CompletedBoxFlags);
}

void TVerifyForm::GetDnsButtonClick()
{
    const bool idle = !m_verifier.isRunning();
    for (QPushButton* button : {GetDnsButton, StartButton, ResumeButton})
        button->setEnabled(false);
    DNSEdit->setText(GetDnsServerAddress());
    GetDnsButton->setEnabled(true);
    StartButton->setEnabled(idle);
    ResumeButton->setEnabled(idle);
}

void TVerifyForm::sgEmDblClick(int row)
{
    if (!m_deleting)
        m_verifier.toggleState(row);
}

void TVerifyForm::waitForPendingQueries()
{
    // Rows must not move under a query still in flight: launch no more and let the pending ones end.
    m_verifier.stopLaunching();
    while (m_verifier.isRunning() && m_verifier.queriesInFlight() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    m_verifier.finish();
}

void TVerifyForm::SpeedButton1Click()
{
    if (m_deleting)
        return;
    m_deleting = true;
    SpeedButton1->setEnabled(false);
    QCoreApplication::processEvents();
    waitForPendingQueries();
    // The rows move while the progress window lets events through: no run and no save meanwhile.
    for (QPushButton* button : {StartButton, ResumeButton, SpeedButton2})
        button->setEnabled(false);
    TProgAddress* progress = openProgress(msl->text(MsgDeleting) + QStringLiteral(".."), m_listGrid.rowCount());
    ProgressPump pump(progress);
    const int removed = deleteUnavailableRows(m_listGrid, m_results, [&](int row) { pump.step(row); });
    CloseProgressWindow(progress);
    if (removed > 0)
        m_listChanged = true;
    WindowMessage::post(WindowHost::mainWindow(), WM_LISTCHANGED);
    for (QPushButton* button : {StartButton, ResumeButton, SpeedButton1, SpeedButton2})
        button->setEnabled(true);
    m_deleting = false;
}

void TVerifyForm::SpeedButton2Click()
{
    SaveBadFile->setNameFilters({msl->text(MsgTextFiles) + QStringLiteral(" (*.txt)"),
                                 msl->text(MsgAllFiles) + QStringLiteral(" (*.*)")});
    if (SaveBadFile->exec() != QDialog::Accepted || SaveBadFile->selectedFiles().isEmpty())
        return;
    const QString fileName = withTextExtension(SaveBadFile->selectedFiles().constFirst());
    QString error;
    if (!writeTextLines(fileName, verificationResultLines(m_results), &error))
        ShowMessageBox(fileName + QStringLiteral(" : ") + error, msl->text(MsgVerify), MB_OK | MB_ICONERROR);
}

void TVerifyForm::ExplorerButton1Click()
{
    close();
}

void TVerifyForm::reject()
{
    if (m_closing)
        QDialog::reject();
    else
        close();   // Escape closes as the Close button does
}

void TVerifyForm::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        m_verifier.finish();
        writeSettingsBack();
        m_verifier.closeLog();
        endProgramAfterToolWindow();
    }
    QDialog::closeEvent(event);
}

void TVerifyForm::writeSettingsBack()
{
    if (const std::optional<int> connections = parseConnectionCount(NumConnect->text()))
        ProjectIniInfo.NumberConnect = *connections;
    ProjectIniInfo.DnsIP = DNSEdit->text().left(shortStringLength);
    ProjectIniInfo.TimeOut = eTimeOut->value();
    accountInUse(ProjectIniInfo).SMTPServer = SmtpEdit->text().left(shortStringLength);
}

bool VerifyListExecute(QWidget* parent, StringGrid& grid, int emailColumn)
{
    TVerifyForm form(grid, emailColumn, parent);
    form.Opening();
    form.exec();
    return form.listChanged();
}

void registerVerifyListTool()
{
    setToolFunction(ToolVerifyList, [](ToolRequest& request) {
        return request.listGrid && VerifyListExecute(request.parent, *request.listGrid, request.emailColumn);
    });
}
