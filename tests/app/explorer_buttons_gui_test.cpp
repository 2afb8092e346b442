// The flat explorer buttons of the eleven windows that close with one: each stands under its component name
// (so language files reach it), with the look its window gives it, and a click closes the window.

#include "controls/explorer_button.h"
#include "core/dialogs/about_form.h"
#include "core/editor/message_form.h"
#include "core/frame/main_form.h"
#include "core/logs/log_viewer.h"
#include "core/sending/post_srv.h"
#include "core/verify/verify_form.h"
#include "lists/db_maker_window.h"
#include "lists/filter_window.h"
#include "lists/list_editor_window.h"
#include "lists/quarvel_import.h"
#include "lists/replace_window.h"
#include "platform/string_grid.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/web_engine_env.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>

#include <functional>

namespace {

using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

const bool engineReady = (sorvanta::test::prepareWebEngineForTests(), true);   // the project editor's HTML page

struct ButtonCase {
    const char* window;
    std::function<QWidget*()> open;   // the window; the test deletes it unless closing did
    const char* name;
    QString caption;
    TExplorerButtonOptions options;
    TExplorerButtonShadingType shading;
};

StringGrid& addressList()
{
    static StringGrid list(1, 2);
    list.setCell(0, 1, "a@example.test");
    return list;
}

class ExplorerButtonPlacement : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ExplorerButtonPlacement, StandsUnderItsNameAndClosesTheWindow)
{
    const ButtonCase& c = GetParam();
    MessageBoxRecorder boxes(IDYES);
    QPointer<QWidget> window(c.open());
    window->show();
    QCoreApplication::processEvents();
    auto* button = window->findChild<TExplorerButton*>(QLatin1String(c.name));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->Caption(), c.caption);
    EXPECT_EQ(button->Options(), c.options);
    EXPECT_EQ(button->ShadingType(), c.shading);
    button->click();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull() || !window->isVisible());
    delete window.data();
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ExplorerButtonPlacement,
    ::testing::Values(
        ButtonCase{"main_window", [] { return new TMainForm; }, "ExplorerButton1", "Exit",
                   boMonoDisplay | boShowBevel, stMedium},
        ButtonCase{"about_box", [] { return new TAboutForm; }, "OKButton", "OK", boShowBevel, stDark},
        ButtonCase{"log_viewer",
                   [] { return new T_logs(writeTestFile("send.log", ""), "Ok", "No"); }, "ExplorerButton1",
                   "Close", boMonoDisplay | boShowBevel, stMedium},
        ButtonCase{"verification", [] { return new TVerifyForm(addressList(), 0); }, "ExplorerButton1", "Close",
                   boMonoDisplay | boShowBevel, stMedium},
        ButtonCase{"sending_window", [] { return new T_PostSrv(&addressList(), {"email"}); }, "ExplorerButton1",
                   "Close", boMonoDisplay | boShowBevel, stMedium},
        ButtonCase{"project_editor", [] { return new TNewMod2MessageForm; }, "ExplorerButton1", "Close",
                   boMonoDisplay | boShowBevel, stMedium},
        ButtonCase{"address_book_import", [] { return new T_Quarvel; }, "bbClose", "Close",
                   boMonoDisplay | boShowBevel, stMedium},
        ButtonCase{"list_editor", [] { return new T_EditAB(addressList(), testHome() + "list.txt", ";"); },
                   "ExplorerButton1", "Close", boMonoDisplay | boShowBevel, stMedium},
        ButtonCase{"find_replace", [] { return new T_Replace(addressList()); }, "ExplorerButton5", "Close",
                   boMonoDisplay | boShowBevel, stMedium},
        ButtonCase{"keyword_filter", [] { return new TFilterForm1(addressList()); }, "ExplorerButton1", "Close",
                   boMonoDisplay | boShowBevel, stMedium},
        ButtonCase{"db_maker", [] { return new TfFas; }, "ExplorerButton1", "Close", boMonoDisplay | boShowBevel,
                   stMedium}),
    [](const auto& info) { return std::string(info.param.window); });

}  // namespace
