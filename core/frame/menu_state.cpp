// Menu-state rules: see menu_state.h.

#include "core/frame/menu_state.h"

MenuState menuStateFor(ActiveChild active)
{
    const bool editor = active == ActiveChild::ProjectEditor;
    MenuState state;
    state.projectCommands = editor || active == ActiveChild::SendingWindow;
    state.saveButtons = editor;
    state.listTools = editor;
    state.importHtml = false;
    return state;
}
