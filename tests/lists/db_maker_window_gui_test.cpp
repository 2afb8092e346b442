// DB Maker window wiring: the unattended run, "Apply && Exit" read back as the list editor reads it, the
// project saved to the caller's file, the result file, the field grid's toggles and the spreadsheet export.

#include "core/dialogs/grid_export.h"
#include "core/dialogs/input_form.h"
#include "lists/comma_text.h"
#include "lists/db_maker_project.h"
#include "lists/db_maker_window.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/desktop_sandbox.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QListView>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include <sys/stat.h>

namespace {

using sorvanta::test::DesktopSandbox;
using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::onNextModal;
using sorvanta::test::readExistingFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

// A folder of two pages and a project over it with the given field lines.
QString makeProject(const QByteArray& fieldLines)
{
    const QString pages = testHome() + "pages";
    QDir().mkpath(pages);
    writeFileBytes(pages + "/a.htm", "<p>Ann Lee; ann@one.org</p>\n<p>Bo, \"Jr\" bo@two.org</p>\n");
    writeFileBytes(pages + "/b.txt", "Cy cy@three.org\n");
    const QString project = testHome() + "list.cnd";
    writeFileBytes(project, pages.toUtf8() + "|*.*\r\n|||1000000||1|1||;|||\r\n" + fieldLines);
    return project;
}

TfFas* asDbMaker(QWidget* modal)
{
    auto* window = qobject_cast<TfFas*>(modal);
    EXPECT_NE(window, nullptr);
    return window;
}

TEST(DbMakerWindow, UnattendedRunHandsBackRowsAndTheWidestRow)
{
    const QString project = makeProject("Mail|^Find@||1|||||\r\nSecond|^Find@||2|||||\r\n");
    MessageBoxRecorder boxes;
    QStringList results;
    int columns = 0;
    ASSERT_TRUE(DbMakerExecute(project, results, columns, true));
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(commaTextValues(results[0]), (QStringList{"ann@one.org", "bo@two.org"}));
    EXPECT_EQ(commaTextValues(results[1]), (QStringList{"cy@three.org", ""}));
    EXPECT_EQ(columns, 2);
    EXPECT_TRUE(boxes.boxes.empty());   // no completion message in this mode
}

TEST(DbMakerWindow, UnattendedRunWithoutFieldsTellsSoAndCloses)
{
    const QString project = makeProject("");
    MessageBoxRecorder boxes;
    QStringList results{"old"};
    int columns = 0;
    EXPECT_FALSE(DbMakerExecute(project, results, columns, true));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, QStringLiteral("Adjust DB maker project"));
    EXPECT_TRUE(boxes.boxes[0].text.startsWith("No field is defined"));
    EXPECT_EQ(boxes.boxes[0].flags, 8256u);
    EXPECT_TRUE(results.isEmpty());
}

