// The import wizard's window wired to its model, run through tool code 1: each page with its caption and
// buttons, the browse dialog, the previews that follow the choices, the ruler click, a table's preview,
// a file that is not text, and Exit answering true.

#include "core/base/tool_commands.h"
#include "lists/import_preview_models.h"
#include "lists/import_wizard.h"
#include "platform/message_box_flags.h"
#include "tests/core/modal_dialogs.h"
#include "tests/dbase/dbf_builder.h"
#include "tests/lists/list_grids.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableView>

namespace {

using namespace sorvanta::test;

class ImportWizardGuiTest : public ::testing::Test {
protected:
    void SetUp() override { registerImportWizardTool(); }
    void TearDown() override { setToolFunction(ToolImportWizard, nullptr); }

    // Runs tool code 1 on list with drive acting on the wizard; answers what the tool reported.
    bool runWizard(const std::function<void(T_ImpVznLoad*)>& drive)
    {
        onNextModal([drive](QWidget* window) {
            auto* wizard = qobject_cast<T_ImpVznLoad*>(window);
            ASSERT_TRUE(wizard);
            QCoreApplication::processEvents();   // the first step message
            drive(wizard);
            if (wizard->isVisible())
                wizard->close();
        });
        ToolRequest request;
        request.listGrid = &list;
        return runTool(ToolImportWizard, request);
    }

    static void click(QPushButton* button)
    {
        button->click();
        QCoreApplication::processEvents();   // the step message
    }

    static QString page(T_ImpVznLoad* wizard) { return wizard->pcWizard->currentWidget()->objectName(); }

