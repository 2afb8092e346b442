// The preferences dialog: see preferences_form.h.

#include "core/preferences/preferences_form.h"

#include "core/base/widget_factory.h"
#include "core/language/msg_language.h"
#include "core/base/window_host.h"
#include "core/base/user_messages.h"

#include "platform/widgets/grid_sizing.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/screen_fit.h"
#include "platform/name_servers.h"
#include "platform/widgets/colour_contrast.h"
#include "platform/widgets/string_grid_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum PreferencesMessage {
    MsgProjectPath = 13,
    MsgDnsInfoError = 14,
    MsgError = 15,
};

constexpr int titledColumns = AuPswColumn + 1;   // columns 13 and 14 have no title
constexpr int spinMaximum = 10000;

QStringList preferencesMessages()
{
    return {
        QStringLiteral("Name"),
        QStringLiteral("User ID"),
        QStringLiteral("Return Address"),
        QStringLiteral("Reply To"),
        QStringLiteral("SMTP Server"),
        QStringLiteral("SMTP Port"),
        QStringLiteral("Mail Domain"),
        QStringLiteral("POP3 Server"),
        QStringLiteral("POP3 Port"),
        QStringLiteral("POP3 Password"),
        QStringLiteral("Authentification"),
        QStringLiteral("Au Name"),
        QStringLiteral("Au Password"),
        QStringLiteral("Project path"),
        QStringLiteral("DNSInfo Define Error"),
        QStringLiteral("Error"),
    };
}

QSpinBox* makeSpinBox(QWidget* parent, const char* name, int minimum)
{
    auto* spin = named(new QSpinBox(parent), name);
    spin->setRange(minimum, spinMaximum);
    return spin;
}

// A read-only edit takes background, an editable one the normal text background again.
void setEditReadOnly(QLineEdit* edit, bool readOnly, const QColor& background)
{
    edit->setReadOnly(readOnly);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, readOnly ? background : QPalette().color(QPalette::Base));
    edit->setPalette(palette);
}

}  // namespace

