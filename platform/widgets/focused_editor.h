// The text field that has the keyboard focus, as the Edit menu sees it: line edits (also those inside spin
// boxes, editable combo boxes and grid cell editors) and rich or plain text edits. Tells which edit commands
// apply to it now, as a mask of the menu's bits, and performs one; any other widget has mask 0 and takes none.
#pragma once

#include <QKeySequence>

class QWidget;

namespace FocusedEditor {

// The Edit menu's bits, one per command.
enum Command { Cut = 1, Copy = 2, Paste = 4, Delete = 8, Undo = 16, Redo = 32 };

// The text field behind widget (widget itself, or the line edit of a spin box or combo box), or nullptr.
QWidget* textFieldOf(QWidget* widget);
// The commands that apply to widget's text field now; 0 when it has none.
int commandMask(QWidget* widget);
// Performs command on widget's text field; false when there is none or command is not one bit.
bool perform(QWidget* widget, int command);
// The desktop's key sequence for command.
QKeySequence::StandardKey standardKey(Command command);

}  // namespace FocusedEditor
