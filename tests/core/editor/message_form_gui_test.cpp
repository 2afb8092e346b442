// The project editor inside the main window: filling from a project, the tool dispatch by code, the close
// question with OptionsChanged, edit masks and commands, Insert by focus, placeholder drops, the reopen entry
// of saved projects only, sending windows that refuse to close or hold a stale list, the command line and Exit.

#include "core/base/close_query.h"
#include "core/editor/edit_mask.h"
#include "core/settings/ini_info.h"
#include "core/frame/main_form.h"
#include "core/editor/html_editor_page.h"
#include "core/editor/html_view.h"
#include "core/editor/message_form.h"
#include "core/editor/placeholder_drag.h"
#include "core/dialogs/progress_window.h"
#include "core/project/project_attachments.h"
#include "core/project/project_files.h"
#include "core/base/tool_commands.h"
#include "core/base/user_messages.h"
#include "platform/widgets/string_grid_view.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <stdexcept>

namespace {

// A stand-in for the sending window, known to the editor by its class name; it may refuse to close.
class T_PostSrv : public QWidget {
    Q_OBJECT
public:
    bool refuseClose = false;

protected:
    void closeEvent(QCloseEvent* event) override { event->setAccepted(!refuseClose); }
};

using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::onNextModal;
using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::waitUntil;
using sorvanta::test::writeFileBytes;

class MessageFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedDefaults = DefaultIniInfo;
        DefaultIniInfo = DefaultIniInfoValues();
        DefaultIniInfo.PathPro = testHome();
        form = std::make_unique<TMainForm>();
        showActive();
    }
    // Focus moves only inside the active window.
    void showActive()
    {
        form->show();
        QApplication::setActiveWindow(form.get());
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (int code = ToolImportAddressBook; code <= ToolVerifyList; ++code)
            setToolFunction(ToolCode(code), nullptr);
        DefaultIniInfo = savedDefaults;
        ProjectIniInfo = TIniInfo();
        ProjectAttachments.clear();
    }

    // A project "Mailing" in the test home with a three-column list of rows rows.
    QString writeProject(int rows = 3, const QByteArray& common = "Subject=Hello\r\nColumn=1\r\n")
    {
        const QString path = testHome() + "Mailing.eml";
        writeFileBytes(path, "[Common]\r\n" + common);
        QByteArray list;
        for (int i = 0; i < rows; ++i)
            list += "Name " + QByteArray::number(i) + ";user" + QByteArray::number(i) + "@example.com;City\r\n";
        writeFileBytes(testHome() + "Mailing.txt", list);
        writeFileBytes(testHome() + "Mailing.mml", "Dear [Column#1],\r\nline two\r\n");
        return path;
    }

    TNewMod2MessageForm* open(const QString& path, bool isNew = false)
    {
        EXPECT_EQ(OpenProject(path, isNew), OpenProjectOutcome::Opened);
        QApplication::setActiveWindow(form.get());   // the list's progress window took the activation
        QCoreApplication::processEvents();
        return NewMod2MessageForm;
    }

    TNewMod2MessageForm* openProject(int rows = 3) { return open(writeProject(rows)); }

    // Closes the editor as the Close button does; true when it went.
    bool closeEditor(TNewMod2MessageForm* editor)
    {
        QPointer<TNewMod2MessageForm> watched(editor);
        editor->ExplorerButton1->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return watched.isNull();
    }

    template <class Child>
    Child* addChild()
    {
        auto* child = new Child;
        form->mdiArea()->addSubWindow(child)->show();
        return child;
    }

    QStringList reopenList() const { return form->reopenList().paths(); }

    MessageBoxRecorder boxes{IDNO};
    std::unique_ptr<TMainForm> form;
    TIniInfo savedDefaults;
};

TEST_F(MessageFormTest, FillsItsControlsFromTheProject)
{
    TNewMod2MessageForm* editor = openProject(4);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), "Message - Mailing");
    EXPECT_EQ(editor->SubjectEdt->text(), "Hello");
    EXPECT_EQ(editor->SectionSymbol->currentText(), ";");
    EXPECT_EQ(editor->BoxTypeMes->currentText(), "text");
    EXPECT_EQ(editor->listGrid().rowCount(), 5);
    EXPECT_EQ(editor->listGrid().cell(1, 4), "user3@example.com");
    EXPECT_EQ(editor->ComboBox3->count(), 3);
    EXPECT_EQ(editor->ComboBox3->currentIndex(), 1);
    EXPECT_EQ(editor->ComboBox2->currentText(), "Column#2");
    EXPECT_EQ(editor->cbAtt->itemText(0), "None");
    EXPECT_EQ(editor->cbAtt->count(), 4);
    EXPECT_EQ(editor->Memo1->toPlainText(), "Dear [Column#1],\nline two");   // the file's lines
    EXPECT_EQ(editor->lblCount->text(), "4 records");
    EXPECT_FALSE(editor->modified());
    EXPECT_FALSE(editor->IsNew);
    EXPECT_FALSE(editor->pcl->tabBar()->isVisible());
    EXPECT_FALSE(editor->AttachmentsLB->isEnabled());
    EXPECT_EQ(editor->AttachmentsLB->currentIndex(), -1);
    EXPECT_EQ(editor->AttachmentsLB->palette().color(QPalette::Button), QColor(192, 192, 192));
    for (const char* name : {"sbOpenAB", "sbEditAB", "SpeedButton9", "SpeedButton5", "SpeedButton8",
                             "ExplorerButton1", "sg1", "SectionSymbol", "BoxTypeMes", "ComboBox3", "lblCount",
                             "SubjectEdt", "ComboBox2", "SpeedButton7", "pcl", "tsMsg", "tsHtml", "Memo1", "cbAtt",
                             "AttachmentsLB", "SpeedButton4", "cbModi", "msl", "puMemo"})
        EXPECT_NE(editor->findChild<QObject*>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(editor->SpeedButton9->toolTip(), "Filter Mailing List,  Remove Duplicates");
}

