// What the explorer button shows in each state: bevel, glyph, caption look and pushed-in content.

#include "controls/explorer_button_look.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr TExplorerButtonOptions mono = boMonoDisplay | boShowBevel;
constexpr TExplorerButtonOptions colour = boShowBevel;

struct LookCase {
    const char* name;
    ExplorerButtonState state;
    ExplorerButtonLook expected;
};

ExplorerButtonState state(bool hot, TExplorerButtonOptions options, bool noFocus)
{
    ExplorerButtonState s;
    s.hot = hot;
    s.options = options;
    s.hasNoFocusBitmap = noFocus;
    return s;
}

ExplorerButtonState pressed(TExplorerButtonOptions options)
{
    ExplorerButtonState s = state(true, options, true);
    s.pressed = true;
    return s;
}

ExplorerButtonState disabled(bool hot, bool hasDisabledBitmap)
{
    ExplorerButtonState s = state(hot, mono, true);
    s.enabled = false;
    s.hasDisabledBitmap = hasDisabledBitmap;
    return s;
}

class ExplorerButtonLookTest : public ::testing::TestWithParam<LookCase> {};

TEST_P(ExplorerButtonLookTest, ChoosesWhatToPaint)
{
    EXPECT_EQ(explorerButtonLook(GetParam().state), GetParam().expected);
}

using B = ExplorerBevel;
using G = ExplorerGlyph;

// hot x boMonoDisplay x NoFocusBitmap set, then pressed, disabled and no bevel.
INSTANTIATE_TEST_SUITE_P(States, ExplorerButtonLookTest, ::testing::Values(
    LookCase{"away_mono_no_picture", state(false, mono, false), {B::None, G::IBitmap, false, 0}},
    LookCase{"away_mono_picture", state(false, mono, true), {B::None, G::NoFocusBitmap, false, 0}},
    LookCase{"away_colour_no_picture", state(false, colour, false), {B::None, G::Bitmap, false, 0}},
    LookCase{"away_colour_picture", state(false, colour, true), {B::None, G::Bitmap, false, 0}},
    LookCase{"hot_mono_no_picture", state(true, mono, false), {B::Hover, G::Bitmap, false, 0}},
    LookCase{"hot_mono_picture", state(true, mono, true), {B::Hover, G::Bitmap, false, 0}},
    LookCase{"hot_colour_no_picture", state(true, colour, false), {B::Hover, G::Bitmap, false, 0}},
    LookCase{"hot_colour_picture", state(true, colour, true), {B::Hover, G::Bitmap, false, 0}},
    LookCase{"pressed_pushes_content_in", pressed(mono), {B::Pressed, G::Bitmap, false, 1}},
    LookCase{"pressed_without_bevel", pressed(boMonoDisplay), {B::None, G::Bitmap, false, 1}},
    LookCase{"hot_without_bevel", state(true, boMonoDisplay, false), {B::None, G::Bitmap, false, 0}},
    LookCase{"disabled_own_picture", disabled(false, true), {B::None, G::DisabledBitmap, true, 0}},
    LookCase{"disabled_made_from_bitmap", disabled(false, false), {B::None, G::EmbossedBitmap, true, 0}},
    LookCase{"disabled_ignores_hot", disabled(true, false), {B::None, G::EmbossedBitmap, true, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
