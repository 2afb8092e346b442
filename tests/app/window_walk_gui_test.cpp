// Every window of the program, shown on the screens users have (1280x1024 at 96 and 120 DPI, the common laptop's
// 1366x768 at 96, 120 and 144 DPI, and that laptop once with a dark desktop palette), must fit the desktop, show
// all its widgets inside their parents and every label's text whole (tests/app/layout_faults.h), name every
// field for screen readers (tests/app/access_faults.h) and show its texts readably (tests/app/contrast_faults.h).
// Each screen runs in a child process of this test binary on an offscreen screen configured by a platform config
// file; the child walks the windows and takes a screenshot of each: <folder of this test binary>/screenshots/
// <screen>/<window>.png, or $SORVANTA_SCREENSHOTS/<screen>/ when that is set (<screen> as "1366x768_120dpi_dark").

#include "core/base/tool_commands.h"
#include "core/dialogs/about_form.h"
#include "core/dialogs/input_form.h"
#include "core/dialogs/progress_window.h"
#include "core/editor/message_form.h"
#include "core/editor/picture_open_dialog.h"
#include "core/editor/tables_dialog.h"
#include "core/frame/main_form.h"
#include "core/logs/log_viewer.h"
#include "core/preferences/preferences_form.h"
#include "core/project/attachments.h"
#include "core/project/project_attachments.h"
#include "core/project/project_files.h"
#include "core/schedule/schedule_dialog.h"
#include "core/sending/post_srv.h"
#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/verify/verify_form.h"
#include "lists/db_maker_window.h"
#include "lists/delete_from_list_dialog.h"
#include "lists/filter_window.h"
#include "lists/import_wizard.h"
#include "lists/list_editor_window.h"
#include "lists/quarvel_import.h"
#include "lists/remove_duplicates_window.h"
#include "lists/replace_window.h"
#include "lists/save_results_dialog.h"
#include "platform/string_grid.h"
#include "tests/app/window_faults.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/dark_palette.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/web_engine_env.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QProcess>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace {

using sorvanta::test::desktopRoom;
using sorvanta::test::framesNeverShown;
using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::shownWindowFaults;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

// Set for the child that walks: the screen's DPI, its name for the screenshots, and "dark" for the dark palette.
constexpr const char* dpiVariable = "SORVANTA_WALK_DPI";
constexpr const char* screenVariable = "SORVANTA_WALK_SCREEN";
constexpr const char* paletteVariable = "SORVANTA_WALK_PALETTE";

const bool engineReady = (sorvanta::test::prepareWebEngineForTests(), true);   // the project editor's HTML page

QString screenshotFolder()
{
    const QString base = qEnvironmentVariableIsSet("SORVANTA_SCREENSHOTS")
                             ? qEnvironmentVariable("SORVANTA_SCREENSHOTS")
                             : QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    const QString folder = base + QLatin1Char('/') + qEnvironmentVariable(screenVariable) + QLatin1Char('/');
    QDir().mkpath(folder);
    return folder;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// The pages a window shows one at a time: every tab and every step of a stacked window.
QList<QStackedWidget*> pagedParts(QWidget* window)
{
    QList<QStackedWidget*> parts;
    for (QStackedWidget* stack : window->findChildren<QStackedWidget*>())
        if (stack->count() > 1)
            parts << stack;
    return parts;
}

// The window's faults with each page of each paged part shown in turn (one part at a time).
QStringList faultsOnEveryPage(QWidget* window)
{
    QStringList faults = shownWindowFaults(window);
    for (QStackedWidget* stack : pagedParts(window)) {
        auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget());
        const int shown = stack->currentIndex();
        for (int page = 0; page < stack->count(); ++page) {
            if (page == shown)
                continue;
            tabs ? tabs->setCurrentIndex(page) : stack->setCurrentIndex(page);
            settle();
            faults << shownWindowFaults(window);
        }
        tabs ? tabs->setCurrentIndex(shown) : stack->setCurrentIndex(shown);
    }
    faults.removeDuplicates();
    return faults;
}

// A main window as maximising gives it on a desktop: the room the panel and its title bar leave.
void showAsMaximised(QWidget* window)
{
    window->setGeometry(QRect(QPoint(0, 0), desktopRoom(window->screen())));
    window->show();
}

