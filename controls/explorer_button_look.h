// What the explorer button shows in each state, without a window: which bevel, which glyph, whether the
// caption looks disabled and whether the content is pushed in. The button paints what this answers.
#pragma once

#include <QFlags>

enum TExplorerButtonOption {
    boMonoDisplay = 0x1,  // the glyph shows in grey while the pointer is away
    boShowBevel = 0x2,    // the hover and pressed bevels are drawn
};
Q_DECLARE_FLAGS(TExplorerButtonOptions, TExplorerButtonOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TExplorerButtonOptions)

enum class ExplorerBevel {
    None,
    Hover,    // raised: highlight on the top and left, shadow on the bottom and right
    Pressed,  // sunken: the colours swapped
};

enum class ExplorerGlyph {
    Bitmap,             // the normal glyph
    NoFocusBitmap,      // the picture for the pointer away
    IBitmap,            // the grey glyph shaded from Bitmap
    DisabledBitmap,     // the picture for the disabled button
    EmbossedBitmap,     // the disabled look made from Bitmap
};

struct ExplorerButtonState {
    bool enabled = true;
    bool pressed = false;  // the left button went down on the button and the pointer is still over it
    bool hot = false;      // the pointer is over the button
    TExplorerButtonOptions options;
    bool hasNoFocusBitmap = false;
    bool hasDisabledBitmap = false;
};

struct ExplorerButtonLook {
    ExplorerBevel bevel = ExplorerBevel::None;
    ExplorerGlyph glyph = ExplorerGlyph::Bitmap;
    bool disabledCaption = false;
    int contentOffset = 0;  // pixels right and down that glyph and caption move while pressed
    bool operator==(const ExplorerButtonLook&) const = default;
};

ExplorerButtonLook explorerButtonLook(const ExplorerButtonState& state);