TFPref::TFPref(SettingsScope scope, QWidget* parent)
    : QDialog(parent),
      msl(new TMsgLanguage(this, preferencesMessages())),
      PageControl1(named(new QTabWidget(this), "PageControl1")),
      sg1(named(new StringGridView(this), "sg1")),
      NameEdit(named(new QLineEdit(this), "NameEdit")),
      UserEdit(named(new QLineEdit(this), "UserEdit")),
      RetAddEdit(named(new QLineEdit(this), "RetAddEdit")),
      eReplyTo(named(new QLineEdit(this), "eReplyTo")),
      SMTPServerEdit(named(new QLineEdit(this), "SMTPServerEdit")),
      SMTPPortEdit(named(new QLineEdit(this), "SMTPPortEdit")),
      eMailDomain(named(new QLineEdit(this), "eMailDomain")),
      POP3ServerEdit(named(new QLineEdit(this), "POP3ServerEdit")),
      POP3PortEdit(named(new QLineEdit(this), "POP3PortEdit")),
      POP3PasswordEdit(named(new QLineEdit(this), "POP3PasswordEdit")),
      cbSMTPAuth(named(new QCheckBox(tr("Authentification"), this), "cbSMTPAuth")),
      lUN(named(new QLabel(tr("Au Name"), this), "lUN")),
      eUN(named(new QLineEdit(this), "eUN")),
      lUNP(named(new QLabel(tr("Au Password"), this), "lUNP")),
      eUNP(named(new QLineEdit(this), "eUNP")),
      cbMaskSMTP(named(new QCheckBox(tr("Mask"), this), "cbMaskSMTP")),
      cbMaskPop3(named(new QCheckBox(tr("Mask"), this), "cbMaskPop3")),
      NewProfileButton(makeButton(this, "NewProfileButton", tr("New Profile"))),
      CopyProfileButton(makeButton(this, "CopyProfileButton", tr("Copy Profile"))),
      DeleteProfileButton(makeButton(this, "DeleteProfileButton", tr("Delete Profile"))),
      cbAutoCommit(named(new QCheckBox(tr("Auto login every"), this), "cbAutoCommit")),
      eAutoCommit(makeSpinBox(this, "eAutoCommit", 1)),
      lPathPro(named(new QLabel(tr("Default project path"), this), "lPathPro")),
      ePathPro(named(new QLineEdit(this), "ePathPro")),
      Button1(makeButton(this, "Button1", tr("Browse"))),
      cbCSet(named(new QComboBox(this), "cbCSet")),
      cbHelo(named(new QCheckBox(tr("Default HELO argument"), this), "cbHelo")),
      eHelo(named(new QLineEdit(this), "eHelo")),
      cbPop3(named(new QCheckBox(tr("POP3 login before sending"), this), "cbPop3")),
      cbExternalSmtp(named(new QCheckBox(tr("Send mail through external smtp mail server only (through ISP)"), this),
                           "cbExternalSmtp")),
      DnsEdit(named(new QLineEdit(this), "DnsEdit")),
      SpeedButton6(makeButton(this, "SpeedButton6", tr("Get DNS info"))),
      Ncon(makeSpinBox(this, "Ncon", 1)),
      eTimeOut(makeSpinBox(this, "eTimeOut", 1)),
      CheckList(named(new QListWidget(this), "CheckList")),
      SaveButton(makeButton(this, "SaveButton", tr("Save && Exit"))),
      CancelButton(makeButton(this, "CancelButton", tr("Cancel && Exit"))),
      m_model(scope),
      m_resolvConfPath(defaultResolvConfPath)
{
    setObjectName(QStringLiteral("FPref"));
    setWindowTitle(tr("Preferences"));
    // The pages scroll where the screen is too low for them (1366x768 at 120 DPI), so that the tabs and the
    // two buttons below stay in sight.
    PageControl1->addTab(new ContentScrollArea(buildGeneralPage()), tr("General"));
    PageControl1->addTab(new ContentScrollArea(buildDnsPage()), tr("DNS Options"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SaveButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
    SaveButton->setDefault(true);
    bindAccountEdits();
    connectHandlers();
    fitToScreen(this, QSize(720, 640));
    showScope();
}

TFPref::~TFPref()
{
    sg1->setGrid(nullptr);   // the view goes after the grid it shows
}

QWidget* TFPref::buildGeneralPage()
{
    auto* page = named(new QWidget(this), "TabSheet1");
    sg1->setRowSelect(true);
    sg1->setGrid(&m_model.accountGrid());
    sg1->setFittedColumns({GridSizing::everyColumn}, -1);   // titles and values whole at any font
    cbCSet->setEditable(false);

    auto* profileButtons = new QHBoxLayout;
    for (QPushButton* button : {NewProfileButton, CopyProfileButton, DeleteProfileButton})
        profileButtons->addWidget(button);
    profileButtons->addStretch();

    setWidthInCharacters(ePathPro, 48);
    setWidthInCharacters(eHelo, 36);
    auto* fields = new QGridLayout;
    fields->setColumnStretch(3, 1);   // the room the dialog has beyond the fields stays empty
    fields->addWidget(cbAutoCommit, 0, 0);
    // Fields whose caption is a check box, which cannot be a buddy: named after it for screen readers.
    eAutoCommit->setAccessibleName(cbAutoCommit->text());
    eHelo->setAccessibleName(cbHelo->text());
    auto* autoCommit = new QHBoxLayout;
    autoCommit->addWidget(eAutoCommit);
    autoCommit->addWidget(named(new QLabel(tr("minutes"), page), "lMinutes"));
    autoCommit->addStretch();
    fields->addLayout(autoCommit, 0, 1);
    lPathPro->setBuddy(ePathPro);
    fields->addWidget(lPathPro, 1, 0);
    fields->addWidget(ePathPro, 1, 1);
    fields->addWidget(Button1, 1, 2);
    fields->addWidget(makeFieldLabel(cbCSet, tr("Select charset"), "lCSet"), 2, 0);
    fields->addWidget(cbCSet, 2, 1, Qt::AlignLeft);
    fields->addWidget(cbHelo, 3, 0);
    fields->addWidget(eHelo, 3, 1, Qt::AlignLeft);
    fields->addWidget(cbPop3, 4, 0, 1, 3);
    fields->addWidget(cbExternalSmtp, 5, 0, 1, 3);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(sg1, 1);
    layout->addWidget(buildAccountFields());
    layout->addLayout(profileButtons);
    layout->addLayout(fields);
    return page;
}

QWidget* TFPref::buildAccountFields()
{
    auto* box = named(new QWidget(this), "AccountPanel");
    auto* grid = new QGridLayout(box);
    for (QLineEdit* edit : {NameEdit, UserEdit, RetAddEdit, eReplyTo, eMailDomain, SMTPServerEdit, POP3ServerEdit, eUN})
        setWidthInCharacters(edit, 28);
    for (QLineEdit* edit : {POP3PasswordEdit, eUNP})
        setWidthInCharacters(edit, 20);
    for (QLineEdit* edit : {SMTPPortEdit, POP3PortEdit})
        setWidthInCharacters(edit, 6);
    grid->setColumnStretch(5, 1);   // the room the dialog has beyond the fields stays empty
    const auto addField = [&](int row, int column, const char* labelName, const QString& caption, QWidget* field) {
        grid->addWidget(makeFieldLabel(field, caption, labelName), row, column * 2);
        grid->addWidget(field, row, column * 2 + 1, Qt::AlignLeft);
    };
    addField(0, 0, "lName", tr("Name"), NameEdit);
    addField(1, 0, "lUser", tr("User ID"), UserEdit);
    addField(2, 0, "lRetAdd", tr("Return Address"), RetAddEdit);
    addField(3, 0, "lReplyTo", tr("Reply To"), eReplyTo);
    addField(4, 0, "lMailDomain", tr("Mail Domain"), eMailDomain);
    addField(0, 1, "lSMTPServer", tr("SMTP Server"), SMTPServerEdit);
    addField(1, 1, "lSMTPPort", tr("SMTP Port"), SMTPPortEdit);
    addField(2, 1, "lPOP3Server", tr("POP3 Server"), POP3ServerEdit);
    addField(3, 1, "lPOP3Port", tr("POP3 Port"), POP3PortEdit);
    addField(4, 1, "lPOP3Password", tr("POP3 Password"), POP3PasswordEdit);
    grid->addWidget(cbMaskPop3, 4, 4);
    grid->addWidget(cbSMTPAuth, 5, 0, 1, 2);
    lUN->setBuddy(eUN);
    lUNP->setBuddy(eUNP);
    grid->addWidget(lUN, 6, 0);
    grid->addWidget(eUN, 6, 1, Qt::AlignLeft);
    grid->addWidget(lUNP, 6, 2);
    grid->addWidget(eUNP, 6, 3, Qt::AlignLeft);
    grid->addWidget(cbMaskSMTP, 6, 4);
    return box;
}

QWidget* TFPref::buildDnsPage()
{
    auto* page = named(new QWidget(this), "TabSheet2");
    setWidthInCharacters(DnsEdit, 24);
    auto* fields = new QGridLayout;
    fields->setColumnStretch(3, 1);   // the room the dialog has beyond the fields stays empty
    fields->addWidget(makeFieldLabel(DnsEdit, tr("DNS: "), "lDns"), 0, 0);
    fields->addWidget(DnsEdit, 0, 1, Qt::AlignLeft);
    fields->addWidget(SpeedButton6, 0, 2, Qt::AlignLeft);
    fields->addWidget(Ncon, 1, 0);
    fields->addWidget(makeFieldLabel(Ncon, tr("Number of connection"), "lNcon"), 1, 1);
    fields->addWidget(eTimeOut, 2, 0);
    fields->addWidget(makeFieldLabel(eTimeOut, tr("Connection time out (sec.)"), "lTimeOut"), 2, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(fields);
    auto* checkListLabel = makeLabel(page, "lCheckList", tr("Status codes for unavailable addresses"));
    CheckList->setAccessibleName(checkListLabel->text());   // a list takes no buddy: screen readers read its name
    layout->addWidget(checkListLabel);
    layout->addWidget(CheckList, 1);
    return page;
}

void TFPref::bindAccountEdits()
{
    m_editOfColumn = {NameEdit,      UserEdit,       RetAddEdit, eReplyTo,       SMTPServerEdit,
                      SMTPPortEdit,  eMailDomain,    POP3ServerEdit, POP3PortEdit, POP3PasswordEdit,
                      nullptr,       eUN,            eUNP,       nullptr,        nullptr};
    for (int column = 0; column < AccountColumnCount; ++column) {
        if (QLineEdit* edit = m_editOfColumn[size_t(column)]) {
            edit->setProperty("tag", column);
            // textEdited: only the user's changes write back, never the filling of the fields.
            connect(edit, &QLineEdit::textEdited, this,
                    [this, column](const QString& text) { BoundEditChange(column, text); });
        }
    }
}

void TFPref::connectHandlers()
{
    connect(sg1, &StringGridView::cellSelected, this, [this](int, int row) { sg1SelectCell(row); });
    connect(sg1, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { sg1DblClick(sg1->gridModel()->gridRow(index.row())); });
    connect(cbSMTPAuth, &QCheckBox::clicked, this, &TFPref::cbSMTPAuthClick);
    connect(cbMaskSMTP, &QCheckBox::clicked, this, &TFPref::cbMaskSMTPClick);
    connect(cbMaskPop3, &QCheckBox::clicked, this, &TFPref::cbMaskPop3Click);
    connect(cbHelo, &QCheckBox::clicked, this, &TFPref::cbHeloClick);
    connect(NewProfileButton, &QPushButton::clicked, this, &TFPref::NewProfileButtonClick);
    connect(CopyProfileButton, &QPushButton::clicked, this, &TFPref::CopyProfileButtonClick);
    connect(DeleteProfileButton, &QPushButton::clicked, this, &TFPref::DeleteProfileButtonClick);
    connect(SpeedButton6, &QPushButton::clicked, this, &TFPref::SpeedButton6Click);
    connect(Button1, &QPushButton::clicked, this, &TFPref::Button1Click);
    connect(SaveButton, &QPushButton::clicked, this, &TFPref::SaveButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

// The opening: translation first, so the grid titles and the project-path label take the translated texts.
void TFPref::showScope()
{
    WindowHost::requestTranslation(this);
    PageControl1->setCurrentIndex(0);
    StringGrid& grid = m_model.accountGrid();
    for (int column = 0; column < titledColumns; ++column)
        grid.setCell(column, 0, msl->text(column));
    selectModelRow();
    showAccount();
    cbCSet->addItems(m_model.charsetItems());
    CheckList->addItems(m_model.statusCodeItems());
    for (int i = 0; i < CheckList->count(); ++i)
        CheckList->item(i)->setFlags(CheckList->item(i)->flags() | Qt::ItemIsUserCheckable);
    showPageValues(m_model.pageValues());
    if (m_model.scope() == SettingsScope::Project) {
        setEditReadOnly(ePathPro, true, readableSilver(palette(), QPalette::Text));
        lPathPro->setText(msl->text(MsgProjectPath));
        Button1->hide();
    }
}

void TFPref::showPageValues(const PreferencesPageValues& values)
{
    cbCSet->setCurrentIndex(cbCSet->findText(values.charSet, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    cbAutoCommit->setChecked(values.autoCommit);
    eAutoCommit->setValue(values.autoCommitMinutes);
    DnsEdit->setText(values.dnsServer);
    Ncon->setValue(values.numberConnect);
    eTimeOut->setValue(values.timeOut);
    cbHelo->setChecked(values.defaultHelo);
    eHelo->setText(values.textHelo);
    cbHeloClick();
    cbPop3->setChecked(values.pop3Identify);
    cbExternalSmtp->setChecked(values.externalSmtp);
    ePathPro->setText(values.projectPath);
    for (int i = 0; i < CheckList->count(); ++i)
        CheckList->item(i)->setCheckState(values.codeTicks.value(i) ? Qt::Checked : Qt::Unchecked);
}

PreferencesPageValues TFPref::pageValues() const
{
    PreferencesPageValues values;
    values.charSet = cbCSet->currentText();
    values.projectPath = ePathPro->text();
    values.autoCommit = cbAutoCommit->isChecked();
    values.autoCommitMinutes = eAutoCommit->value();
    values.dnsServer = DnsEdit->text();
    values.numberConnect = Ncon->value();
    values.timeOut = eTimeOut->value();
    values.defaultHelo = cbHelo->isChecked();
    values.textHelo = eHelo->text();
    values.pop3Identify = cbPop3->isChecked();
    values.externalSmtp = cbExternalSmtp->isChecked();
    for (int i = 0; i < CheckList->count(); ++i)
        values.codeTicks.append(CheckList->item(i)->checkState() == Qt::Checked);
    return values;
}

// The edits and check boxes show the selected account (or the placeholder); then the check-box handlers make
// the row's flag cells follow the boxes.
void TFPref::showAccount()
{
    const QStringList cells = m_model.shownAccount();
    for (int column = 0; column < AccountColumnCount; ++column)
        if (QLineEdit* edit = m_editOfColumn[size_t(column)])
            edit->setText(cells.value(column));
    cbSMTPAuth->setChecked(cells.value(AuthenColumn) == QLatin1String("1"));
    cbMaskSMTP->setChecked(cells.value(MaskSMTPColumn) == QLatin1String("1"));
    cbMaskPop3->setChecked(cells.value(MaskPop3Column) == QLatin1String("1"));
    cbSMTPAuthClick();
    cbMaskSMTPClick();
    cbMaskPop3Click();
}

void TFPref::selectModelRow()
{
    const int column = std::max(sg1->currentColumn(), 0);
    if (sg1->currentRow() != m_model.selectedRow())
        sg1->setCurrentCell(column, m_model.selectedRow());
}

void TFPref::sg1SelectCell(int row)
{
    if (row == m_model.selectedRow())
        return;
    m_model.selectRow(row);
    showAccount();
}

void TFPref::sg1DblClick(int row)
{
    QCoreApplication::processEvents();
    m_model.selectRow(row);
    selectModelRow();
    showAccount();
}

void TFPref::BoundEditChange(int column, const QString& text)
{
    m_model.editCell(column, text);
}

void TFPref::cbSMTPAuthClick()
{
    const bool on = cbSMTPAuth->isChecked();
    m_model.setFlagCell(AuthenColumn, on);
    for (QWidget* widget : std::initializer_list<QWidget*>{eUN, eUNP, lUN, lUNP})
        widget->setEnabled(on);
}

void TFPref::cbMaskSMTPClick()
{
    m_model.setFlagCell(MaskSMTPColumn, cbMaskSMTP->isChecked());
    eUNP->setEchoMode(cbMaskSMTP->isChecked() ? QLineEdit::Password : QLineEdit::Normal);
}

void TFPref::cbMaskPop3Click()
{
    m_model.setFlagCell(MaskPop3Column, cbMaskPop3->isChecked());
    POP3PasswordEdit->setEchoMode(cbMaskPop3->isChecked() ? QLineEdit::Password : QLineEdit::Normal);
}

void TFPref::cbHeloClick()
{
    setEditReadOnly(eHelo, cbHelo->isChecked(), palette().color(QPalette::Button));
}

void TFPref::NewProfileButtonClick()
{
    m_model.newProfile();
    selectModelRow();
    showAccount();
}

void TFPref::CopyProfileButtonClick()
{
    m_model.copyProfile();
    selectModelRow();
    showAccount();
}

void TFPref::DeleteProfileButtonClick()
{
    m_model.deleteProfile();
    selectModelRow();
    showAccount();
}

// Without any name server or host address the field keeps what it holds, and the user is told.
void TFPref::SpeedButton6Click()
{
    SpeedButton6->setEnabled(false);
    const QString address = GetDnsServerAddress(m_resolvConfPath);
    if (address.isEmpty())
        messageBox(this, msl->text(MsgDnsInfoError), msl->text(MsgError), MB_OK | MB_ICONERROR);
    else
        DnsEdit->setText(address);
    SpeedButton6->setEnabled(true);
}

void TFPref::Button1Click()
{
    const QString folder = QFileDialog::getExistingDirectory(this, lPathPro->text(), ePathPro->text());
    if (!folder.isEmpty())
        ePathPro->setText(folder);
}

void TFPref::SaveButtonClick()
{
    QString error;
    if (!m_model.confirm(pageValues(), &error))
        messageBox(this, error, msl->text(MsgError), MB_OK | MB_ICONERROR);
    accept();
}

bool PreferencesExecute(SettingsScope scope)
{
    bool confirmed = false;
    {
        TFPref form(scope, WindowHost::mainWindow());
        confirmed = form.exec() == QDialog::Accepted;
    }
    if (scope == SettingsScope::Project)
        WindowMessage::post(WindowHost::mainWindow(), WM_REFRESHSEND);
    return confirmed;
}
