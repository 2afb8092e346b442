// Edit masks and commands: see edit_mask.h.

#include "core/editor/edit_mask.h"

#include <QTextEdit>

int editMaskOf(const EditAbilities& abilities)
{
    int mask = 0;
    if (abilities.canUndo)
        mask |= EditUndo;
    if (abilities.canRedo)
        mask |= EditRedo;
    if (abilities.canPaste)
        mask |= EditPaste;
    if (abilities.hasSelection)
        mask |= EditCut | EditCopy | EditDelete;
    return mask;
}

int EditMask(const QWidget* control)
{
    const auto* edit = qobject_cast<const QTextEdit*>(control);
    if (!edit)
        return 0;
    EditAbilities abilities;
    abilities.canUndo = edit->document()->isUndoAvailable();
    abilities.canRedo = edit->document()->isRedoAvailable();
    abilities.canPaste = edit->canPaste();
    abilities.hasSelection = edit->textCursor().hasSelection();
    return editMaskOf(abilities);
}

bool PerformEditCommand(QWidget* control, int command)
{
    auto* edit = qobject_cast<QTextEdit*>(control);
    if (!edit)
        return false;
    switch (command) {
    case EditCut: edit->cut(); return true;
    case EditCopy: edit->copy(); return true;
    case EditPaste: edit->paste(); return true;
    case EditDelete:
        if (!edit->isReadOnly())
            edit->textCursor().removeSelectedText();
        return true;
    case EditUndo: edit->undo(); return true;
    case EditRedo: edit->redo(); return true;
    default: return false;
    }
}
