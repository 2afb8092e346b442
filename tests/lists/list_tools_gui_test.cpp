// The list tools' windows wired to their models: tool code 2 edits a copy and writes it back on close,
// tool code 3 filters the list with the default keyword file (made when missing) and reports the change
// even when the ".del" file is not chosen, and the editor's export reaches the workbook writer.

#include "core/dialogs/grid_export.h"
#include "core/base/tool_commands.h"
#include "core/base/window_host.h"
#include "lists/filter_window.h"
#include "lists/list_editor_window.h"
#include "platform/message_box_flags.h"
#include "platform/widgets/string_grid_view.h"
#include "tests/core/modal_dialogs.h"
#include "tests/lists/list_grids.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {

using namespace sorvanta::test;

class ListToolsGuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerListEditorTool();
        registerFilterListTool();
        setMessageBoxResponder([this](const QString& text, const QString&, unsigned) {
            boxes << text;
            return IDOK;
        });
    }
    void TearDown() override
    {
        setMessageBoxResponder(nullptr);
        setSpreadsheetOpener(nullptr);
    }

    StringGrid list = gridOfRows({{"Column#1", "Column#2"}, {"a@x", "Ann"}, {"b@x", "Bob"}});
    QStringList boxes;
};

TEST_F(ListToolsGuiTest, EditorAddsARecordAndWritesTheCopyBackOnClose)
{
    QString delimiter = ";";
    ToolRequest request;
    request.listGrid = &list;
    request.listFileName = testHome() + "list.txt";
    request.delimiter = &delimiter;
    onNextModal([](QWidget* window) {
        auto* editor = qobject_cast<T_EditAB*>(window);
        ASSERT_TRUE(editor);
        EXPECT_FALSE(editor->model().modified());
        editor->SpeedButton3->click();   // Add Record
        editor->model().grid().setCell(0, 3, "c@x");
        editor->ExplorerButton1->click();
    });
    EXPECT_TRUE(runTool(ToolEditList, request));
    ASSERT_EQ(list.rowCount(), 4);
    EXPECT_EQ(list.cell(0, 3), "c@x");
    EXPECT_EQ(list.cell(0, 0), "Column#1");
}

struct ColumnsCase {
    const char* name;
    int lowerTo;
    int answer;
    const char* question;   // empty: none asked
    int columnsAfter;
};

class EditorColumnsTest : public ListToolsGuiTest, public ::testing::WithParamInterface<ColumnsCase> {};