TEST(DbMakerWindow, ApplyAndExitHandsBackCommaTextsAndSavesTheProject)
{
    const QString project = makeProject("Mail|^Find@||1|||||\r\n");
    MessageBoxRecorder boxes;
    onNextModal([](QWidget* modal) {
        TfFas* window = asDbMaker(modal);
        // "Mail" now takes the second paragraph: a value with blanks, quotes and a comma.
        window->sgItem->setItem(0, 1, new QTableWidgetItem("<p>"));
        window->sgItem->setItem(0, 2, new QTableWidgetItem("</p>"));
        window->sgItem->setItem(0, 3, new QTableWidgetItem("2"));
        window->sbFas->click();
        window->sbApply->click();
    });
    QStringList results;
    int columns = 0;
    ASSERT_TRUE(DbMakerExecute(project, results, columns, false));
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(commaTextValues(results[0]), QStringList{"Bo, \"Jr\" bo@two.org"});
    EXPECT_EQ(columns, 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Completed"));
    EXPECT_TRUE(readExistingFileBytes(project).endsWith("\r\nMail|<p>|</p>|2|||||\r\n"));
}

// What the run could not take whole is said below "Completed": a named pipe it could not read, and a value
// that runs on past 1 MB in a record too long to hold (17 MB without an end marker).
TEST(DbMakerWindow, CompletedSaysWhichFilesWereSkippedAndWhichValuesCut)
{
    const QString project = makeProject("Key|key=|;|1|||||\r\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(testHome() + "pages/pipe.txt").constData(), 0600), 0);
    writeFileBytes(testHome() + "pages/long.txt", "key=" + QByteArray(17 << 20, 'x'));
    MessageBoxRecorder boxes;
    onNextModal([](QWidget* modal) {
        TfFas* window = asDbMaker(modal);
        window->sbFas->click();
        window->ExplorerButton1->click();
    });
    QStringList results;
    int columns = 0;
    DbMakerExecute(project, results, columns, false);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Completed\n\n1 file(s) could not be read.\n\n1 value(s) in records too long to "
                                   "hold ran on past 1 MB and were cut there.");
}

TEST(DbMakerWindow, CloseWithoutApplyReturnsNothing)
{
    const QString project = makeProject("Mail|^Find@||1|||||\r\n");
    onNextModal([](QWidget* modal) { asDbMaker(modal)->ExplorerButton1->click(); });
    QStringList results;
    int columns = 0;
    EXPECT_FALSE(DbMakerExecute(project, results, columns, false));
    EXPECT_TRUE(results.isEmpty());
}

TEST(DbMakerWindow, LoadProjectKeepsTheCallersFileAsSaveTarget)
{
    const QString project = makeProject("Mail|^Find@||1|||||\r\n");
    const QString other = testHome() + "other.cnd";
    const QByteArray otherBytes = "/elsewhere|*.txt\r\nB|E||||||||||\r\nName|x|y|||||||\r\n";
    writeFileBytes(other, otherBytes);
    TfFas::setFileChooser([&](bool, const QString&, const QString&) { return other; });
    TfFas window;
    window.startInteractive(project);
    window.sbLoadProjectClick();
    EXPECT_EQ(window.projectFileName(), project);
    window.done(QDialog::Rejected);
    TfFas::setFileChooser(nullptr);
    EXPECT_EQ(readExistingFileBytes(other), otherBytes);
    DbMakerSettings fromOther, fromProject;
    ASSERT_TRUE(loadDbMakerProject(other, fromOther));
    ASSERT_TRUE(loadDbMakerProject(project, fromProject));
    EXPECT_EQ(fromProject, fromOther);
    EXPECT_EQ(fromProject.beginMarker, QStringLiteral("B"));
}

TEST(DbMakerWindow, SaveResultsProposesTheListFileAndAsksBeforeReplacingIt)
{
    const QString project = makeProject("Mail|^Find@||1|||||\r\n");
    const QString listFile = testHome() + "list.txt";
    writeFileBytes(listFile, "the user's list\r\n");
    QString proposed;
    TfFas::setFileChooser([&](bool save, const QString& start, const QString&) {
        EXPECT_TRUE(save);
        proposed = start;
        return start;
    });
    MessageBoxRecorder boxes(IDNO);
    TfFas window;
    window.startInteractive(project);
    window.sbFasClick(1);
    window.sbSaveResultsClick();
    EXPECT_EQ(proposed, listFile);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.contains(listFile));
    EXPECT_EQ(readExistingFileBytes(listFile), "the user's list\r\n");

    boxes.answerWith(IDYES);
    window.eRz->setText("|");
    window.sbSaveResultsClick();
    TfFas::setFileChooser(nullptr);
    EXPECT_EQ(readExistingFileBytes(listFile), "a.htm|ann@one.org\r\nb.txt|cy@three.org\r\n");
}

TEST(DbMakerWindow, SavingWarnsAboutValuesTheProjectCannotHold)
{
    const QString project = makeProject("Mail|^Find@||1|||||\r\n");
    MessageBoxRecorder boxes;
    TfFas window;
    window.startInteractive(project);
    window.eEnd->setText(" ");
    window.sgItem->setItem(0, 2, new QTableWidgetItem("a|b"));
    window.SaveProject();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.contains("eEnd"));
    EXPECT_TRUE(boxes.boxes[0].text.contains("Field end (Mail)"));
    EXPECT_TRUE(readExistingFileBytes(project).endsWith("\r\nMail|^Find@|ab|1|||||\r\n"));
}

