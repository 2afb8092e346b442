// The main window's "Import list" reaches the import wizard through the project editor, and the editor
// retitles the imported list, refills its column boxes and marks the project modified after Exit.

#include "core/base/tool_commands.h"
#include "core/editor/message_form.h"
#include "core/frame/main_form.h"
#include "core/project/project_attachments.h"
#include "core/project/project_files.h"
#include "core/settings/ini_info.h"
#include "lists/import_wizard.h"
#include "tests/core/modal_dialogs.h"
#include "tests/lists/list_grids.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace {

using namespace sorvanta::test;

class ImportWizardEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedDefaults = DefaultIniInfo;
        DefaultIniInfo = DefaultIniInfoValues();
        DefaultIniInfo.PathPro = testHome();
        registerImportWizardTool();
        form = std::make_unique<TMainForm>();
        form->show();
        QApplication::setActiveWindow(form.get());
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setToolFunction(ToolImportWizard, nullptr);
        DefaultIniInfo = savedDefaults;
        ProjectIniInfo = TIniInfo();
        ProjectAttachments.clear();
    }

    MessageBoxRecorder boxes{IDNO};
    std::unique_ptr<TMainForm> form;
    TIniInfo savedDefaults;
};

TEST_F(ImportWizardEditorTest, ImportListMenuImportsAndTheEditorRetitles)
{
    writeFileBytes(testHome() + "Mailing.eml", "[Common]\r\nSubject=Hello\r\n");
    writeFileBytes(testHome() + "Mailing.txt", "Ann;a@x\r\n");
    ASSERT_EQ(OpenProject(testHome() + "Mailing.eml", false), OpenProjectOutcome::Opened);
    QCoreApplication::processEvents();
    TNewMod2MessageForm* editor = NewMod2MessageForm;
    ASSERT_TRUE(editor);
    ASSERT_FALSE(editor->modified());

    const QString source = writeTestFile("more.txt", "Bob;b@x;Oslo\r\nCid;c@x;Rome\r\n");
    onNextModalOf<T_ImpVznLoad>([&](T_ImpVznLoad* wizard) {
        QCoreApplication::processEvents();
        wizard->eFile->setText(source);
        for (int step = 0; step < 3; ++step) {
            wizard->bbNext->click();
            QCoreApplication::processEvents();
        }
        wizard->bbExit->click();
    });
    auto* importItem = form->findChild<QAction*>("miImport");
    ASSERT_TRUE(importItem);
    importItem->trigger();
    QCoreApplication::processEvents();   // the tool command posted to the editor
    QCoreApplication::processEvents();   // the record count

    EXPECT_EQ(rowsOfGrid(editor->listGrid()), (std::vector<QStringList>{{"Column#1", "Column#2", "Column#3"},
                                                                        {"Ann", "a@x", ""},
                                                                        {"Bob", "b@x", "Oslo"},
                                                                        {"Cid", "c@x", "Rome"}}));
    EXPECT_TRUE(editor->modified());
    EXPECT_EQ(editor->ComboBox2->count(), 3);
    EXPECT_EQ(editor->lblCount->text(), "3 records");
}

}  // namespace