// Runs the walk on this process's screen; only a child started by WindowWalk runs it.
class WindowWalkAtOneDpi : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet(dpiVariable))
            GTEST_SKIP() << "run by WindowWalk.EveryWindowFits in a child process";
        dpi = qEnvironmentVariableIntValue(dpiVariable);
        screen = qEnvironmentVariable(screenVariable);
        QApplication::setPalette(qEnvironmentVariable(paletteVariable) == QLatin1String("dark")
                                     ? sorvanta::test::darkDesktopPalette()
                                     : QApplication::style()->standardPalette());
        DefaultIniInfo = DefaultIniInfoValues();
        DefaultIniInfo.PathPro = testHome();
        ProjectIniInfo = DefaultIniInfoValues();
        ProjectIniInfo.PathPro = testHome();
        ProjectIniInfo.ProjectName = QStringLiteral("Mailing");
        ProjectIniInfo.Column = 1;
        Accounts.Clear();
        auto account = std::make_unique<tAccountObj>();
        account->Name = QStringLiteral("Sender");
        account->ReturnAddress = QStringLiteral("sender@origin.test");
        account->MailDomain = QStringLiteral("mail.origin.test");
        account->SMTPServer = QStringLiteral("smtp.origin.test");
        Accounts.Add(std::move(account));
        list.setColumnCount(3);
        list.setRowCount(4);
        list.setRowCells(0, {"name", "email", "city"});
        list.setRowCells(1, {"Ann Lee", "ann@example.test", "Springfield"});
        list.setRowCells(2, {"Bob Ray", "bob@example.test", "Shelbyville"});
        list.setRowCells(3, {"Cy Dee", "no address", "Ogdenville"});   // verification marks it "No" at once
    }

    void TearDown() override
    {
        ProjectIniInfo = TIniInfo();
        ProjectAttachments.clear();
    }

    QString writeProject() const
    {
        const QString path = testHome() + "Mailing.eml";
        writeFileBytes(path, "[Common]\r\nSubject=News for [Column#1]\r\nColumn=2\r\n");
        writeFileBytes(testHome() + "Mailing.txt",
                       "Ann Lee;ann@example.test;Springfield\r\nBob Ray;bob@example.test;Shelbyville\r\n");
        writeFileBytes(testHome() + "Mailing.mml", "Dear [Column#1],\r\nour news.\r\n");
        return path;
    }

    // Checks the shown window on every page and keeps a screenshot of it, or of shot when given (an MDI child
    // that the offscreen platform leaves under the editor).
    void check(QWidget* window, const QString& name, QWidget* shot = nullptr)
    {
        settle();
        ASSERT_TRUE(window->isVisible()) << name.toStdString();
        const QStringList faults = faultsOnEveryPage(window);
        EXPECT_TRUE(faults.isEmpty()) << name.toStdString() << " on " << screen.toStdString() << ":\n  "
                                      << faults.join(QStringLiteral("\n  ")).toStdString();
        EXPECT_TRUE((shot ? shot : window)->grab().save(screenshotFolder() + name + QStringLiteral(".png")));
    }

    void checkDialog(std::unique_ptr<QWidget> window, const QString& name)
    {
        window->show();
        check(window.get(), name);
        window->close();
    }

    int dpi = 96;
    QString screen;
    StringGrid list{3, 3};
    MessageBoxRecorder boxes{IDNO};
};

TEST_F(WindowWalkAtOneDpi, MainWindowAndItsChildren)
{
    ASSERT_EQ(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()), dpi);
    auto form = std::make_unique<TMainForm>();
    showAsMaximised(form.get());
    QApplication::setActiveWindow(form.get());   // the MDI area maximises a new child like the active one
    check(form.get(), "main_window");

    ASSERT_EQ(OpenProject(writeProject(), false), OpenProjectOutcome::Opened);
    QApplication::setActiveWindow(form.get());   // the list's progress window took the activation
    check(form.get(), "main_window_project_editor");

    T_PostSrv* sending = ShowSendWindow(&list, {"name", "email", "city"});
    ASSERT_NE(sending, nullptr);
    auto* sendingFrame = qobject_cast<QMdiSubWindow*>(sending->parentWidget());
    ASSERT_NE(sendingFrame, nullptr);
    check(form.get(), "main_window_sending_opened");
    sendingFrame->showMaximized();   // as the user sees it when it takes the editor's place
    check(form.get(), "main_window_sending", sendingFrame);

    const QString log = testHome() + "send.log";
    writeFileBytes(log, "10.12.2026 12:00:00\tann@example.test\tOk\t250 2.0.0 queued as 4F2A1\r\n"
                        "10.12.2026 12:00:01\tbob@example.test\tNo\t550 5.1.1 no such user\r\n");
    checkDialog(std::make_unique<T_logs>(log, "Ok", "No", form.get()), "log_viewer");
    auto verification = std::make_unique<TVerifyForm>(list, 1, form.get());
    verification->Opening();   // the rows, the one without "@" marked "No" at once
    checkDialog(std::move(verification), "verification");

    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The HTML page, and the frames screen readers list while it is shown: its engine draws through a window of
