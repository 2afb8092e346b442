// TFPref on screen: "Save && Exit" without change, cancelling, what opening shows (titles, the account in use,
// masks, HELO, ticks, the charset box from "charset.txt"), the placeholder after deleting the only account and
// typing into it, the project scope's read-only path, and "Get DNS info" from a resolv.conf fixture.

#include "core/preferences/preferences_form.h"

#include "core/frame/main_form.h"
#include "core/language/msg_language.h"
#include "core/base/user_messages.h"
#include "core/base/text_helpers.h"
#include "core/base/window_host.h"
#include "platform/widgets/string_grid_view.h"
#include "tests/core/modal_dialogs.h"
#include "tests/core/preferences_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>

#include <memory>

namespace {

using namespace sorvanta::test;

// A stand-in for the sending window, known to the main window by its class name: it keeps the messages it
// gets and has the sender edits the main window fills after "Project Options".
class T_PostSrv : public QWidget {
    Q_OBJECT
public:
    T_PostSrv()
    {
        eEMail->setObjectName("eEMail");
        eName->setObjectName("eName");
    }
    QList<int> messages;
    QLineEdit* eEMail = new QLineEdit(this);
    QLineEdit* eName = new QLineEdit(this);

protected:
    bool event(QEvent* event) override
    {
        if (WindowMessage* message = WindowMessage::from(event)) {
            messages << message->msg;
            return true;
        }
        return QWidget::event(event);
    }
};

// Types text as the user does, so that the edit's change reaches the dialog.
void typeInto(QLineEdit* edit, const QString& text)
{
    for (QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(edit, &press);
    }
}

// Runs PreferencesExecute in scope and presses button once the dialog is up.
bool runAndPress(SettingsScope scope, const char* button)
{
    onNextModal([button](QWidget* modal) {
        auto* form = qobject_cast<TFPref*>(modal);
        ASSERT_NE(form, nullptr);
        form->findChild<QPushButton*>(QLatin1String(button))->click();
    });
    return PreferencesExecute(scope);
}

using PreferencesFormTest = PreferencesTest;

TEST_F(PreferencesFormTest, SaveWithoutChangeKeepsRecordAndAccountsInBothScopes)
{
    for (SettingsScope scope : {SettingsScope::Default, SettingsScope::Project}) {
        SCOPED_TRACE(int(scope));
        TIniInfo expected = settingsOfScope(scope);
        expected.OptionsChanged = true;
        expected.DefaultHelo = DefaultIniInfo.DefaultHelo;
        expected.TextHelo = DefaultIniInfo.TextHelo;
        const std::string accountsBefore = accountLines();

        EXPECT_TRUE(runAndPress(scope, "SaveButton"));
        EXPECT_EQ(recordText(settingsOfScope(scope)), recordText(expected)) << "the charset is in no choice";
        EXPECT_EQ(accountLines(), accountsBefore);
        EXPECT_EQ(settingsFileBytes(), encodeLines(settingsFileLines(DefaultIniInfo)));
    }
}

TEST_F(PreferencesFormTest, CancelLeavesSettingsAccountsAndFileAlone)
{
    const std::string program = recordText(DefaultIniInfo);
    const std::string accounts = accountLines();
    onNextModal([](QWidget* modal) {
        auto* form = qobject_cast<TFPref*>(modal);
        ASSERT_NE(form, nullptr);
        form->DeleteProfileButton->click();
        form->DnsEdit->setText("203.0.113.9");
        form->CancelButton->click();
    });
    EXPECT_FALSE(PreferencesExecute(SettingsScope::Default));
    EXPECT_EQ(recordText(DefaultIniInfo), program);
    EXPECT_EQ(accountLines(), accounts);
    EXPECT_FALSE(QFile::exists(settingsFilePath()));
}

TEST_F(PreferencesFormTest, OpeningShowsTheAccountInUseAndTheSettings)
{
    writeFileBytes(ProgramFolder() + "charset.txt", "English(en),iso-8859-1\r\nRussian(ru),koi8-r\r\n");
    TFPref form(SettingsScope::Default);

    const StringGrid& grid = form.model().accountGrid();
    EXPECT_EQ(grid.cell(0, 0), "Name");
    EXPECT_EQ(grid.cell(12, 0), "Au Password");
    EXPECT_EQ(form.sg1->currentRow(), 2);
    EXPECT_EQ(form.NameEdit->text(), "beta");
    EXPECT_EQ(form.SMTPPortEdit->text(), "587");
    EXPECT_TRUE(form.cbSMTPAuth->isChecked());
    EXPECT_TRUE(form.eUN->isEnabled());
    EXPECT_TRUE(form.lUNP->isEnabled());
    EXPECT_EQ(form.eUNP->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(form.POP3PasswordEdit->echoMode(), QLineEdit::Normal);

    EXPECT_EQ(form.cbCSet->count(), 2);
    EXPECT_EQ(form.cbCSet->currentText(), "Russian(ru),koi8-r");
    EXPECT_EQ(form.DnsEdit->text(), "192.0.2.53");
    EXPECT_EQ(form.Ncon->value(), 40);
    EXPECT_EQ(form.eTimeOut->value(), 30);
    EXPECT_EQ(form.eAutoCommit->value(), 15);
    EXPECT_FALSE(form.cbHelo->isChecked());
    EXPECT_FALSE(form.eHelo->isReadOnly());
    EXPECT_EQ(form.eHelo->text(), "mail.program.test");
    EXPECT_EQ(form.CheckList->count(), 21);
    for (int i = 0; i < form.CheckList->count(); ++i) {
        const QString code = form.CheckList->item(i)->text().left(3);
        EXPECT_EQ(form.CheckList->item(i)->checkState() == Qt::Checked, code == "550" || code == "554") << i;
    }
    EXPECT_TRUE(form.Button1->isVisibleTo(&form));
    EXPECT_FALSE(form.ePathPro->isReadOnly());
    EXPECT_EQ(form.lPathPro->text(), "Default project path");
}

TEST_F(PreferencesFormTest, TheCheckBoxesFollowAndChangeTheSelectedRow)
{
    TFPref form(SettingsScope::Default);
    form.sg1->setCurrentCell(0, 1);
    EXPECT_EQ(form.NameEdit->text(), "alpha");
    EXPECT_FALSE(form.eUN->isEnabled());
    EXPECT_EQ(form.eUNP->echoMode(), QLineEdit::Password);

    form.cbMaskPop3->click();
    EXPECT_EQ(form.POP3PasswordEdit->echoMode(), QLineEdit::Password);
    form.cbSMTPAuth->click();
    EXPECT_TRUE(form.eUN->isEnabled());
    typeInto(form.eReplyTo, "!");
    form.cbHelo->click();
    EXPECT_TRUE(form.eHelo->isReadOnly());

    form.SaveButton->click();
    const tAccountObj& alpha = *Accounts.Items(0);
    EXPECT_TRUE(alpha.MaskPop3);
    EXPECT_TRUE(alpha.Authen);
    EXPECT_EQ(alpha.ReplyTo, "reply-alpha@example.test!");
    EXPECT_EQ(DefaultIniInfo.NConnect, 0);
    EXPECT_TRUE(DefaultIniInfo.DefaultHelo);
}

TEST_F(PreferencesFormTest, DeletingTheOnlyAccountShowsThePlaceholderUntilTheUserTypes)
{
    Accounts.Clear();
    Accounts.Add(makeAccount("only", 25, true));
    DefaultIniInfo.NConnect = 0;
    TFPref form(SettingsScope::Default);

    form.DeleteProfileButton->click();
    const tAccountObj& placeholder = *Accounts.DefaultAccount();
    EXPECT_EQ(form.NameEdit->text(), placeholder.Name);
    EXPECT_EQ(form.SMTPServerEdit->text(), placeholder.SMTPServer);
    EXPECT_EQ(form.POP3PortEdit->text(), "110");
    EXPECT_FALSE(form.cbSMTPAuth->isChecked());
    EXPECT_TRUE(form.model().hasNoAccount());

    typeInto(form.UserEdit, "x");
    EXPECT_FALSE(form.model().hasNoAccount());
    form.SaveButton->click();
    ASSERT_EQ(Accounts.Count(), 1);
    EXPECT_EQ(Accounts.Items(0)->Name, placeholder.Name);
    EXPECT_EQ(Accounts.Items(0)->UserID, placeholder.UserID + "x");
}

TEST_F(PreferencesFormTest, SavingWithNoAccountKeepsOnePlaceholderAndTheFirstIndex)
{
    TFPref form(SettingsScope::Default);
    form.DeleteProfileButton->click();
    form.DeleteProfileButton->click();
    EXPECT_TRUE(form.model().hasNoAccount());
    form.SaveButton->click();
    ASSERT_EQ(Accounts.Count(), 1);
    EXPECT_EQ(accountLine(*Accounts.Items(0)), accountLine(*Accounts.DefaultAccount()));
    EXPECT_EQ(DefaultIniInfo.NConnect, 0);
}

TEST_F(PreferencesFormTest, NewAndCopyProfileSelectTheirRow)
{
    TFPref form(SettingsScope::Default);
    form.CopyProfileButton->click();
    EXPECT_EQ(form.sg1->currentRow(), 3);
    EXPECT_EQ(form.NameEdit->text(), "beta");
    form.NewProfileButton->click();
    EXPECT_EQ(form.sg1->currentRow(), 4);
    EXPECT_EQ(form.NameEdit->text(), Accounts.DefaultAccount()->Name);
    typeInto(form.NameEdit, "2");
    form.SaveButton->click();
    ASSERT_EQ(Accounts.Count(), 4);
    EXPECT_EQ(Accounts.Items(2)->auPsw, "beta-auth-secret");
    EXPECT_EQ(Accounts.Items(3)->Name, Accounts.DefaultAccount()->Name + "2");
    EXPECT_EQ(DefaultIniInfo.NConnect, 3);
}

TEST_F(PreferencesFormTest, ProjectScopeShowsTheProjectPathReadOnly)
{
    TFPref form(SettingsScope::Project);
    EXPECT_TRUE(form.ePathPro->isReadOnly());
    EXPECT_EQ(form.ePathPro->text(), ProjectIniInfo.PathPro);
    EXPECT_EQ(form.lPathPro->text(), "Project path");
    EXPECT_FALSE(form.Button1->isVisibleTo(&form));
    EXPECT_EQ(form.cbCSet->count(), 0) << "no charset.txt and no fallback in the project scope";
    EXPECT_EQ(form.DnsEdit->text(), "198.51.100.53");
    EXPECT_EQ(form.eHelo->text(), "mail.program.test");
}

TEST_F(PreferencesFormTest, GetDnsInfoTakesTheFirstIPv4NameServer)
{
    TFPref form(SettingsScope::Default);
    form.setResolvConfPath(sourcePath("core/data/preferences_resolv.conf"));
    form.SpeedButton6->click();
    EXPECT_EQ(form.DnsEdit->text(), "192.0.2.77");
    EXPECT_TRUE(form.SpeedButton6->isEnabled());
    form.SaveButton->click();
    EXPECT_EQ(DefaultIniInfo.DnsIP, "192.0.2.77");
}

TEST_F(PreferencesFormTest, ASettingsFileThatCannotBeWrittenIsReportedAndTheDialogStillCloses)
{
    ASSERT_TRUE(QDir().mkpath(settingsFilePath()));   // a folder where the file should be
    MessageBoxRecorder boxes;
    TFPref form(SettingsScope::Default);
    form.SaveButton->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Error");
    EXPECT_FALSE(boxes.boxes[0].text.isEmpty());
    EXPECT_TRUE(DefaultIniInfo.OptionsChanged);
}

TEST_F(PreferencesFormTest, ProjectOptionsOfTheMainWindowRefreshTheSendingWindow)
{
    auto mainForm = std::make_unique<TMainForm>();
    mainForm->show();
    auto* sending = new T_PostSrv;
    QMdiSubWindow* sub = mainForm->mdiArea()->addSubWindow(sending);
    sub->show();
    mainForm->mdiArea()->setActiveSubWindow(sub);
    WindowMessage::send(mainForm.get(), WM_UPDATEMENUS);

    onNextModal([](QWidget* modal) {
        auto* form = qobject_cast<TFPref*>(modal);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->model().scope(), SettingsScope::Project);
        form->sg1->setCurrentCell(0, 2);
        form->SaveButton->click();
    });
    mainForm->findChild<QAction*>("miPrOptions")->trigger();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    EXPECT_EQ(ProjectIniInfo.NConnect, 1);
    EXPECT_EQ(sending->eEMail->text(), "beta@example.test");
    EXPECT_EQ(sending->eName->text(), "beta");
    EXPECT_TRUE(sending->messages.contains(WM_REFRESHSEND));
}

TEST_F(PreferencesFormTest, DefaultOptionsOfTheMainWindowEditTheProgramSettings)
{
    auto mainForm = std::make_unique<TMainForm>();
    onNextModal([](QWidget* modal) {
        auto* form = qobject_cast<TFPref*>(modal);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->model().scope(), SettingsScope::Default);
        form->Ncon->setValue(12);
        form->SaveButton->click();
    });
    mainForm->findChild<QAction*>("Preferences1")->trigger();
    EXPECT_EQ(DefaultIniInfo.NumberConnect, 12);
    EXPECT_EQ(ProjectIniInfo.NumberConnect, 7);
}

}  // namespace

#include "preferences_form_gui_test.moc"
