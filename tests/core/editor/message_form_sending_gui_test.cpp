// The project editor with the real sending window: Send opens it on the editor's list, and a list tool that
// changed the list makes the window build its result rows anew.

#include "core/settings/ini_info.h"
#include "core/frame/main_form.h"
#include "core/editor/message_form.h"
#include "core/sending/post_srv.h"
#include "core/project/project_files.h"
#include "core/base/tool_commands.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolButton>

#include <memory>

namespace {

using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

class EditorSendingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedDefaults = DefaultIniInfo;
        DefaultIniInfo = DefaultIniInfoValues();
        form = std::make_unique<TMainForm>();
        form->show();
        writeFileBytes(testHome() + "Mailing.eml", "[Common]\r\nColumn=1\r\n");
        writeFileBytes(testHome() + "Mailing.txt",
                       "Ann;ann@example.com\r\nBob;bob@example.com\r\nCy;cy@example.com\r\n");
        ASSERT_EQ(OpenProject(testHome() + "Mailing.eml", false), OpenProjectOutcome::Opened);
        editor = NewMod2MessageForm;
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setToolFunction(ToolFilterList, nullptr);
        DefaultIniInfo = savedDefaults;
        ProjectIniInfo = TIniInfo();
    }

    T_PostSrv* sendingWindow() const
    {
        for (QMdiSubWindow* sub : form->mdiArea()->subWindowList())
            if (auto* window = qobject_cast<T_PostSrv*>(sub->widget()))
                return window;
        return nullptr;
    }

    MessageBoxRecorder boxes;
    std::unique_ptr<TMainForm> form;
    TNewMod2MessageForm* editor = nullptr;
    TIniInfo savedDefaults;
};

TEST_F(EditorSendingTest, SendOpensTheSendingWindowOnTheEditorsList)
{
    editor->SpeedButton8->click();
    T_PostSrv* sending = sendingWindow();
    ASSERT_NE(sending, nullptr);
    EXPECT_EQ(sending->run().results.rowCount(), 4);
    EXPECT_EQ(sending->run().results.cell(0, 3), "cy@example.com");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(EditorSendingTest, AToolThatChangedTheListMakesTheResultRowsAnew)
{
    editor->SpeedButton8->click();
    T_PostSrv* sending = sendingWindow();
    ASSERT_NE(sending, nullptr);
    QCoreApplication::processEvents();   // its activation is over: only the editor's request refreshes it now
    setToolFunction(ToolFilterList, [](ToolRequest& request) {
        request.listGrid->removeRows(1, 2);
        return true;
    });
    editor->SpeedButton9->click();
    for (int hop = 0; hop < 2; ++hop)   // to the main window, then on to the sending window
        QCoreApplication::processEvents();
    EXPECT_EQ(sending->run().results.rowCount(), 2);
    EXPECT_EQ(sending->run().results.cell(0, 1), "cy@example.com");
}

}  // namespace