// its own that never appears on the screen.
TEST_F(WindowWalkAtOneDpi, HtmlPage)
{
    auto form = std::make_unique<TMainForm>();
    showAsMaximised(form.get());
    QApplication::setActiveWindow(form.get());
    const QString project = testHome() + "Page.eml";
    writeFileBytes(project, "[Common]\r\nSubject=News\r\nHTML=1\r\n");
    writeFileBytes(testHome() + "Page.htm", "<html><body><p>Dear [Column#1],</p><p>our news.</p></body></html>");
    ASSERT_EQ(OpenProject(project, false), OpenProjectOutcome::Opened);
    QApplication::setActiveWindow(form.get());
    check(form.get(), "main_window_html_page");
    const QStringList hidden = framesNeverShown();
    EXPECT_TRUE(hidden.isEmpty()) << "listed to screen readers, never shown: "
                                  << hidden.join(QStringLiteral(", ")).toStdString();

    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(WindowWalkAtOneDpi, Dialogs)
{
    const TMainForm program;   // what the program sets up for every window before any dialog opens
    checkDialog(std::make_unique<TFPref>(SettingsScope::Default), "preferences");
    checkDialog(std::make_unique<TFPref>(SettingsScope::Project), "preferences_project");
    checkDialog(std::make_unique<T_Schedule>(), "schedule");
    checkDialog(std::make_unique<TAttachmentForm>(), "attachments");
    auto input = std::make_unique<TInputForm>();
    input->setWindowTitle(QStringLiteral("Create Directory"));
    input->Prompt->setText(QStringLiteral("New directory name:"));
    checkDialog(std::move(input), "input_form");
    checkDialog(std::make_unique<TAboutForm>(), "about");
    checkDialog(std::make_unique<T_Tables>(testHome() + "Mailing"), "tables");
    checkDialog(std::make_unique<PictureOpenDialog>(nullptr, testHome()), "picture_dialog");

    TProgAddress* progress = CreateProgressWindow();
    check(progress, "progress_window");
    CloseProgressWindow(progress);
}

TEST_F(WindowWalkAtOneDpi, ListTools)
{
    const TMainForm program;   // what the program sets up for every window before any tool opens
    const QString listFile = testHome() + "Mailing.txt";
    writeProject();
    checkDialog(std::make_unique<T_EditAB>(list, listFile, ";"), "list_editor");
    checkDialog(std::make_unique<T_Replace>(list), "find_replace");
    checkDialog(std::make_unique<TfUni>(list), "remove_duplicates");
    checkDialog(std::make_unique<TFilterForm1>(list), "keyword_filter");
    checkDialog(std::make_unique<T_SaveForm>(), "save_results");
    checkDialog(std::make_unique<T_DeleteForm>(), "delete_from_list");
    checkDialog(std::make_unique<T_Quarvel>(), "address_book_import");
    checkDialog(std::make_unique<T_ImpVznLoad>(list, QStringLiteral(";")), "import_wizard");
    // Its previews with a file's lines in them, on the step that shows them.
    auto wizard = std::make_unique<T_ImpVznLoad>(list, QStringLiteral(";"));
    wizard->show();
    wizard->eFile->setText(listFile);
    wizard->bbNext->click();
    check(wizard.get(), "import_wizard_preview");
    wizard->close();
    checkDialog(std::make_unique<TfFas>(), "db_maker");
}

// A screen of the walk: its size, its DPI (the font DPI, no scaling) and the desktop's palette.
struct WalkScreen {
    int width;
    int height;
    int dpi;
    bool dark;

    QString name() const
    {
        return QStringLiteral("%1x%2_%3dpi%4").arg(width).arg(height).arg(dpi).arg(dark ? "_dark" : "");
    }
};

// The offscreen platform's config file for screen.
QString writeScreenConfig(const QTemporaryDir& folder, const WalkScreen& screen)
{
    const QString path = folder.filePath(screen.name() + QStringLiteral(".json"));
    writeFileBytes(path, QStringLiteral("{\"screens\": [{\"name\": \"walk\", \"x\": 0, \"y\": 0, \"width\": %1, "
                                        "\"height\": %2, \"logicalDpi\": %3, \"logicalBaseDpi\": %3, "
                                        "\"dpr\": 1.0}]}")
                             .arg(screen.width)
                             .arg(screen.height)
                             .arg(screen.dpi)
                             .toUtf8());
    return path;
}

class WindowWalk : public ::testing::TestWithParam<WalkScreen> {};

TEST_P(WindowWalk, EveryWindowFits)
{
    const WalkScreen& screen = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                       QStringLiteral("offscreen:configfile=") + writeScreenConfig(folder, screen));
    environment.insert(QLatin1String(dpiVariable), QString::number(screen.dpi));
    environment.insert(QLatin1String(screenVariable), screen.name());
    environment.insert(QLatin1String(paletteVariable), screen.dark ? QStringLiteral("dark") : QStringLiteral("light"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=WindowWalkAtOneDpi.*")});
    ASSERT_TRUE(child.waitForFinished(240000)) << "the walk on " << screen.name().toStdString() << " did not end";
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QLatin1String("[  PASSED  ]"))) << output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Screens, WindowWalk,
                         ::testing::Values(WalkScreen{1280, 1024, 96, false}, WalkScreen{1280, 1024, 120, false},
                                           WalkScreen{1366, 768, 96, false}, WalkScreen{1366, 768, 120, false},
                                           WalkScreen{1366, 768, 144, false}, WalkScreen{1366, 768, 120, true}),
                         [](const auto& info) { return info.param.name().toStdString(); });

}  // namespace
