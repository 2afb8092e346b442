// Edit masks and edit commands of the project editor's text controls, by bit: 1 cut, 2 copy, 4 paste,
// 8 delete, 16 undo, 32 redo. Only a rich-text control (QTextEdit) answers a mask or takes a command: every
// other control gives mask 0 and ignores commands. A read-only control cannot paste, cut or delete.
#pragma once

class QWidget;

enum EditBit { EditCut = 1, EditCopy = 2, EditPaste = 4, EditDelete = 8, EditUndo = 16, EditRedo = 32 };

struct EditAbilities {
    bool canUndo = false;
    bool canRedo = false;
    bool canPaste = false;
    bool hasSelection = false;
};

// 16 undo + 32 redo + 4 paste + 11 (cut, copy, delete) when the selection is not empty.
int editMaskOf(const EditAbilities& abilities);
// The mask of control as it stands now.
int EditMask(const QWidget* control);
// Performs one edit command on control; false when control is no rich-text control or command is no single bit.
bool PerformEditCommand(QWidget* control, int command);