TEST_F(MessageFormTest, AttachmentsShowTheirNameAndDescriptionAndSaveTheirPaths)
{
    TNewMod2MessageForm* editor = openProject();
    AttachmentRecord record = attachmentForFile("/files/report.pdf");
    record.description = "the report";
    ProjectAttachments = {record, attachmentForFile("/files/logo.png")};
    WindowMessage::send(editor, WM_ATTACHFILE);
    ASSERT_EQ(editor->AttachmentsLB->count(), 2);
    EXPECT_EQ(editor->AttachmentsLB->itemText(0), "report.pdf (the report)");
    EXPECT_EQ(editor->AttachmentsLB->itemText(1), "logo.png");
    EXPECT_TRUE(editor->AttachmentsLB->isEnabled());
    EXPECT_EQ(editor->AttachmentsLB->currentIndex(), 0);
    ASSERT_TRUE(editor->SaveProject(false));
    const QByteArray saved = readFileBytes(testHome() + "Mailing.eml");
    EXPECT_TRUE(saved.contains("[Attachment]\r\n0=/files/report.pdf\r\n1=/files/logo.png\r\nCount=2\r\n")) << saved.toStdString();
}

// ---- tool dispatch ----

TEST_F(MessageFormTest, ToolButtonsAndMessagesRunTheToolOfTheirCode)
{
    TNewMod2MessageForm* editor = openProject();
    QList<int> ran;
    for (int code = ToolImportAddressBook; code <= ToolVerifyList; ++code)
        setToolFunction(ToolCode(code), [&ran, editor, code](ToolRequest& request) {
            EXPECT_EQ(request.listGrid, &editor->listGrid());
            EXPECT_EQ(request.parent, editor);
            ran << code;
            return false;
        });
    editor->sbOpenAB->click();
    editor->sbEditAB->click();
    editor->SpeedButton9->click();
    editor->SpeedButton5->click();
    WindowMessage::send(editor, WM_TOOLCOMMAND, 0, ToolImportAddressBook);
    EXPECT_EQ(ran, QList<int>({1, 2, 3, 4, 0}));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MessageFormTest, ToolsNotBuiltYetAreAnnouncedAndChangeNothing)
{
    TNewMod2MessageForm* editor = openProject();
    editor->sbOpenAB->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "\"Import list\" is not available yet.");
    EXPECT_FALSE(editor->modified());
}

TEST_F(MessageFormTest, ImportThatChangedTheListRetitlesItAndRefillsTheBoxes)
{
    TNewMod2MessageForm* editor = openProject();
    setToolFunction(ToolImportWizard, [](ToolRequest& request) {
        request.listGrid->setColumnCount(5);
        request.listGrid->setRowCount(3);
        return true;
    });
    editor->sbOpenAB->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(editor->modified());
    EXPECT_EQ(editor->listGrid().cell(4, 0), "Column#5");
    EXPECT_EQ(editor->ComboBox2->count(), 5);
    EXPECT_EQ(editor->cbAtt->count(), 6);
    EXPECT_EQ(editor->lblCount->text(), "2 records");
}

// The address-book import puts the e-mail addresses into column 0: the e-mail column follows them there,
// while an import that wrote nothing, and the other import, keep the column chosen.
TEST_F(MessageFormTest, AddressBookImportMakesTheFirstColumnTheEmailColumn)
{
    TNewMod2MessageForm* editor = openProject(4);
    ASSERT_EQ(editor->ComboBox3->currentIndex(), 1);
    bool wroteRows = false;
    setToolFunction(ToolImportAddressBook, [&wroteRows](ToolRequest& request) {
        if (wroteRows) {
            request.listGrid->setColumnCount(54);
            request.listGrid->setRowCount(3);
        }
        return wroteRows;
    });
    WindowMessage::send(editor, WM_TOOLCOMMAND, 0, ToolImportAddressBook);
    EXPECT_EQ(editor->ComboBox3->currentIndex(), 1);
    EXPECT_EQ(ProjectIniInfo.Column, 1);
    wroteRows = true;
    WindowMessage::send(editor, WM_TOOLCOMMAND, 0, ToolImportAddressBook);
    QCoreApplication::processEvents();
    EXPECT_EQ(ProjectIniInfo.Column, 0);
    EXPECT_EQ(editor->ComboBox3->currentIndex(), 0);
    EXPECT_EQ(editor->ComboBox2->currentIndex(), 0);
    EXPECT_EQ(editor->ComboBox3->count(), 54);
    EXPECT_TRUE(editor->modified());
}