TEST(DbMakerWindow, FieldGridToggleAndKeywordMenu)
{
    MessageBoxRecorder boxes(IDNO);
    TfFas window;
    for (int column = 0; column < window.sgItem->columnCount(); ++column)   // no title cut short
        EXPECT_GE(window.sgItem->columnWidth(column), window.sgItem->horizontalHeader()->sectionSizeHint(column));
    window.sbAddRowClick();
    EXPECT_EQ(window.sgItem->rowCount(), 1);
    EXPECT_EQ(window.sgItem->item(0, 0)->text(), QStringLiteral("Column 1"));
    window.sgItemToggleUnique(0, 8);
    EXPECT_EQ(window.sgItem->item(0, 8)->text(), QStringLiteral("Yes"));
    window.sgItemToggleUnique(0, 8);
    EXPECT_EQ(window.sgItem->item(0, 8)->text(), QString());
    window.sgItem->setCurrentCell(0, 1);
    window.pmFieldFindClick(2);
    EXPECT_EQ(window.sgItem->item(0, 1)->text(), QStringLiteral("^FindUrl"));
    window.pmFieldFindClick(1);   // answered No: kept
    EXPECT_EQ(window.sgItem->item(0, 1)->text(), QStringLiteral("^FindUrl"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].flags, 8228u);
    window.sbAddRowClick();
    EXPECT_EQ(window.sgItem->rowCount(), 2);
    window.pmFieldEditClick(3);
    EXPECT_EQ(window.sgItem->rowCount(), 1);
    EXPECT_TRUE(window.currentSettings().fieldRows.isEmpty());
}

TEST(DbMakerWindow, ExportWritesSheetResultsOrSaysExcelNotFound)
{
    const QString project = makeProject("Mail|^Find@||1|||||\r\n");
    QString written;
    setSpreadsheetOpener([&](const QString& path, const auto&) {
        written = path;
        return true;
    });
    MessageBoxRecorder boxes;
    TfFas window;
    window.startInteractive(project);
    window.sbFasClick(1);
    window.sbExcelClick();
    ASSERT_FALSE(written.isEmpty());
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c", "import sys,zipfile; print(zipfile.ZipFile(sys.argv[1]).read('xl/workbook.xml').decode())",
                  written});
    ASSERT_TRUE(python.waitForFinished(30000));
    EXPECT_TRUE(python.readAllStandardOutput().contains("name=\"Results\""));
    QFile::remove(written);
    EXPECT_TRUE(boxes.boxes.empty());

    QString kept;
    setSpreadsheetOpener([&kept](const QString& workbook, const auto&) {
        kept = workbook;
        return false;
    });
    window.sbExcelClick();
    setSpreadsheetOpener(nullptr);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Excel Not Found!\n\nThe workbook was saved as " + kept);
}

// Stop pressed while a run pumps events ends it without the completion message; a second Extract click
// meanwhile is refused by the busy guard.
TEST(DbMakerWindow, StopDuringARunEndsItAndExtractIsNotReentered)
{
    const QString project = makeProject("Mail|^Find@||1|||||\r\n");
    QByteArray big;
    for (int i = 0; i < 300000; ++i)
        big += "text u" + QByteArray::number(i) + "@host.org\n";
    writeFileBytes(testHome() + "pages/big.txt", big);
    MessageBoxRecorder boxes;
    TfFas window;
    window.startInteractive(project);
    window.eBegin->setText("text");
    int reentered = 0;
    QTimer::singleShot(0, &window, [&] {
        reentered = window.running() ? 1 : 0;
        window.sbFas->click();   // disabled while running: nothing happens
        window.sbFasClick(0);    // even called directly, the guard refuses it
        window.sbStop->click();
    });
    window.sbFasClick(0);
    EXPECT_EQ(reentered, 1);
    EXPECT_FALSE(window.running());
    EXPECT_TRUE(boxes.boxes.empty());   // stopped: no "Completed"
    EXPECT_LT(window.lvRes->topLevelItemCount(), 300000);
    EXPECT_TRUE(window.sbFas->isEnabled());
}

