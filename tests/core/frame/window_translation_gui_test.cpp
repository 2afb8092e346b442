// Every window of the program registers for translation when it is opened the way the program opens it, and
// the windows that show messages carry their message list msl: with the template asked for, each one writes
// its section of "language.lan". A window added later gets a line in the table below.

#include "core/dialogs/about_form.h"
#include "core/settings/accounts.h"
#include "core/project/attachments.h"
#include "core/settings/ini_info.h"
#include "core/dialogs/input_form.h"
#include "core/logs/log_viewer.h"
#include "core/frame/main_form.h"
#include "core/sending/post_srv.h"
#include "core/preferences/preferences_form.h"
#include "core/dialogs/progress_window.h"
#include "core/project/project_attachments.h"
#include "core/project/project_files.h"
#include "core/schedule/schedule_dialog.h"
#include "core/schedule/schedule_objects.h"
#include "core/verify/verify_form.h"
#include "platform/ini_file.h"
#include "platform/string_grid.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QRegularExpression>

#include <functional>
#include <memory>

namespace {

using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::onNextModal;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

// Runs a modal Execute function and closes its dialog as soon as it is up.
void closingTheModal(const std::function<void()>& execute)
{
    onNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    execute();
}

struct WindowCase {
    const char* section;   // the window's class name in upper case
    bool hasMessages;      // the window shows messages, so it carries an msl
    std::function<void()> open;
};

void PrintTo(const WindowCase& c, std::ostream* os) { *os << c.section; }

class WindowTranslationTest : public ::testing::TestWithParam<WindowCase> {
protected:
    void SetUp() override
    {
        DefaultIniInfo = DefaultIniInfoValues();
        DefaultIniInfo.LangInit = true;
        DefaultIniInfo.LangFile = QStringLiteral("language");
        ProjectIniInfo = DefaultIniInfoValues();
        ProjectIniInfo.PathPro = testHome();
        ProjectIniInfo.ProjectName = QStringLiteral("mailing");
        Accounts.Clear();
        Accounts.Add(std::make_unique<tAccountObj>());
        mainForm = std::make_unique<TMainForm>();
    }

    void TearDown() override
    {
        mainForm.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ProjectAttachments.clear();
        SeriesObj.SetDefaults();
        TaskObj.SetDefaults();
        Accounts.Clear();
        DefaultIniInfo = DefaultIniInfoValues();
        ProjectIniInfo = DefaultIniInfoValues();
    }

    MessageBoxRecorder boxes;
    std::unique_ptr<TMainForm> mainForm;
};

TEST_P(WindowTranslationTest, OpeningTheWindowWritesItsSectionOfTheTemplate)
{
    GetParam().open();
    const QStringList entries =
        IniFile(testHome() + QStringLiteral("language.lan")).sectionValues(QLatin1String(GetParam().section));
    EXPECT_FALSE(entries.filter(QRegularExpression(QStringLiteral("^Self\\.Caption="))).isEmpty())
        << "the window did not register";
    EXPECT_EQ(entries.filter(QRegularExpression(QStringLiteral("^msl\\.Items\\.0="))).isEmpty(),
              !GetParam().hasMessages);
}

// The list the verification and the sending window work on: a title row and one address.
void fillAddressList(StringGrid& list)
{
    list.setColumnCount(1);
    list.setRowCount(2);
    list.setRowCells(0, {QStringLiteral("email")});
    list.setRowCells(1, {QStringLiteral("ann@example.test")});
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowTranslationTest,
    ::testing::Values(
        WindowCase{"TMAINFORM", true, [] {}},
        WindowCase{"TABOUTFORM", false, [] { closingTheModal([] { AboutExecute(MainForm); }); }},
        WindowCase{"TFPREF", true, [] { TFPref form(SettingsScope::Default); }},
        WindowCase{"TVERIFYFORM", true,
                   [] {
                       StringGrid list;
                       fillAddressList(list);
                       closingTheModal([&] { VerifyListExecute(MainForm, list, 0); });
                   }},
        WindowCase{"TPROGADDRESS", false, [] { CloseProgressWindow(CreateProgressWindow()); }},
        WindowCase{"TINPUTFORM", false,
                   [] {
                       QString value;
                       closingTheModal([&] { InputFormExecute("Password", "Password:", value, 20, true); });
                   }},
        WindowCase{"TATTACHMENTFORM", true, [] { closingTheModal([] { AttachmentExecute(); }); }},
        WindowCase{"T_SCHEDULE", true, [] { closingTheModal([] { ScheduleDialogExecute(); }); }},
        WindowCase{"T_LOGS", true,
                   [] {
                       writeFileBytes(testHome() + "send.log", "");
                       closingTheModal([] { ShowLog(testHome() + "send.log", "Ok", "No"); });
                   }},
        WindowCase{"TNEWMOD2MESSAGEFORM", true, [] { OpenProject(testHome() + "Mailing.eml", true); }},
        WindowCase{"T_POSTSRV", true,
                   [] {
                       StringGrid list;
                       fillAddressList(list);
                       T_PostSrv window(&list, {"email"});
                   }}),
    [](const auto& info) { return std::string(info.param.section); });

}  // namespace