TEST_F(MessageFormTest, ListEditorWriteBackTakesItsDelimiterAndKeepsTheChosenColumns)
{
    TNewMod2MessageForm* editor = openProject();
    QString handedFile;
    setToolFunction(ToolEditList, [&](ToolRequest& request) {
        handedFile = request.listFileName;
        *request.delimiter = "\t";
        request.listGrid->setColumnCount(2);
        return true;
    });
    editor->sbEditAB->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(handedFile, testHome() + "Mailing.txt");
    EXPECT_EQ(ProjectIniInfo.SectionSymbol, "\t");
    EXPECT_EQ(editor->SectionSymbol->currentText(), "Tab");
    EXPECT_EQ(editor->ComboBox3->count(), 2);
    EXPECT_EQ(editor->ComboBox3->currentIndex(), 1);
    EXPECT_EQ(editor->cbAtt->count(), 4);   // the attachment box keeps its items
    EXPECT_TRUE(editor->modified());
}

TEST_F(MessageFormTest, FilterAlwaysMarksTheProjectModified)
{
    TNewMod2MessageForm* editor = openProject();
    setToolFunction(ToolFilterList, [](ToolRequest&) { return false; });
    editor->SpeedButton9->click();
    EXPECT_TRUE(editor->modified());
}

TEST_F(MessageFormTest, AToolThatFailsIsReportedAndItsListCountsAsChanged)
{
    TNewMod2MessageForm* editor = openProject();
    setToolFunction(ToolImportWizard, [](ToolRequest& request) -> bool {
        request.listGrid->setColumnCount(4);
        throw std::runtime_error("table damaged");
    });
    editor->sbOpenAB->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "table damaged");
    EXPECT_TRUE(editor->modified());
    EXPECT_EQ(editor->ComboBox3->count(), 4);
}

TEST_F(MessageFormTest, VerifyGetsTheChosenEmailColumnCleaned)
{
    TNewMod2MessageForm* editor = openProject();
    editor->listGrid().setCell(1, 2, "Ann <ann@example.com>");
    int column = -1;
    QString cell;
    setToolFunction(ToolVerifyList, [&](ToolRequest& request) {
        column = request.emailColumn;
        cell = request.listGrid->cell(1, 2);
        return false;
    });
    editor->SpeedButton5->click();
    EXPECT_EQ(column, 1);
    EXPECT_EQ(cell, "ann@example.com");
}

TEST_F(MessageFormTest, VerifyWithoutAnEmailColumnRefuses)
{
    TNewMod2MessageForm* editor = openProject();
    bool ran = false;
    setToolFunction(ToolVerifyList, [&](ToolRequest&) { return ran = true; });
    editor->ComboBox3->setCurrentIndex(-1);
    editor->SpeedButton5->click();
    EXPECT_FALSE(ran);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Define Email Column");
    EXPECT_EQ(boxes.boxes[0].caption, "Info");
    EXPECT_EQ(boxes.boxes[0].flags, MB_OK | MB_ICONINFORMATION);
}

TEST_F(MessageFormTest, DelimiterChangeReloadsTheList)
{
    TNewMod2MessageForm* editor = openProject();
    const int comma = editor->SectionSymbol->findText(",");
    editor->SectionSymbol->setCurrentIndex(comma);
    emit editor->SectionSymbol->activated(comma);
    EXPECT_EQ(ProjectIniInfo.SectionSymbol, ",");
    EXPECT_EQ(editor->listGrid().columnCount(), 1);
    EXPECT_EQ(editor->ComboBox3->count(), 1);
    EXPECT_TRUE(editor->modified());
}

TEST_F(MessageFormTest, DelimiterSetWithoutAListFileMarksTheProjectModified)
{
    writeProject();
    QFile::remove(testHome() + "Mailing.txt");
    TNewMod2MessageForm* editor = open(testHome() + "Mailing.eml");
    ASSERT_FALSE(editor->modified());
    const int comma = editor->SectionSymbol->findText(",");
    editor->SectionSymbol->setCurrentIndex(comma);
    emit editor->SectionSymbol->activated(comma);
    EXPECT_EQ(ProjectIniInfo.SectionSymbol, ",");
    EXPECT_TRUE(editor->modified());
}

