// The main window's wiring: reopen list and "setupprj.ini", menu states by the active child, commands and
// user messages routed to the project editor, the close query, and the About box.

#include "core/dialogs/about_form.h"
#include "core/frame/main_form.h"
#include "core/base/user_messages.h"
#include "core/project/project_files.h"
#include "core/settings/ini_info.h"
#include "platform/widgets/string_grid_view.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>
#include <tuple>

namespace {

// Stand-ins for the project editor and the sending window, known to the main window by these class names
// (kept in this file's namespace, apart from the real editor). They record the messages they get; a refusing
// one answers its close query with No.
class RecordingChild : public QWidget {
    Q_OBJECT
public:
    using Message = std::tuple<int, qintptr, qintptr>;
    QList<Message> messages;
    bool refuseClose = false;

protected:
    bool event(QEvent* event) override
    {
        if (WindowMessage* message = WindowMessage::from(event)) {
            messages << Message{message->msg, message->wParam, message->lParam};
            return true;
        }
        return QWidget::event(event);
    }
    void closeEvent(QCloseEvent* event) override { event->setAccepted(!refuseClose); }
};

class TNewMod2MessageForm : public RecordingChild {
    Q_OBJECT
};

class T_PostSrv : public RecordingChild {
    Q_OBJECT
};

using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::onNextModal;
using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

class MainFormTest : public ::testing::Test {
protected:
    void createForm(const CommandLineRequest& commandLine = {})
    {
        form = std::make_unique<TMainForm>(commandLine);
        form->show();
        QCoreApplication::processEvents();
    }

    template <class Child>
    Child* addChild()
    {
        auto* child = new Child;
        QMdiSubWindow* sub = form->mdiArea()->addSubWindow(child);
        sub->show();
        form->mdiArea()->setActiveSubWindow(sub);
        QCoreApplication::processEvents();
        WindowMessage::send(form.get(), WM_UPDATEMENUS);
        return child;
    }

    void activate(QWidget* child)
    {
        form->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(child->parentWidget()));
        WindowMessage::send(form.get(), WM_UPDATEMENUS);
    }