// Answers the next input prompt with text.
void answerPrompt(const QString& text)
{
    onNextModal([text](QWidget* modal) {
        auto* form = qobject_cast<TInputForm*>(modal);
        ASSERT_NE(form, nullptr);
        form->Input->setText(text);
        form->Button1->click();
    });
}

void selectEntry(TfFas& window, const QString& name)
{
    auto* view = window.lvLoc->findChild<QListView*>("lvLocIcons");
    ASSERT_NE(view, nullptr);
    view->clearSelection();
    const QModelIndexList found =
        view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    view->selectionModel()->select(found.first(), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

TEST(DbMakerWindow, FileManagerMakesRenamesAndDeletesWithoutOverwriting)
{
    const QString folder = testHome() + "files";
    QDir().mkpath(folder);
    writeFileBytes(folder + "/one.txt", "1");
    writeFileBytes(folder + "/two.txt", "2");
    MessageBoxRecorder boxes(IDYES);
    TfFas window;
    window.setFolder(folder);
    answerPrompt("made");
    window.sbMakeDirClick();
    EXPECT_TRUE(QFileInfo(folder + "/made").isDir());

    selectEntry(window, "one.txt");
    answerPrompt("two.txt");
    window.sbRenameClick();   // another file has that name: nothing changes
    EXPECT_EQ(readExistingFileBytes(folder + "/two.txt"), "2");
    EXPECT_TRUE(QFileInfo::exists(folder + "/one.txt"));

    selectEntry(window, "one.txt");
    answerPrompt("three.txt");
    window.sbRenameClick();
    EXPECT_EQ(readExistingFileBytes(folder + "/three.txt"), "1");

    selectEntry(window, "two.txt");
    window.sbDeleteClick();
    EXPECT_FALSE(QFileInfo::exists(folder + "/two.txt"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith("Are you sure you want to delete"));

    writeFileBytes(folder + "/made/inside", "x");
    selectEntry(window, "made");
    window.sbRemoveDirClick();   // not empty
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, QStringLiteral("Cannot remove directory"));

    QString opened;
    TfFas::setFileOpener([&](const QString& path) { opened = path; });
    selectEntry(window, "three.txt");
    window.sbRunClick();
    TfFas::setFileOpener(nullptr);
    EXPECT_EQ(opened, folder + "/three.txt");
}

// "View" shows the file as text: the desktop's program for text/plain gets the path as one argument (an
// .html page too, which "Run" would give to the browser); with no such program a message says so.
TEST(DbMakerWindow, ViewOpensTheFileWithTheTextHandler)
{
    DesktopSandbox desktop;
    const QString folder = testHome() + "my pages";
    QDir().mkpath(folder);
    const QString page = folder + "/page one; $(touch pwned).html";
    writeFileBytes(page, "<p>x</p>");
    MessageBoxRecorder boxes;
    TfFas window;
    window.setFolder(folder);
    TfFas::setFileOpener([&](const QString& path) { ADD_FAILURE() << "Run's opener used for " << path.toStdString(); });

    selectEntry(window, "page one; $(touch pwned).html");
    window.sbViewClick();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.toStdString(),
              "No program is set to show text files (text/plain), so the file cannot be viewed.");

    const QString editor = desktop.writeLoggingProgram("editor.sh");
    desktop.writeEntry("system", "acme/texteditor.desktop", editor.toUtf8() + " --new %F --wait", "text/plain;");
    desktop.setDefault("text/plain", "acme-texteditor.desktop");
    window.sbViewClick();
    EXPECT_EQ(desktop.loggedArguments(), QStringList({"--new", page, "--wait"}));
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + "/pwned"));
    TfFas::setFileOpener(nullptr);
}

}  // namespace