// A list file that cannot be read leaves the grid empty; saving that grid would wipe the list.
TEST_F(MessageFormTest, UnreadableListFileSurvivesASaveUntilAToolChangesTheList)
{
    const QString path = writeProject();
    const QString listFile = testHome() + "Mailing.txt";
    QFile::remove(listFile);
    ASSERT_TRUE(QFile::link("/proc/self/mem", listFile));   // every read fails
    TNewMod2MessageForm* editor = open(path);
    ASSERT_EQ(boxes.boxes.size(), 1u);   // the read error
    boxes.boxes.clear();
    editor->SubjectEdt->setText("Edited");
    EXPECT_TRUE(editor->SaveProject(false));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(QFileInfo(listFile).symLinkTarget(), "/proc/self/mem");
    EXPECT_TRUE(readFileBytes(path).contains("Subject=Edited\r\n"));

    setToolFunction(ToolImportWizard, [](ToolRequest& request) {
        request.listGrid->setCell(0, 1, "new@example.com");
        return true;
    });
    editor->sbOpenAB->click();
    QCoreApplication::processEvents();
    QFile::remove(listFile);   // the link's target takes no writes either
    EXPECT_TRUE(editor->SaveProject(false));
    EXPECT_EQ(readFileBytes(listFile), "new@example.com\r\n");
}

// A load stopped by the user leaves part of the list in the grid; saving keeps the whole file.
TEST_F(MessageFormTest, ListStoppedWhileLoadingSurvivesASave)
{
    const QString path = writeProject(200000);
    const QByteArray listBytes = readFileBytes(testHome() + "Mailing.txt");
    bool stopped = false;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (stopped || !NewMod2MessageForm || !NewMod2MessageForm->listLoading())
            return;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<TProgAddress*>(widget); progress && progress->isVisible()) {
                progress->SpeedButton1->click();
                stopped = true;
            }
    });
    stopper.start(0);
    TNewMod2MessageForm* editor = open(path);
    stopper.stop();
    ASSERT_TRUE(stopped);
    ASSERT_LT(editor->listGrid().rowCount(), 200001);
    editor->SubjectEdt->setText("Edited");
    EXPECT_TRUE(editor->SaveProject(false));
    EXPECT_TRUE(readFileBytes(path).contains("Subject=Edited\r\n"));
    EXPECT_EQ(readFileBytes(testHome() + "Mailing.txt"), listBytes);
}

// A save asked for while the list loads runs once the list is in, so it writes the whole list.
TEST_F(MessageFormTest, SaveAskedForDuringTheListLoadRunsAfterIt)
{
    const QString path = writeProject(200000);
    bool posted = false;
    QTimer poster;
    QObject::connect(&poster, &QTimer::timeout, [&] {
        if (!posted && NewMod2MessageForm && NewMod2MessageForm->listLoading()) {
            WindowMessage::post(NewMod2MessageForm, WM_SAVEPROJECT);
            posted = true;
        }
    });
    poster.start(0);
    TNewMod2MessageForm* editor = open(path);
    poster.stop();
    ASSERT_TRUE(posted);
    EXPECT_TRUE(sorvanta::test::waitUntil([&] { return readFileBytes(path).contains("SectionSymbol="); }));
    EXPECT_EQ(editor->listGrid().rowCount(), 200001);
    EXPECT_EQ(readFileBytes(testHome() + "Mailing.txt").count("\r\n"), 200000);
}

TEST_F(MessageFormTest, SendSavesTheProjectAndOpensTheSendingWindowOnTheList)
{
    TNewMod2MessageForm* editor = openProject();
    editor->SubjectEdt->setText("Changed subject");
    editor->listGrid().setCell(1, 1, "Ann <ann@example.com>");
    editor->SpeedButton8->click();
    EXPECT_FALSE(editor->modified());
    EXPECT_TRUE(readFileBytes(testHome() + "Mailing.eml").contains("Subject=Changed subject\r\n"));
    EXPECT_EQ(editor->listGrid().cell(1, 1), "ann@example.com");
    int sendingWindows = 0;
    for (QMdiSubWindow* sub : form->mdiArea()->subWindowList())
        sendingWindows += isWindowOfClass(sub->widget(), sendingWindowClassName) ? 1 : 0;
    EXPECT_EQ(sendingWindows, 1);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MessageFormTest, SendWhoseSaveIsCancelledOpensNothing)
{
    TNewMod2MessageForm* editor = open(testHome() + "*.eml", true);
    onNextModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    editor->SpeedButton8->click();
    EXPECT_EQ(form->mdiArea()->subWindowList().size(), 1);
}

// ---- close question ----

struct CloseCase {
    const char* name;
    bool edited;
    bool optionsChanged;
    int answer;
    bool asked;
    bool closes;
    bool saved;
};