    QAction* action(const char* name) const
    {
        auto* found = form->findChild<QAction*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QToolButton* button(const char* name) const
    {
        auto* found = form->findChild<QToolButton*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QMenu* reopenMenu() const { return form->findChild<QMenu*>(QStringLiteral("Reopen1")); }

    QStringList reopenCaptions() const
    {
        QStringList captions;
        for (const QAction* item : reopenMenu()->actions())
            captions << item->data().toString();
        return captions;
    }

    MessageBoxRecorder boxes{IDNO};
    std::unique_ptr<TMainForm> form;
};

TEST_F(MainFormTest, HasItsComponentsAndStartsWithNothingToWorkOn)
{
    createForm();
    EXPECT_EQ(MainForm, form.get());
    EXPECT_EQ(form->windowTitle(), "Sorvanta");
    for (const char* name : {"NewMessagesimple1", "OpenMailMergeProject1", "miSave", "miSaveAs", "miClose",
                             "OpenAttachment1", "Exit1", "miImporthtml", "miEdit", "miFilter", "miImport",
                             "miImportTL", "miVerify", "miPrOptions", "Preferences1", "miEnglish"})
        action(name);
    for (const char* name : {"sbSave", "sbSaveAs", "sbPrOptions"})
        EXPECT_FALSE(button(name)->isEnabled()) << name;
    for (const char* name : {"miSave", "miSaveAs", "miClose", "miPrOptions", "miVerify", "miImporthtml", "Cut1"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    EXPECT_FALSE(reopenMenu()->menuAction()->isEnabled());
    EXPECT_EQ(form->openFileName(), testHome());
    // Its attachment manager made the counter file on first start.
    ASSERT_NE(form->findChild<QObject*>(QStringLiteral("AttachmentManager")), nullptr);
    EXPECT_EQ(QFile(testHome() + "attach.idx").size(), 928);
}

TEST_F(MainFormTest, FirstShowingWithoutCommandLineDisablesCutCopyPasteAndUndo)
{
    form = std::make_unique<TMainForm>();
    form->show();   // the posted edit state has not run yet
    for (const char* name : {"Cut1", "Copy1", "Paste1", "Undo1"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    EXPECT_TRUE(action("Delete1")->isEnabled());
    EXPECT_TRUE(action("Redo1")->isEnabled());
}

TEST_F(MainFormTest, ReadsTheFirstTenLinesOfSetupprjWithLineZeroOnTop)
{
    QByteArray lines;
    QStringList expected;
    for (int i = 0; i < 12; ++i) {
        lines += QStringLiteral("/Projects/P%1.eml\r\n").arg(i).toUtf8();
        if (i < 10)
            expected << QStringLiteral("/Projects/P%1.eml").arg(i);
    }
    writeFileBytes(testHome() + "setupprj.ini", lines);
    createForm();
    EXPECT_EQ(reopenCaptions(), expected);
    EXPECT_TRUE(reopenMenu()->menuAction()->isEnabled());
}

TEST_F(MainFormTest, ReopenCaptionShowsAnAmpersandAsItIs)
{
    writeFileBytes(testHome() + "setupprj.ini", "/a/Tom & Jerry.eml\r\n");
    createForm();
    EXPECT_EQ(reopenMenu()->actions().at(0)->text(), "/a/Tom && Jerry.eml");
}

TEST_F(MainFormTest, MenuStateFollowsTheActiveChild)
{
    createForm();
    auto* editor = addChild<TNewMod2MessageForm>();
    EXPECT_TRUE(action("miSave")->isEnabled());
    EXPECT_TRUE(button("sbSave")->isEnabled());
    EXPECT_TRUE(action("miVerify")->isEnabled());
    EXPECT_FALSE(action("miImporthtml")->isEnabled());

    addChild<T_PostSrv>();
    EXPECT_TRUE(action("miSave")->isEnabled());
    EXPECT_TRUE(action("miPrOptions")->isEnabled());
    EXPECT_TRUE(button("sbPrOptions")->isEnabled());
    EXPECT_FALSE(button("sbSave")->isEnabled());
    EXPECT_FALSE(action("miVerify")->isEnabled());

    activate(editor);
    EXPECT_TRUE(button("sbSaveAs")->isEnabled());
}

TEST_F(MainFormTest, SaveIsSentToTheActiveEditorOnly)
{
    createForm();
    auto* editor = addChild<TNewMod2MessageForm>();
    auto* sending = addChild<T_PostSrv>();
    action("miSave")->trigger();   // enabled while the sending window is active, but does nothing there
    EXPECT_TRUE(editor->messages.isEmpty());
    EXPECT_TRUE(sending->messages.isEmpty());

    activate(editor);
    action("miSaveAs")->trigger();
    button("sbSave")->click();
    ASSERT_EQ(editor->messages.size(), 2);
    EXPECT_EQ(editor->messages[0], RecordingChild::Message(WM_SAVEPROJECT, 1, 0));
    EXPECT_EQ(editor->messages[1], RecordingChild::Message(WM_SAVEPROJECT, 0, 0));
}

TEST_F(MainFormTest, EditToolAndListMessagesArePostedToTheEditor)
{
    createForm();
    auto* editor = addChild<TNewMod2MessageForm>();
    WindowMessage::send(form.get(), WM_EDITSTATE, 63);
    action("Paste1")->trigger();
    action("miVerify")->trigger();
    action("miImportTL")->trigger();
    WindowMessage::send(form.get(), WM_TOOLCOMMAND, 3, 1);
    action("miImporthtml")->trigger();
    WindowMessage::send(form.get(), WM_LISTCHANGED);
    EXPECT_TRUE(editor->messages.isEmpty());   // all posted on
    QCoreApplication::processEvents();
    const QList<RecordingChild::Message> expected = {
        {WM_EDITCOMMAND, 4, 0}, {WM_TOOLCOMMAND, 0, 4}, {WM_TOOLCOMMAND, 0, 0},
        {WM_TOOLCOMMAND, 0, 7}, {WM_LISTCHANGED, 0, 0}};
    EXPECT_EQ(editor->messages, expected);
}

TEST_F(MainFormTest, RefreshSendGoesToTheSendingWindow)
{
    createForm();
    auto* editor = addChild<TNewMod2MessageForm>();
    auto* sending = addChild<T_PostSrv>();
    WindowMessage::send(form.get(), WM_REFRESHSEND);
    QCoreApplication::processEvents();
    EXPECT_TRUE(editor->messages.isEmpty());
    EXPECT_EQ(sending->messages, QList<RecordingChild::Message>({{WM_REFRESHSEND, 0, 0}}));
}

TEST_F(MainFormTest, CommandsWithoutAnEditorDoNothing)
{
    createForm();
    action("miSave")->trigger();
    action("miClose")->trigger();
    action("miVerify")->trigger();
    action("Cut1")->trigger();
    WindowMessage::send(form.get(), WM_LISTCHANGED);
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MainFormTest, EditStateEnablesEachItemByItsBit)
{
    createForm();
    WindowMessage::send(form.get(), WM_EDITSTATE, 1 | 4 | 32);
    EXPECT_TRUE(action("Cut1")->isEnabled());
    EXPECT_FALSE(action("Copy1")->isEnabled());
    EXPECT_TRUE(action("Paste1")->isEnabled());
    EXPECT_FALSE(action("Delete1")->isEnabled());
    EXPECT_FALSE(action("Undo1")->isEnabled());
    EXPECT_TRUE(action("Redo1")->isEnabled());
}

TEST_F(MainFormTest, MenuItemsCarryTheDesktopKeysWhereNoOtherIsNamed)
{
    createForm();
    using K = QKeySequence;
    const struct {
        const char* item;
        QList<QKeySequence> keys;
    } cases[] = {
        {"NewMessagesimple1", K::keyBindings(K::New)},
        {"OpenMailMergeProject1", K::keyBindings(K::Open)},
        {"miSave", K::keyBindings(K::Save)},
        {"miSaveAs", K::keyBindings(K::SaveAs)},
        {"Help1", K::keyBindings(K::HelpContents)},
        {"Delete1", K::keyBindings(K::Delete)},
        {"Redo1", K::keyBindings(K::Redo)},
        // The keys named for the program stay as they are.
        {"Exit1", {K("Ctrl+Q")}},
        {"OpenAttachment1", {K("Ctrl+A")}},
        {"Cut1", {K("Ctrl+X")}},
        {"Copy1", {K("Ctrl+C")}},
        {"Paste1", {K("Ctrl+V")}},
        {"Undo1", {K("Ctrl+Z")}},
        {"Findagain1", {K(Qt::Key_F3)}},
        {"Next1", {K(Qt::Key_F6)}},
        {"Previous1", {K(Qt::SHIFT | Qt::Key_F6)}},
        // No desktop key for these.
        {"miClose", {}},
        {"About2", {}},
        {"miVerify", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(action(c.item)->shortcuts(), c.keys) << c.item;
    for (K::StandardKey key : {K::New, K::Open, K::Save, K::Delete})
        EXPECT_FALSE(K::keyBindings(key).isEmpty()) << "the platform binds standard key " << key;

    QHash<QKeySequence, QString> owners;   // no two items answer one key
    for (const QAction* item : form->findChildren<QAction*>()) {
        for (const QKeySequence& key : item->shortcuts()) {
            EXPECT_FALSE(owners.contains(key)) << key.toString().toStdString() << ": "
                                               << item->objectName().toStdString() << " and "
                                               << owners.value(key).toStdString();
            owners.insert(key, item->objectName());
        }
    }
}

// A child window with a line edit and an editable grid, as the project editor has.
class FieldsChild : public QWidget {
public:
    FieldsChild() : line(new QLineEdit("hello world", this)), view(new StringGridView(this)), grid(2, 3)
    {
        grid.setRowCells(0, {"email", "name"});
        view->setEditing(true);
        view->setGrid(&grid);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(line);
        layout->addWidget(view);
    }
    ~FieldsChild() override { view->setGrid(nullptr); }
    QLineEdit* line;
    StringGridView* view;
    StringGrid grid;
};

TEST_F(MainFormTest, EditCommandsActOnTheFocusedField)
{
    createForm();
    form->activateWindow();
    auto* child = addChild<FieldsChild>();
    QMenu* editMenu = form->findChild<QMenu*>(QStringLiteral("Edit1"));
    const auto focus = [&](QWidget* widget) {
        widget->setFocus();
        QCoreApplication::processEvents();
        emit editMenu->aboutToShow();
    };

    child->line->setSelection(0, 5);
    focus(child->line);
    ASSERT_EQ(QApplication::focusWidget(), child->line);
    EXPECT_TRUE(action("Cut1")->isEnabled());
    EXPECT_FALSE(action("Undo1")->isEnabled());
    action("Cut1")->trigger();
    EXPECT_EQ(child->line->text(), " world");
    EXPECT_EQ(QApplication::clipboard()->text(), "hello");
    EXPECT_TRUE(action("Undo1")->isEnabled());

    child->view->setCurrentCell(1, 1);
    focus(child->view);
    EXPECT_FALSE(action("Paste1")->isEnabled());   // the grid itself is no text field
    child->view->edit(child->view->currentIndex());
    QCoreApplication::processEvents();
    auto* cellEditor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(cellEditor, nullptr);
    ASSERT_TRUE(child->view->isAncestorOf(cellEditor));
    emit editMenu->aboutToShow();
    ASSERT_TRUE(action("Paste1")->isEnabled());
    action("Paste1")->trigger();
    EXPECT_EQ(cellEditor->text(), "hello");
    EXPECT_EQ(child->line->text(), " world");   // the line edit is left alone
}

TEST_F(MainFormTest, ToolCommandRequests)
{
    createForm();
    const QString path = "/Projects/Mixed Case.eml";
    WindowMessage::send(form.get(), WM_TOOLCOMMAND, 1, reinterpret_cast<qintptr>(&path));
    EXPECT_EQ(reopenCaptions(), QStringList({path}));
    EXPECT_TRUE(reopenMenu()->menuAction()->isEnabled());

    WindowMessage::send(form.get(), WM_TOOLCOMMAND, 3, 1);
    EXPECT_TRUE(action("miImporthtml")->isEnabled());
    WindowMessage::send(form.get(), WM_TOOLCOMMAND, 3, 0);
    EXPECT_FALSE(action("miImporthtml")->isEnabled());

}

TEST_F(MainFormTest, AnEditorThatCannotBeMadeAsksForARelaunch)
{
    createForm();
    ProjectEditorHooks failing;
    failing.isOpen = [] { return false; };
    failing.create = [](bool) { return false; };
    failing.fillFromProject = [](bool) {};
    SetProjectEditorHooks(failing);
    form->NewMessagesimple1Click();
    SetProjectEditorHooks({});
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Relaunch program, use main menu \"Edit/HTML Class Registration\" !");
    EXPECT_EQ(boxes.boxes[0].caption, "Attention");
    EXPECT_EQ(boxes.boxes[0].flags & 0xF0, MB_ICONINFORMATION);
}

TEST_F(MainFormTest, ReopeningAMissingFileSaysSoAndChangesNothing)
{
    writeFileBytes(testHome() + "setupprj.ini", "/gone/one.eml\r\n/gone/two.eml\r\n");
    createForm();
    reopenMenu()->actions().at(1)->trigger();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "File not found : /gone/two.eml");
    EXPECT_EQ(boxes.boxes[0].caption, "Attention");
    EXPECT_EQ(boxes.boxes[0].flags, MB_OK | MB_ICONQUESTION);
    EXPECT_EQ(reopenCaptions(), QStringList({"/gone/one.eml", "/gone/two.eml"}));
}

TEST_F(MainFormTest, ReopeningAnExistingFileMovesItToTheTop)
{
    const QString existing = testHome() + "Project.eml";
    writeFileBytes(existing, "");
    writeFileBytes(testHome() + "setupprj.ini", ("/gone/one.eml\r\n" + existing + "\r\n").toUtf8());
    createForm();
    reopenMenu()->actions().at(1)->trigger();
    EXPECT_EQ(reopenCaptions(), QStringList({existing, "/gone/one.eml"}));
    EXPECT_EQ(form->openFileName(), existing);
}

// The projects' folder, not the program's, is where Open starts; the program folder when it is not made yet.
TEST_F(MainFormTest, OpenStartsInTheProjectsFolder)
{
    const TIniInfo saved = DefaultIniInfo;
    DefaultIniInfo.PathPro = testHome() + "projects";
    QDir().mkpath(DefaultIniInfo.PathPro);
    createForm();
    QString folder;
    onNextModal([&](QWidget* modal) {
        folder = qobject_cast<QFileDialog*>(modal)->directory().absolutePath();
        static_cast<QDialog*>(modal)->reject();
    });
    action("OpenMailMergeProject1")->trigger();
    EXPECT_EQ(folder, testHome() + "projects");

    form.reset();
    DefaultIniInfo.PathPro = testHome() + "not made yet/";
    createForm();
    onNextModal([&](QWidget* modal) {
        folder = qobject_cast<QFileDialog*>(modal)->directory().absolutePath() + "/";
        static_cast<QDialog*>(modal)->reject();
    });
    action("OpenMailMergeProject1")->trigger();
    EXPECT_EQ(folder, testHome());
    DefaultIniInfo = saved;
}

TEST_F(MainFormTest, OpenStartsInTheLastFolderAndAddsTheChoiceToTheReopenList)
{
    const QString project = testHome() + "Chosen.eml";
    writeFileBytes(project, "");
    createForm();
    QString title, folder;
    onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        folder = dialog->directory().absolutePath() + "/";
        // The file-name edit has the focus, so selectFile() would leave it alone.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("Chosen.eml");
        static_cast<QDialog*>(dialog)->accept();
    });
    action("OpenMailMergeProject1")->trigger();
    EXPECT_EQ(title, "Open Project");
    EXPECT_EQ(folder, testHome());
    EXPECT_EQ(reopenCaptions(), QStringList({project}));
    EXPECT_EQ(form->openFileName(), project);
}

TEST_F(MainFormTest, NewTakesTheFolderOfTheLastFileName)
{
    createForm();
    action("NewMessagesimple1")->trigger();
    EXPECT_EQ(form->openFileName(), testHome() + "*.eml");
}

TEST_F(MainFormTest, CloseProjectClosesTheSendingWindowsAndTheEditor)
{
    createForm();
    addChild<T_PostSrv>();
    auto* editor = addChild<TNewMod2MessageForm>();
    addChild<QLabel>();
    activate(editor);
    action("miClose")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QList<QMdiSubWindow*> left = form->mdiArea()->subWindowList();
    ASSERT_EQ(left.size(), 1);
    EXPECT_TRUE(qobject_cast<QLabel*>(left[0]->widget()));
}

TEST_F(MainFormTest, HelpWithoutTheHelpFileSaysItIsMissing)
{
    createForm();
    action("Help1")->trigger();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "File not found : " + testHome() + "merge.hlp");
}

TEST_F(MainFormTest, CloseQueryNoKeepsTheWindowAndWritesNothing)
{
    writeFileBytes(testHome() + "setupprj.ini", "/a.eml\r\n");
    createForm();
    const QString added = "/b.eml";
    WindowMessage::send(form.get(), WM_TOOLCOMMAND, 1, reinterpret_cast<qintptr>(&added));
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Do you want to quit the program?");
    EXPECT_EQ(boxes.boxes[0].caption, "Attention");
    EXPECT_EQ(boxes.boxes[0].flags, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL);
    EXPECT_EQ(readFileBytes(testHome() + "setupprj.ini"), "/a.eml\r\n");
}

TEST_F(MainFormTest, CloseQueryYesWritesTheReopenListTopFirst)
{
    writeFileBytes(testHome() + "setupprj.ini", "/a.eml\r\n");
    createForm();
    const QString added = "/B.eml";
    WindowMessage::send(form.get(), WM_TOOLCOMMAND, 1, reinterpret_cast<qintptr>(&added));
    boxes.answerWith(IDYES);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(readFileBytes(testHome() + "setupprj.ini"), "/B.eml\r\n/a.eml\r\n");
}

TEST_F(MainFormTest, AChildThatRefusesToCloseKeepsTheProgramOpenWithoutAsking)
{
    createForm();
    addChild<TNewMod2MessageForm>()->refuseClose = true;
    boxes.answerWith(IDYES);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(QFile::exists(testHome() + "setupprj.ini"));
}

TEST_F(MainFormTest, CommandLineEditorTakesTheFileName)
{
    CommandLineRequest request;
    request.fileName = testHome() + "list.eml";
    request.createEditor = true;
    createForm(request);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->openFileName(), request.fileName);
    EXPECT_EQ(form->commandLine().fileName, request.fileName);
}

TEST(AboutForm, SplashHidesOkAndTheAboutBoxClosesWithIt)
{
    std::unique_ptr<TAboutForm> splash(ShowSplash());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_FALSE(splash->OKButton->isVisible());
    EXPECT_EQ(splash->ProductName->text(), "Sorvanta");
    splash.reset();

    bool okShown = false;
    QString title;
    onNextModal([&](QWidget* modal) {
        auto* about = qobject_cast<TAboutForm*>(modal);
        ASSERT_NE(about, nullptr);
        title = about->windowTitle();
        okShown = about->OKButton->isVisible();
        about->OKButton->click();
    });
    AboutExecute(nullptr);
    EXPECT_EQ(title, "About");
    EXPECT_TRUE(okShown);
}

}  // namespace

#include "main_form_gui_test.moc"
