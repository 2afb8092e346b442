// The user messages between the program's windows (WindowMessage numbers from WM_USER), with their
// parameters. Windows that handle one name their handler after it (WMUpdateMenus, WMToolCommand, ...).
#pragma once

#include "platform/window_message.h"

// To the main window: recompute the enabled states of menu items and tool buttons.
constexpr int WM_UPDATEMENUS = WM_USER + 2;
// To the project editor, sent: save the project; wParam 0 save, 1 save as.
constexpr int WM_SAVEPROJECT = WM_USER + 17;
// To the project editor, posted: refill the attachment box.
constexpr int WM_ATTACHFILE = WM_USER + 18;
// To the project editor: wParam 0, lParam = tool code (ToolCode, 5 to 7 the editor's HTML commands).
// To the main window: wParam a MainWindowRequest; the reopen-list request must be sent, not posted.
constexpr int WM_TOOLCOMMAND = WM_USER + 19;
// WM_TOOLCOMMAND's wParam to the main window.
enum MainWindowRequest : qintptr {
    RequestAddToReopenList = 1,     // lParam: const QString* path
    RequestImportHtmlMenuState = 3, // lParam: 1 enables "Import message from html file", 0 disables it
};
// To the main window, sent: wParam 0 with lParam = a QWidget* to translate; wParam 1: translate every window.
constexpr int WM_TRANSLATE = WM_USER + 20;
// The list changed: to the main window, which forwards it to the project editor.
constexpr int WM_LISTCHANGED = WM_USER + 21;
// To the main window, which forwards it to the sending window: settings of the project changed.
constexpr int WM_REFRESHSEND = WM_USER + 22;
// wParam = edit mask (1 cut, 2 copy, 4 paste, 8 delete, 16 undo, 32 redo): enable the Edit items.
constexpr int WM_EDITSTATE = WM_USER + 23;
// To the project editor, posted: wParam = one edit command of the mask above.
constexpr int WM_EDITCOMMAND = WM_USER + 24;