class EditorCloseTest : public MessageFormTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(EditorCloseTest, AsksWhenModifiedOrOptionsChanged)
{
    const CloseCase& c = GetParam();
    TNewMod2MessageForm* editor = openProject();
    if (c.edited)
        editor->SubjectEdt->setText("Edited");
    ProjectIniInfo.OptionsChanged = c.optionsChanged;
    boxes.answerWith(c.answer);
    EXPECT_EQ(closeEditor(editor), c.closes);
    ASSERT_EQ(boxes.boxes.size(), c.asked ? 1u : 0u);
    if (c.asked) {
        EXPECT_EQ(boxes.boxes[0].text, "Save changes?");
        EXPECT_EQ(boxes.boxes[0].caption, "Confirm");
        EXPECT_EQ(boxes.boxes[0].flags, 35u);
    }
    EXPECT_EQ(readFileBytes(testHome() + "Mailing.eml").contains("Subject=Edited"), c.saved);
    if (c.closes) {
        EXPECT_EQ(NewMod2MessageForm, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, EditorCloseTest,
    ::testing::Values(CloseCase{"unchanged_closes_silently", false, false, IDCANCEL, false, true, false},
                      CloseCase{"options_changed_asks", false, true, IDNO, true, true, false},
                      CloseCase{"options_changed_cancel_keeps", false, true, IDCANCEL, true, false, false},
                      CloseCase{"edited_cancel_keeps", true, false, IDCANCEL, true, false, false},
                      CloseCase{"edited_no_closes_unsaved", true, false, IDNO, true, true, false},
                      CloseCase{"edited_yes_saves_and_closes", true, false, IDYES, true, true, true},
                      CloseCase{"both_yes_saves_and_closes", true, true, IDYES, true, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessageFormTest, NewProjectWhoseSaveDialogIsCancelledStaysOpen)
{
    TNewMod2MessageForm* editor = open(testHome() + "*.eml", true);
    ASSERT_NE(editor, nullptr);
    editor->SubjectEdt->setText("Offer");
    EXPECT_TRUE(editor->modified());
    boxes.answerWith(IDYES);
    onNextModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    EXPECT_FALSE(closeEditor(editor));
    EXPECT_EQ(NewMod2MessageForm, editor);
}

// File > New after a project with an attachment, with options changed in the defaults' preferences and the HTML
// format on: the new editor shows no attachment, is not modified, closes without a question, and a save writes
// no attachment into it.
TEST_F(MessageFormTest, NewProjectStartsEmptyAndClosesWithoutAQuestion)
{
    TNewMod2MessageForm* first =
        open(writeProject(3, "Subject=Prices\r\n[Attachment]\r\n0=/files/Price list.pdf\r\nCount=1\r\n"));
    QCoreApplication::processEvents();
    ASSERT_EQ(first->AttachmentsLB->count(), 1);
    DefaultIniInfo.OptionsChanged = true;
    DefaultIniInfo.Html = true;

    form->findChild<QAction*>(QStringLiteral("NewMessagesimple1"))->trigger();
    QCoreApplication::processEvents();
    TNewMod2MessageForm* editor = NewMod2MessageForm;
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->IsNew);
    EXPECT_EQ(editor->AttachmentsLB->count(), 0);
    EXPECT_FALSE(editor->modified());
    ASSERT_TRUE(waitUntil([&] { return editor->htmlPage->DocumentReady(); }, 2 * HtmlView::LoadTimeoutMs));
    EXPECT_TRUE(closeEditor(editor));
    EXPECT_TRUE(boxes.boxes.empty());

    editor = open(testHome() + "*.eml", true);
    onNextModal([](QWidget* modal) {
        qobject_cast<QFileDialog*>(modal)->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(
            testHome() + "Second");
        static_cast<QDialog*>(modal)->accept();
    });
    ASSERT_TRUE(editor->SaveProject(false));
    EXPECT_FALSE(readFileBytes(testHome() + "Second.eml").contains("Price list"));
}

// The grid of an empty list still has its one blank record row; the count says 0.
TEST_F(MessageFormTest, AnEmptyListCountsNoRecords)
{
    TNewMod2MessageForm* editor = openProject(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->lblCount->text(), "0 records");
    ASSERT_TRUE(closeEditor(editor));

    editor = open(testHome() + "*.eml", true);
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->lblCount->text(), "0 records");
    setToolFunction(ToolImportWizard, [](ToolRequest& request) {
        request.listGrid->setRowCells(1, {"ann@example.test"});
        return true;
    });
    editor->sbOpenAB->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->lblCount->text(), "1 records");
}

struct RecordCountCase {
    const char* name;
    QByteArray list;   // the list file; none when null
    const char* label;
};

class RecordCountTest : public MessageFormTest, public ::testing::WithParamInterface<RecordCountCase> {};

// The label counts the records the list file holds: a record whose fields are all empty is one.
TEST_P(RecordCountTest, LabelCountsTheRecordsRead)
{
    const RecordCountCase& c = GetParam();
    const QString project = writeProject(0);
    if (c.list.isNull())
        QFile::remove(testHome() + "Mailing.txt");
    else
        writeFileBytes(testHome() + "Mailing.txt", c.list);
    TNewMod2MessageForm* editor = open(project);
    ASSERT_NE(editor, nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->lblCount->text(), c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RecordCountTest,
    ::testing::Values(RecordCountCase{"no_file", QByteArray(), "0 records"},
                      RecordCountCase{"empty_file", "", "0 records"},
                      RecordCountCase{"only_empty_lines", "\r\n\r\n", "0 records"},
                      RecordCountCase{"one_record_of_empty_fields", ";;\r\n", "1 records"},
                      RecordCountCase{"one_line_of_blanks", "   \r\n", "1 records"},
                      RecordCountCase{"one_record", "Ann;ann@example.com\r\n", "1 records"},
                      RecordCountCase{"blank_record_among_others", "Ann;ann@example.com\r\n;\r\n", "2 records"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessageFormTest, EditedHtmlBodyCountsAsAChange)
{
    writeFileBytes(testHome() + "Mailing.htm", "<html><body>old</body></html>\r\n");
    TNewMod2MessageForm* editor = open(writeProject(1, "HTML=1\r\n"));
    EXPECT_TRUE(editor->pcl->tabBar()->isVisible());
    ASSERT_TRUE(waitUntil([&] { return editor->htmlPage->DocumentReady(); }, 2 * HtmlView::LoadTimeoutMs));
    editor->SaveProject(false);
    editor->htmlPage->view()->execCommand("selectAll");
    editor->htmlPage->view()->insertText("new");
    boxes.answerWith(IDYES);
    EXPECT_TRUE(closeEditor(editor));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(readFileBytes(testHome() + "Mailing.htm")
                    .startsWith("<html><head><meta charset=\"utf-8\"></head><body>new"));
}

TEST_F(MessageFormTest, ASendingWindowThatRefusesToCloseKeepsTheEditorOpen)
{
    TNewMod2MessageForm* editor = openProject();
    auto* sending = addChild<T_PostSrv>();
    sending->refuseClose = true;
    EXPECT_FALSE(closeEditor(editor));
    EXPECT_EQ(NewMod2MessageForm, editor);
    EXPECT_TRUE(reopenList().isEmpty());

    sending->refuseClose = false;
    EXPECT_TRUE(closeEditor(editor));
}

// ---- reopen list ----

TEST_F(MessageFormTest, ClosingASavedProjectAddsItToTheReopenList)
{
    const QString path = writeProject();
    TNewMod2MessageForm* editor = open(path);
    EXPECT_TRUE(closeEditor(editor));
    EXPECT_EQ(reopenList(), QStringList({path}));
}

TEST_F(MessageFormTest, ClosingANeverSavedProjectAddsNothing)
{
    TNewMod2MessageForm* editor = open(testHome() + "*.eml", true);
    boxes.answerWith(IDNO);
    EXPECT_TRUE(closeEditor(editor));
    EXPECT_TRUE(reopenList().isEmpty());
}

TEST_F(MessageFormTest, ANewProjectSavedUnderANameIsReopenedByIt)
{
    TNewMod2MessageForm* editor = open(testHome() + "*.eml", true);
    onNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Save Project as");
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(testHome() + "Chosen");
        static_cast<QDialog*>(dialog)->accept();
    });
    WindowMessage::send(editor, WM_SAVEPROJECT, 0);
    EXPECT_FALSE(editor->IsNew);
    EXPECT_EQ(editor->windowTitle(), "Message - Chosen");
    EXPECT_TRUE(closeEditor(editor));
    EXPECT_EQ(reopenList(), QStringList({testHome() + "Chosen.eml"}));
}

// ---- edit masks and commands ----

TEST_F(MessageFormTest, PlainEditorIsEditableOnlyWithTheFocusAndSetsTheMenuByItsMask)
{
    TNewMod2MessageForm* editor = openProject();
    editor->SubjectEdt->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(editor->Memo1->isReadOnly());
    EXPECT_FALSE(editor->miCut->isEnabled());

    QApplication::clipboard()->setText("clip");
    editor->Memo1->setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(editor->Memo1->isReadOnly());
    EXPECT_FALSE(editor->miCut->isEnabled());
    EXPECT_TRUE(editor->miPaste->isEnabled());

    QTextCursor cursor = editor->Memo1->textCursor();
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    editor->Memo1->setTextCursor(cursor);
    EXPECT_EQ(EditMask(editor->Memo1), EditCut | EditCopy | EditDelete | EditPaste);
    for (QAction* item : {editor->miCut, editor->miCopy, editor->miDelete, editor->miPaste})
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    EXPECT_FALSE(editor->miUndo->isEnabled());

    editor->SubjectEdt->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(editor->Memo1->isReadOnly());
    for (QAction* item : {editor->miCut, editor->miCopy, editor->miDelete, editor->miPaste})
        EXPECT_FALSE(item->isEnabled());
    EXPECT_EQ(EditMask(editor->SubjectEdt), 0);
}

TEST_F(MessageFormTest, EditCommandsActOnTheFocusedRichTextControlOnly)
{
    TNewMod2MessageForm* editor = openProject();
    editor->Memo1->setFocus();
    QCoreApplication::processEvents();
    QTextCursor cursor = editor->Memo1->textCursor();
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
    editor->Memo1->setTextCursor(cursor);
    form->findChild<QAction*>(QStringLiteral("Cut1"))->setEnabled(true);
    form->findChild<QAction*>(QStringLiteral("Cut1"))->trigger();   // the main window's Edit menu
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::clipboard()->text(), "Dear");
    EXPECT_TRUE(editor->Memo1->toPlainText().startsWith(" [Column#1]"));
    EXPECT_TRUE(editor->miUndo->isEnabled());

    editor->miUndo->trigger();   // puMemo posts its tag
    QCoreApplication::processEvents();
    EXPECT_TRUE(editor->Memo1->toPlainText().startsWith("Dear [Column#1]"));

    editor->SubjectEdt->setFocus();
    editor->SubjectEdt->selectAll();
    WindowMessage::send(editor, WM_EDITCOMMAND, EditDelete);
    EXPECT_EQ(editor->SubjectEdt->text(), "Hello");
}

// ---- placeholders ----

TEST_F(MessageFormTest, InsertWritesTheChosenFieldWhereTheFocusIs)
{
    TNewMod2MessageForm* editor = open(writeProject(2, "HTML=1\r\n"));
    editor->ComboBox2->setCurrentIndex(2);
    editor->SubjectEdt->setFocus();   // the HTML page is shown, but the subject has the focus
    editor->SubjectEdt->setCursorPosition(0);
    editor->SpeedButton7->click();
    EXPECT_EQ(editor->SubjectEdt->text(), "[Column#3]");

    ASSERT_TRUE(waitUntil([&] { return editor->htmlPage->DocumentReady(); }, 2 * HtmlView::LoadTimeoutMs));
    editor->htmlPage->focusPage();
    ASSERT_TRUE(editor->htmlPage->view()
                    ->runScript("var r = document.createRange(); r.selectNodeContents(document.body);"
                                " r.collapse(false); getSelection().removeAllRanges(); getSelection().addRange(r); true")
                    .value_or(false).toBool());
    editor->SpeedButton7->click();
    const QString source = editor->htmlPage->view()->htmlSource().value_or("");
    EXPECT_TRUE(source.contains("line two[Column#3]</body>")) << source.toStdString();

    editor->BoxTypeMes->setCurrentIndex(0);
    emit editor->BoxTypeMes->activated(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->pcl->currentWidget(), editor->tsMsg);
    editor->Memo1->moveCursor(QTextCursor::End);
    editor->SpeedButton7->click();
    EXPECT_TRUE(editor->Memo1->toPlainText().endsWith("line two[Column#3]"));
}

void drop(QWidget* target, QMimeData* data, const QPoint& at)
{
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
}

TEST_F(MessageFormTest, GridColumnDroppedOnTheSubjectGoesToCharacterXByFive)
{
    TNewMod2MessageForm* editor = openProject();
    editor->SubjectEdt->setText("0123456789abcdef");
    std::unique_ptr<QMimeData> data(placeholderMimeData(PlaceholderSource::ListGrid, "[Column#2]"));
    drop(editor->SubjectEdt, data.get(), QPoint(52, 5));
    EXPECT_EQ(editor->SubjectEdt->text(), "0123456789[Column#2]abcdef");
    EXPECT_TRUE(editor->modified());
}

TEST_F(MessageFormTest, ChooserItemDroppedOnThePlainEditorInsertsThatItem)
{
    TNewMod2MessageForm* editor = openProject();
    editor->Memo1->setPlainText("ab\ncd");
    std::unique_ptr<QMimeData> data(placeholderMimeData(PlaceholderSource::MergeChooser, "[Column#3]"));
    drop(editor->Memo1->viewport(), data.get(), QPoint(16, 14));
    EXPECT_EQ(editor->Memo1->toPlainText(), "ab\ncd  [Column#3]");

    std::unique_ptr<QMimeData> fromGrid(placeholderMimeData(PlaceholderSource::ListGrid, "[Column#1]"));
    drop(editor->Memo1->viewport(), fromGrid.get(), QPoint(0, 0));
    EXPECT_EQ(editor->Memo1->toPlainText(), "ab\ncd  [Column#3]");   // the plain editor takes the chooser only
}

TEST_F(MessageFormTest, AClickOnTheChooserWithoutADragStillOpensItsList)
{
    TNewMod2MessageForm* editor = openProject();
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, editor->ComboBox2->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(editor->ComboBox2, &press);
    EXPECT_FALSE(editor->ComboBox2->view()->isVisible());   // a drag may still start
    QMouseEvent release(QEvent::MouseButtonRelease, at, editor->ComboBox2->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(editor->ComboBox2, &release);
    EXPECT_TRUE(editor->ComboBox2->view()->isVisible());
    editor->ComboBox2->hidePopup();
}

// ---- main window commands ----

TEST_F(MessageFormTest, MainWindowSaveAndCloseReachTheEditor)
{
    TNewMod2MessageForm* editor = openProject();
    WindowMessage::send(form.get(), WM_UPDATEMENUS);
    auto* save = form->findChild<QAction*>(QStringLiteral("miSave"));
    ASSERT_TRUE(save->isEnabled());
    editor->SubjectEdt->setText("Saved from the menu");
    save->trigger();
    EXPECT_FALSE(editor->modified());
    EXPECT_TRUE(readFileBytes(testHome() + "Mailing.eml").contains("Subject=Saved from the menu\r\n"));

    QPointer<TNewMod2MessageForm> watched(editor);
    form->findChild<QAction*>(QStringLiteral("miClose"))->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull());
    EXPECT_TRUE(form->mdiArea()->subWindowList().isEmpty());
}

TEST_F(MessageFormTest, ReopenOpensTheProjectInTheEditor)
{
    const QString path = writeProject();
    writeFileBytes(testHome() + "setupprj.ini", (path + "\r\n").toUtf8());
    form = std::make_unique<TMainForm>();
    showActive();
    form->findChild<QMenu*>(QStringLiteral("Reopen1"))->actions().at(0)->trigger();
    ASSERT_NE(NewMod2MessageForm, nullptr);
    EXPECT_EQ(NewMod2MessageForm->SubjectEdt->text(), "Hello");
}

// Quitting with a saved project open: the editor closes for real before the reopen list is written, so the
// project is on it at the next start, without a second question.
TEST_F(MessageFormTest, QuittingWithAProjectOpenPutsItOnTheReopenList)
{
    const QString path = writeProject();
    TNewMod2MessageForm* editor = open(path);
    editor->SubjectEdt->setText("Edited");
    boxes.answerWith(IDYES);
    EXPECT_TRUE(form->close());
    ASSERT_EQ(boxes.boxes.size(), 2u);   // "Save changes?", then "Do you want to quit the program?"
    EXPECT_EQ(boxes.boxes[1].text, "Do you want to quit the program?");
    EXPECT_TRUE(readFileBytes(path).contains("Subject=Edited"));
    EXPECT_EQ(readFileBytes(testHome() + "setupprj.ini"), (path + "\r\n").toUtf8());
}

TEST_F(MessageFormTest, ExitAsksTheEditorFirstAndItsCancelKeepsTheProgramRunning)
{
    TNewMod2MessageForm* editor = openProject();
    editor->SubjectEdt->setText("Edited");
    boxes.answerWith(IDCANCEL);
    EXPECT_FALSE(form->close());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Save changes?");
    EXPECT_EQ(NewMod2MessageForm, editor);

    // No to the editor, then No to quitting: the editor stays as it was, with its changes.
    boxes.boxes.clear();
    boxes.answerWith(IDNO);
    EXPECT_FALSE(form->close());
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, "Do you want to quit the program?");
    EXPECT_EQ(NewMod2MessageForm, editor);
    EXPECT_TRUE(editor->modified());
    EXPECT_TRUE(reopenList().isEmpty());
}