    StringGrid list = gridOfRows({{"Column#1", "Column#2"}, {"r1", "a"}});
    MessageBoxRecorder boxes;
};

TEST_F(ImportWizardGuiTest, DelimitedTextGoesThroughEveryStepAndExitAnswersTrue)
{
    const QString file = writeTestFile("people.csv", "Ann,a@x,Rome\r\n\"Bob; Jr.\",b@x\r\n");
    const bool changed = runWizard([&](T_ImpVznLoad* wizard) {
        EXPECT_EQ(wizard->windowTitle(), "Import Wizard:  Step 1 / 4");
        EXPECT_EQ(page(wizard), "tsFile");
        EXPECT_FALSE(wizard->bbBack->isEnabled());
        wizard->eFile->setText(testHome() + "missing.csv");
        click(wizard->bbNext);
        EXPECT_EQ(page(wizard), "tsFile");

        wizard->eFile->setText(file);
        click(wizard->bbNext);
        EXPECT_EQ(wizard->windowTitle(), "Import Wizard:  Step 2 / 4");
        EXPECT_EQ(page(wizard), "ts2");
        EXPECT_TRUE(wizard->rbRzd->isChecked());
        EXPECT_FALSE(wizard->rbDB->isEnabled());
        EXPECT_EQ(wizard->udLine->maximum(), 2);
        EXPECT_EQ(wizard->sg1->model()->rowCount(), 2);
        EXPECT_EQ(wizard->sg1->model()->index(1, 0).data().toInt(), 2);

        click(wizard->bbNext);
        EXPECT_EQ(wizard->windowTitle(), "Import Wizard:  Step 3 / 4");
        EXPECT_EQ(page(wizard), "tsRzd");
        EXPECT_TRUE(wizard->cbC->isChecked());   // no bit chosen yet: comma for a ".csv" file
        EXPECT_FALSE(wizard->cbDC->isChecked());
        EXPECT_FALSE(wizard->cbSpace->isChecked());
        EXPECT_EQ(wizard->sgRzd->model()->columnCount(), 3);
        wizard->cbC->setChecked(false);
        EXPECT_EQ(wizard->sgRzd->model()->columnCount(), 1);
        wizard->cbC->setChecked(true);
        EXPECT_EQ(wizard->sgRzd->model()->index(1, 1).data().toString(), "b@x");
        EXPECT_EQ(wizard->sgRzd->model()->index(1, 0).data().toString(), "Bob  Jr.");   // as the import writes it

        click(wizard->bbNext);
        EXPECT_EQ(wizard->windowTitle(), "Import Wizard:  Step 4 / 4");
        EXPECT_EQ(page(wizard), "tsImport");
        EXPECT_FALSE(wizard->bbBack->isEnabled());   // the import ran: going back could only import again
        EXPECT_FALSE(wizard->bbNext->isEnabled());
        EXPECT_EQ(wizard->lResult->text(), "2 records imported.\n1 cells held line breaks or the list's delimiter: "
                                           "blanks stand in their place.");
        wizard->bbExit->click();
    });
    EXPECT_TRUE(changed);
    EXPECT_EQ(rowsOfGrid(list), (std::vector<QStringList>{{"Column#1", "Column#2", "Column#3"},
                                                          {"r1", "a", ""},
                                                          {"Ann", "a@x", "Rome"},
                                                          {"Bob  Jr.", "b@x", ""}}));
}

TEST_F(ImportWizardGuiTest, BrowseFillsTheNameAndFixedWidthBreaksFollowClicks)
{
    const QString file = writeTestFile("fixed.txt", "abcdefgh\r\n");
    runWizard([&](T_ImpVznLoad* wizard) {
        onNextModalOf<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Define file name for import");
            // The file-name edit has the focus, so selectFile() would leave it alone.
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
            static_cast<QDialog*>(dialog)->accept();
        });
        wizard->SpeedButton5->click();
        EXPECT_EQ(wizard->eFile->text(), file);
        click(wizard->bbNext);
        wizard->rbFix->setChecked(true);
        click(wizard->bbNext);
        EXPECT_EQ(page(wizard), "tsFix");
        EXPECT_EQ(wizard->windowTitle(), "Import Wizard:  Step 3 / 4");
        EXPECT_EQ(wizard->sgFix->model()->rowCount(), 2);      // the ruler and one line
        EXPECT_EQ(wizard->sgFix->model()->columnCount(), 8);
        wizard->sgFixClick(2);
        wizard->sgFixClick(5);
        EXPECT_TRUE(wizard->sgFix->model()->index(1, 2).data(FixedWidthModel::BreakRole).toBool());
        EXPECT_EQ(wizard->sgFix->model()->index(1, 2).data().toString(), "c");
        click(wizard->bbBack);
        click(wizard->bbNext);
        EXPECT_TRUE(wizard->sgFix->model()->index(1, 5).data(FixedWidthModel::BreakRole).toBool());
        click(wizard->bbNext);
        EXPECT_EQ(page(wizard), "tsImport");
        wizard->bbExit->click();
    });
    EXPECT_EQ(rowsOfGrid(list, 2), (std::vector<QStringList>{{"abc", "def", "gh"}}));
}

// The text preview's column holds each line whole and its rows a line of the font, at a larger font too.
TEST_F(ImportWizardGuiTest, TextPreviewShowsWholeLinesAtAnyFont)
{
    const QString line = QStringLiteral("Anastazja Wiśniewska-Kowalczyk;anastazja@example.test;Łódź");
    const QString file = writeTestFile("people.txt", (line + "\r\nBob;b@x\r\n").toUtf8());
    runWizard([&](T_ImpVznLoad* wizard) {
        wizard->setFont(QFont(wizard->font().family(), 16));
        wizard->eFile->setText(file);
        click(wizard->bbNext);
        QCoreApplication::processEvents();   // the columns are fitted when the loop is free
        QTableView* preview = wizard->sg1;
        ASSERT_EQ(preview->model()->index(0, 1).data().toString(), line);
        EXPECT_GE(preview->columnWidth(1), preview->fontMetrics().horizontalAdvance(line));
        EXPECT_GE(preview->rowHeight(0), preview->fontMetrics().height());
        wizard->bbExit->click();
    });
}

