// Edit masks: each ability's bits, and a selection giving cut, copy and delete together.

#include "core/editor/edit_mask.h"

#include <gtest/gtest.h>

namespace {

TEST(EditMask, BitsOfEachAbility)
{
    EXPECT_EQ(editMaskOf({}), 0);
    EXPECT_EQ(editMaskOf({true, false, false, false}), EditUndo);
    EXPECT_EQ(editMaskOf({false, true, false, false}), EditRedo);
    EXPECT_EQ(editMaskOf({false, false, true, false}), EditPaste);
    EXPECT_EQ(editMaskOf({false, false, false, true}), EditCut | EditCopy | EditDelete);
    EXPECT_EQ(editMaskOf({true, true, true, true}), 63);
}

}  // namespace
