// Explorer button look by state: see explorer_button_look.h.

#include "controls/explorer_button_look.h"

namespace {

ExplorerBevel bevelIfShown(const ExplorerButtonState& state, ExplorerBevel bevel)
{
    return state.options.testFlag(boShowBevel) ? bevel : ExplorerBevel::None;
}

}  // namespace

ExplorerButtonLook explorerButtonLook(const ExplorerButtonState& state)
{
    if (!state.enabled) {
        const ExplorerGlyph glyph = state.hasDisabledBitmap ? ExplorerGlyph::DisabledBitmap
                                                            : ExplorerGlyph::EmbossedBitmap;
        return {ExplorerBevel::None, glyph, true, 0};
    }
    if (state.pressed)
        return {bevelIfShown(state, ExplorerBevel::Pressed), ExplorerGlyph::Bitmap, false, 1};

    const ExplorerBevel bevel = state.hot ? bevelIfShown(state, ExplorerBevel::Hover) : ExplorerBevel::None;
    if (state.hot || !state.options.testFlag(boMonoDisplay))
        return {bevel, ExplorerGlyph::Bitmap, false, 0};
    return {bevel, state.hasNoFocusBitmap ? ExplorerGlyph::NoFocusBitmap : ExplorerGlyph::IBitmap, false, 0};
}
