// Menu-state rules of the main window: by the kind of the active MDI child, and by the edit mask.

#include "core/frame/menu_state.h"

#include <gtest/gtest.h>

namespace {

struct MenuCase {
    const char* name;
    ActiveChild active;
    bool projectCommands;
    bool saveButtons;
    bool listTools;
};

class MenuStateTest : public ::testing::TestWithParam<MenuCase> {};

TEST_P(MenuStateTest, FollowsTheActiveChild)
{
    const MenuState state = menuStateFor(GetParam().active);
    EXPECT_EQ(state.projectCommands, GetParam().projectCommands);
    EXPECT_EQ(state.saveButtons, GetParam().saveButtons);
    EXPECT_EQ(state.listTools, GetParam().listTools);
    EXPECT_FALSE(state.importHtml);
}

INSTANTIATE_TEST_SUITE_P(Children, MenuStateTest,
                         ::testing::Values(MenuCase{"none", ActiveChild::None, false, false, false},
                                           MenuCase{"editor", ActiveChild::ProjectEditor, true, true, true},
                                           // Save Project is enabled but the Save button is not.
                                           MenuCase{"sending", ActiveChild::SendingWindow, true, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EditState, EachItemFollowsItsOwnBit)
{
    const int tags[] = {1, 2, 4, 8, 16, 32};
    for (int tag : tags) {
        EXPECT_FALSE(editItemEnabled(0, tag)) << tag;
        EXPECT_TRUE(editItemEnabled(63, tag)) << tag;
        EXPECT_TRUE(editItemEnabled(tag, tag)) << tag;
        EXPECT_FALSE(editItemEnabled(63 & ~tag, tag)) << tag;
    }
}

}  // namespace