TEST_F(MessageFormTest, CommandLineOpensTheProjectBeforeTheVerificationStarts)
{
    const QString path = writeProject(5, "Subject=From file\r\nColumn=1\r\n");
    form.reset();
    int column = -1;
    int rows = 0;
    setToolFunction(ToolVerifyList, [&](ToolRequest& request) {
        column = request.emailColumn;
        rows = request.listGrid->rowCount();
        return false;
    });
    CommandLineRequest request;
    request.fileName = path;
    request.createEditor = true;
    request.startVerification = true;
    form = std::make_unique<TMainForm>(request);
    showActive();
    ASSERT_TRUE(sorvanta::test::waitUntil([&] { return rows != 0; }));
    ASSERT_NE(NewMod2MessageForm, nullptr);
    EXPECT_EQ(NewMod2MessageForm->SubjectEdt->text(), "From file");
    EXPECT_EQ(column, 1);
    EXPECT_EQ(rows, 6);
}

TEST_F(MessageFormTest, CommandLineProjectFileThatDoesNotExistGivesANewProject)
{
    form.reset();
    CommandLineRequest request;
    request.fileName = testHome() + "Missing.eml";
    request.createEditor = true;
    form = std::make_unique<TMainForm>(request);
    showActive();
    ASSERT_NE(NewMod2MessageForm, nullptr);
    EXPECT_TRUE(NewMod2MessageForm->IsNew);
    EXPECT_EQ(NewMod2MessageForm->windowTitle(), "Message - noname0");
}

TEST_F(MessageFormTest, OpeningAnotherProjectClosesTheEditorFirst)
{
    TNewMod2MessageForm* first = openProject();
    first->SubjectEdt->setText("Edited");
    boxes.answerWith(IDCANCEL);
    EXPECT_NE(OpenProject(testHome() + "*.eml", true), OpenProjectOutcome::Opened);
    EXPECT_EQ(NewMod2MessageForm, first);

    boxes.answerWith(IDNO);
    EXPECT_EQ(OpenProject(testHome() + "*.eml", true), OpenProjectOutcome::Opened);
    EXPECT_NE(NewMod2MessageForm, nullptr);
    EXPECT_TRUE(NewMod2MessageForm->IsNew);
    EXPECT_EQ(NewMod2MessageForm->windowTitle(), "Message - noname0");
}

}  // namespace

#include "message_form_gui_test.moc"