TEST_F(ImportWizardGuiTest, TableIsPreviewedAndImportedFromTheStartRow)
{
    dbftest::TableBuilder table(0x03, {{"NAME", 'C', 5}, {"MAIL", 'C', 5}});
    table.record({"Ann", "a@x"}).record({"Bob", "b@x"}).record({"Cid", "c@x"});
    const QString file = writeTestFile("people.dbf", table.bytes());
    const bool changed = runWizard([&](T_ImpVznLoad* wizard) {
        wizard->eFile->setText(file);
        click(wizard->bbNext);
        EXPECT_TRUE(wizard->rbDB->isChecked());
        EXPECT_FALSE(wizard->rbRzd->isEnabled());
        EXPECT_EQ(wizard->dbg->model()->rowCount(), 3);
        EXPECT_EQ(wizard->dbg->model()->headerData(1, Qt::Horizontal).toString(), "MAIL");
        wizard->udLine->setValue(2);
        click(wizard->bbNext);
        EXPECT_EQ(wizard->windowTitle(), "Import Wizard:  Step 4 / 4");
        wizard->close();
    });
    EXPECT_FALSE(changed);   // closed without Exit
    EXPECT_EQ(rowsOfGrid(list, 1), (std::vector<QStringList>{{"r1", "a"}, {"Bob", "b@x"}, {"Cid", "c@x"}}));
}

// Back and Next keep what each step shows; once the import ran, neither Back nor Next imports again.
TEST_F(ImportWizardGuiTest, BackAndNextKeepTheChoicesAndTheImportRunsOnce)
{
    const QString file = writeTestFile("people.txt", "skip\r\nAnn,,a@x\r\nBob,,b@x\r\n");
    runWizard([&](T_ImpVznLoad* wizard) {
        wizard->eFile->setText(file);
        click(wizard->bbNext);
        wizard->rbFix->setChecked(true);
        wizard->udLine->setValue(2);
        click(wizard->bbBack);
        EXPECT_EQ(page(wizard), "tsFile");
        click(wizard->bbNext);
        EXPECT_TRUE(wizard->rbFix->isChecked());
        EXPECT_EQ(wizard->udLine->value(), 2);

        click(wizard->bbNext);
        EXPECT_EQ(page(wizard), "tsFix");
        wizard->sgFixClick(2);
        click(wizard->bbBack);
        click(wizard->bbNext);
        EXPECT_TRUE(wizard->sgFix->model()->index(1, 2).data(FixedWidthModel::BreakRole).toBool());

        click(wizard->bbBack);
        wizard->rbRzd->setChecked(true);
        click(wizard->bbNext);
        EXPECT_EQ(page(wizard), "tsRzd");
        wizard->cbDC->setChecked(false);
        wizard->cbC->setChecked(true);
        wizard->cbOne->setChecked(true);
        click(wizard->bbBack);
        EXPECT_EQ(page(wizard), "ts2");
        EXPECT_TRUE(wizard->rbRzd->isChecked());
        click(wizard->bbNext);
        EXPECT_FALSE(wizard->cbDC->isChecked());
        EXPECT_TRUE(wizard->cbC->isChecked());
        EXPECT_TRUE(wizard->cbOne->isChecked());

        click(wizard->bbNext);
        EXPECT_EQ(page(wizard), "tsImport");
        EXPECT_EQ(list.rowCount(), 4);
        EXPECT_FALSE(wizard->bbBack->isEnabled());
        EXPECT_FALSE(wizard->bbNext->isEnabled());
        wizard->bbBackClick();   // as a click that came before the buttons were disabled
        QCoreApplication::processEvents();
        wizard->bbNextClick();
        QCoreApplication::processEvents();
        EXPECT_EQ(page(wizard), "tsImport");
        wizard->bbExit->click();
    });
    EXPECT_EQ(rowsOfGrid(list, 1), (std::vector<QStringList>{{"r1", "a"}, {"Ann", "a@x"}, {"Bob", "b@x"}}));
}

TEST_F(ImportWizardGuiTest, FileThatIsNotTextIsReportedAndStepOneShownAgain)
{
    const QString file = writeTestFile("picture.png", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    runWizard([&](T_ImpVznLoad* wizard) {
        wizard->eFile->setText(file);
        click(wizard->bbNext);
        QCoreApplication::processEvents();
        EXPECT_EQ(page(wizard), "tsFile");
        EXPECT_EQ(wizard->windowTitle(), "Import Wizard:  Step 1 / 4");
    });
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(file));
    EXPECT_EQ(list.rowCount(), 2);
}

}  // namespace
