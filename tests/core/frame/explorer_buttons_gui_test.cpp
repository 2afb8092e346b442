// The flat explorer buttons stand where the windows place them, under their component names (so language
// files reach them), with the look each window gives them, and a click closes the window.

#include "controls/explorer_button.h"
#include "core/dialogs/about_form.h"
#include "core/frame/main_form.h"
#include "core/logs/log_viewer.h"
#include "core/sending/post_srv.h"
#include "core/verify/verify_form.h"
#include "platform/string_grid.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <functional>
#include <memory>

namespace {

using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

struct ButtonCase {
    const char* window;
    std::function<QWidget*()> open;   // the window, shown; owned by the test
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
    std::unique_ptr<QWidget> window(c.open());
    window->show();
    QCoreApplication::processEvents();
    auto* button = window->findChild<TExplorerButton*>(QLatin1String(c.name));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->Caption(), c.caption);
    EXPECT_EQ(button->Options(), c.options);
    EXPECT_EQ(button->ShadingType(), c.shading);
    button->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
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
                   "Close", boMonoDisplay | boShowBevel, stMedium}),
    [](const auto& info) { return std::string(info.param.window); });

}  // namespace
