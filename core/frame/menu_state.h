// Enabled states of the main window's menu items and tool buttons, from the kind of the active MDI child
// (menu update) and from an edit mask (edit state: 1 cut, 2 copy, 4 paste, 8 delete, 16 undo, 32 redo).
#pragma once

enum class ActiveChild {
    None,            // no MDI child, or one of another kind
    ProjectEditor,   // TNewMod2MessageForm
    SendingWindow,   // T_PostSrv
};

struct MenuState {
    bool projectCommands = false;   // Close Project, Save Project, Save Project As, Project Options
    bool saveButtons = false;       // the Save and Save as tool buttons
    bool listTools = false;         // the five Tools list items
    bool importHtml = false;        // Import message from html file
};

MenuState menuStateFor(ActiveChild active);

// An Edit item is enabled exactly when its tag's bit is set in the mask.
constexpr bool editItemEnabled(int mask, int tag)
{
    return (mask & tag) != 0;
}
