// The sending window's "Save As" and "Delete from list" after a run through a scripted SMTP server: the
// dialogs' choices reach the window through the tool table, the result file holds the chosen rows in the
// chosen form, rows leave the results and the list together, a list that no longer pairs is refused, and a
// result file that cannot be written is reported with its name.

#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/sending/post_srv.h"
#include "core/sending/result_rows.h"
#include "core/schedule/schedule_objects.h"
#include "lists/delete_from_list_dialog.h"
#include "lists/save_results_dialog.h"
#include "platform/message_box_flags.h"
#include "tests/core/modal_dialogs.h"
#include "tests/core/scripted_smtp.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace {

using namespace sorvanta::test;

class SendingResultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProjectIniInfo = DefaultIniInfoValues();
        ProjectIniInfo.PathPro = testHome();
        ProjectIniInfo.ProjectName = "mailing";
        ProjectIniInfo.Subject = "News";
        ProjectIniInfo.SectionSymbol = "\t";
        Accounts.Clear();
        auto account = std::make_unique<tAccountObj>();
        account->Name = "Sender";
        account->ReturnAddress = "sender@origin.test";
        account->MailDomain = "mail.origin.test";
        account->SMTPServer = "127.0.0.1";
        Accounts.Add(std::move(account));
        list = StringGrid(2, 4);
        list.setRowCells(0, {"email", "name"});
        list.setRowCells(1, {"ann@example.test", "Ann"});
        list.setRowCells(2, {"refused@example.test", "Rita"});
        list.setRowCells(3, {"bob@example.test", "Bob"});
        setMessageBoxResponder([this](const QString& text, const QString&, unsigned) {
            boxes << text;
            return IDOK;
        });
        registerSaveResultsTool();
        registerDeleteFromListTool();
        SaveResultsOptions = 0;
        DeleteFromListMode = 0;
        DeleteFromListCodes.clear();
    }

    void TearDown() override
    {
        window.reset();
        setMessageBoxResponder(nullptr);
        Accounts.Clear();
        SeriesObj.SetDefaults();
        TaskObj.SetDefaults();
    }

    void sendAll()
    {
        scriptSmtp(smtp);
        ASSERT_TRUE(smtp.listen());
        Accounts.Items(0)->SMTPPort = smtp.port();
        ProjectIniInfo.ExternalSmtp = true;
        ProjectIniInfo.Pop3Identify = false;
        window = std::make_unique<T_PostSrv>(&list, QStringList{"email", "name"});
        window->show();
        window->StartButton->click();
        ASSERT_TRUE(waitUntil([&] { return !window->sending(); }, 30000));
        boxes.clear();
    }

    // Runs Save As, ticking rowBox and formatBox in the dialog and saving under fileName.
    void saveResults(const char* rowBox, const char* formatBox, const QString& fileName)
    {
        onNextModal([=](QWidget* dialog) {
            dialog->findChild<QCheckBox*>(QLatin1String(rowBox))->click();
            dialog->findChild<QCheckBox*>(QLatin1String(formatBox))->click();
            dialog->findChild<QLineEdit*>(QStringLiteral("eFN"))->setText(fileName);
            dialog->findChild<QPushButton*>(QStringLiteral("SpeedButton1"))->click();
        });
        window->SpeedButton2->click();
    }

    void deleteRows(const char* modeBox, const QStringList& codes = {})
    {
        onNextModal([=](QWidget* dialog) {
            dialog->findChild<QCheckBox*>(QLatin1String(modeBox))->click();
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("clCode"));
            for (int i = 0; i < list->count(); ++i)
                if (codes.contains(list->item(i)->text().left(3)))
                    list->item(i)->setCheckState(Qt::Checked);
            dialog->findChild<QPushButton*>(QStringLiteral("SpeedButton1"))->click();
        });
        window->sbDel->click();
    }

    ScriptedPeer smtp;
    StringGrid list;
    std::unique_ptr<T_PostSrv> window;
    QStringList boxes;
};

TEST_F(SendingResultsTest, SaveAsWritesTheChosenRowsInTheChosenForm)
{
    sendAll();
    ASSERT_EQ(window->run().results.rowStatus(2), rowBad);
    const QString path = testHome() + "sent";
    saveResults("cbAllsent", "cbMail", path);
    EXPECT_EQ(readExistingFileBytes(path + ".txt"), "ann@example.test\tAnn\r\nbob@example.test\tBob\r\n");
    EXPECT_EQ(SaveResultsOptions, saveSentRows + saveListFields);

    saveResults("cbSaveAll", "cbEmail", testHome() + "all.txt");
    EXPECT_EQ(readExistingFileBytes(testHome() + "all.txt"),
              "ann@example.test\r\nrefused@example.test\r\nbob@example.test\r\n");
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(SendingResultsTest, AResultFileThatCannotBeWrittenIsReportedWithItsName)
{
    sendAll();
    const QString path = testHome() + "no/such/folder/out.txt";
    saveResults("cbSaveAll", "cbEmail", path);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(path + " : ")) << boxes[0].toStdString();
}

TEST_F(SendingResultsTest, DeletedRowsLeaveResultsAndListTogether)
{
    sendAll();
    const QString code = window->run().results.cell(colCode, 2);
    deleteRows("cbCode", {code});
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.rowCells(2), (QStringList{"bob@example.test", "Bob"}));
    EXPECT_EQ(window->run().results.cell(colEmail, 2), "bob@example.test");
    EXPECT_EQ(DeleteFromListCodes, ";" + code);

    deleteRows("cbSent");
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.rowCells(1), (QStringList{"", ""}));
    EXPECT_EQ(window->run().results.rowCount(), 2);
}

TEST_F(SendingResultsTest, AListThatNoLongerPairsIsRefused)
{
    sendAll();
    list.setCell(0, 1, "changed@example.test");
    deleteRows("cbSent");
    EXPECT_EQ(boxes, QStringList{"The list no longer matches the results row for row; no row was removed."});
    EXPECT_EQ(list.rowCount(), 4);
}

}  // namespace