// Lowering "Columns" over columns that hold data asks first; No leaves the count and the cells as they were.
TEST_P(EditorColumnsTest, LoweringOverDataAsksFirst)
{
    const ColumnsCase& c = GetParam();
    StringGrid wide = gridOfRows({{"Column#1", "Column#2", "Column#3", "Column#4"},
                                  {"a@x", "Ann", "", ""},
                                  {"b@x", "Bob", "Oslo", ""}});
    MessageBoxRecorder answers(c.answer);
    T_EditAB editor(wide, testHome() + "list.txt", ";");
    editor.udCol->setValue(c.lowerTo);
    ASSERT_EQ(answers.boxes.size(), *c.question ? 1u : 0u);
    if (*c.question) {
        EXPECT_EQ(answers.boxes[0].text.toStdString(), c.question);
        EXPECT_EQ(answers.boxes[0].caption, "Attention");
        EXPECT_EQ(answers.boxes[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    }
    EXPECT_EQ(editor.udCol->value(), c.columnsAfter);
    EXPECT_EQ(editor.model().grid().columnCount(), c.columnsAfter);
    EXPECT_EQ(editor.model().grid().cell(0, 2), "b@x");
    EXPECT_EQ(editor.model().grid().cell(2, 2), c.columnsAfter >= 3 ? "Oslo" : "");
    editor.close();
    EXPECT_EQ(editor.finish(), c.columnsAfter != 4);   // a count left as it was changes nothing
    EXPECT_EQ(wide.columnCount(), c.columnsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, EditorColumnsTest,
    ::testing::Values(ColumnsCase{"over_two_columns_no", 1, IDNO, "Columns 2-3 hold data; remove them?", 4},
                      ColumnsCase{"over_two_columns_yes", 1, IDYES, "Columns 2-3 hold data; remove them?", 1},
                      ColumnsCase{"over_one_column_no", 2, IDNO, "Column 3 holds data; remove it?", 4},
                      ColumnsCase{"over_one_column_yes", 2, IDYES, "Column 3 holds data; remove it?", 2},
                      ColumnsCase{"only_empty_columns", 3, IDNO, "", 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListToolsGuiTest, EditorExportNamesTheSheetAndReportsAFailure)
{
    QString kept;
    setSpreadsheetOpener([&kept](const QString& workbook, const auto&) {
        kept = workbook;
        return false;
    });
    QString delimiter = ";";
    onNextModal([](QWidget* window) {
        auto* editor = qobject_cast<T_EditAB*>(window);
        editor->SpeedButton5->click();
        editor->ExplorerButton1->click();
    });
    EXPECT_FALSE(EditAddressBookExecute(list, testHome() + "list.txt", delimiter));
    EXPECT_EQ(boxes, QStringList{"Excel Not Found!\n\nThe workbook was saved as " + kept});
}

// "Extract Data" runs the list's own project (".cnd" beside the list file) without showing DB Maker and adds
// the rows it hands back after the list's own.
TEST_F(ListToolsGuiTest, ExtractDataAddsTheRowsOfTheListsProject)
{
    const QString pages = testHome() + "pages";
    QDir().mkpath(pages);
    writeFileBytes(pages + "/a.txt", "Cy cy@three.org\n");
    writeFileBytes(testHome() + "list.cnd", pages.toUtf8() + "|*.*\r\n|||1000000||1|1||;|||\r\nMail|^Find@||1|||||\r\n");
    QString delimiter = ";";
    onNextModal([](QWidget* window) {
        auto* editor = qobject_cast<T_EditAB*>(window);
        ASSERT_TRUE(editor);
        editor->SpeedButton2->click();   // Extract Data
        editor->ExplorerButton1->click();
    });
    EXPECT_TRUE(EditAddressBookExecute(list, testHome() + "list.txt", delimiter));
    ASSERT_EQ(list.rowCount(), 4);
    EXPECT_EQ(list.cell(0, 3), "cy@three.org");
}

TEST_F(ListToolsGuiTest, FilterRemovesMatchingRowsAndReportsTheChangeWhenTheFileIsCancelled)
{
    ToolRequest request;
    request.listGrid = &list;
    onNextModal([](QWidget* window) {
        auto* filter = qobject_cast<TFilterForm1*>(window);
        ASSERT_TRUE(filter);
        EXPECT_TRUE(QFileInfo::exists(testHome() + "filter.txt"));   // made empty when missing
        filter->keywords().setCell(0, 1, "A@X");
        onNextModalOf<QFileDialog>([](QFileDialog* save) { save->reject(); });
        filter->SpeedButton5->click();   // Apply
        filter->ExplorerButton1->click();
    });
    EXPECT_TRUE(runTool(ToolFilterList, request));
    EXPECT_EQ(rowsOfGrid(list, 1), (std::vector<QStringList>{{"b@x", "Bob"}}));
}

// The removed rows are saved from the project's folder (the main window's open-dialog file name), not from the
// keyword file's, which lies beside the program.
TEST_F(ListToolsGuiTest, RemovedRowsDialogStartsInTheProjectsFolder)
{
    const QString projects = testHome() + "projects/";
    QDir().mkpath(projects);
    QWidget mainWindow;
    const QString openFileName = projects + "Mailing.eml";
    WindowHost::registerMainWindow(&mainWindow, nullptr, nullptr, &openFileName);
    QString startFolder;
    onNextModal([&](QWidget* window) {
        auto* filter = qobject_cast<TFilterForm1*>(window);
        ASSERT_TRUE(filter);
        filter->keywords().setCell(0, 1, "a@x");
        onNextModalOf<QFileDialog>([&](QFileDialog* save) {
            startFolder = save->directory().absolutePath() + "/";
            // The file-name edit has the focus, so selectFile() would leave it alone.
            save->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(projects + "removed");
            static_cast<QDialog*>(save)->accept();
        });
        filter->SpeedButton5->click();
        filter->ExplorerButton1->click();
    });
    EXPECT_TRUE(FilterListExecute(list));
    WindowHost::unregisterMainWindow(&mainWindow);
    EXPECT_EQ(startFolder, projects);
    EXPECT_EQ(readFileBytes(projects + "removed.del"), "a@x;Ann;\r\n");
}

TEST_F(ListToolsGuiTest, FilterWithNoMatchLeavesTheListAndAsksForNoFile)
{
    writeTestFile("filter.txt", "zzz\r\n");
    onNextModal([](QWidget* window) {
        auto* filter = qobject_cast<TFilterForm1*>(window);
        filter->rbExist->setChecked(true);
        filter->SpeedButton5->click();
        filter->SpeedButton5->click();
        filter->ExplorerButton1->click();
    });
    EXPECT_FALSE(FilterListExecute(list));
    EXPECT_EQ(list.rowCount(), 3);
}

}  // namespace
