// FocusedEditor: see focused_editor.h.

#include "platform/widgets/focused_editor.h"

#include <QAbstractSpinBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace FocusedEditor {

namespace {

// What a field can do now, in the terms of both kinds of text edit.
struct Abilities {
    bool readOnly = true;
    bool hasSelection = false;
    bool canCopy = true;      // false for password fields
    bool canPaste = false;
    bool canUndo = false;
    bool canRedo = false;
};

Abilities abilitiesOf(const QLineEdit* edit)
{
    return {edit->isReadOnly(), edit->hasSelectedText(), edit->echoMode() == QLineEdit::Normal,
            !QGuiApplication::clipboard()->text().isEmpty(), edit->isUndoAvailable(), edit->isRedoAvailable()};
}

template <class TextEdit>
Abilities abilitiesOf(const TextEdit* edit)
{
    return {edit->isReadOnly(), edit->textCursor().hasSelection(), true, edit->canPaste(),
            edit->document()->isUndoAvailable(), edit->document()->isRedoAvailable()};
}

int maskOf(const Abilities& can)
{
    int mask = 0;
    if (can.hasSelection && !can.readOnly && can.canCopy)
        mask |= Cut;
    if (can.hasSelection && can.canCopy)
        mask |= Copy;
    if (can.canPaste && !can.readOnly)
        mask |= Paste;
    if (can.hasSelection && !can.readOnly)
        mask |= Delete;
    if (can.canUndo && !can.readOnly)
        mask |= Undo;
    if (can.canRedo && !can.readOnly)
        mask |= Redo;
    return mask;
}

bool performOn(QLineEdit* edit, int command)
{
    switch (command) {
    case Cut: edit->cut(); return true;
    case Copy: edit->copy(); return true;
    case Paste: edit->paste(); return true;
    case Delete:
        if (edit->hasSelectedText())   // del() alone would take the character after the cursor
            edit->del();
        return true;
    case Undo: edit->undo(); return true;
    case Redo: edit->redo(); return true;
    default: return false;
    }
}

template <class TextEdit>
bool performOn(TextEdit* edit, int command)
{
    switch (command) {
    case Cut: edit->cut(); return true;
    case Copy: edit->copy(); return true;
    case Paste: edit->paste(); return true;
    case Delete:
        if (!edit->isReadOnly())
            edit->textCursor().removeSelectedText();
        return true;
    case Undo: edit->undo(); return true;
    case Redo: edit->redo(); return true;
    default: return false;
    }
}

}  // namespace

QWidget* textFieldOf(QWidget* widget)
{
    if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QTextEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget))
        return widget;
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->lineEdit();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget))
        return spin->findChild<QLineEdit*>();
    return nullptr;
}

int commandMask(QWidget* widget)
{
    QWidget* field = textFieldOf(widget);
    if (auto* line = qobject_cast<QLineEdit*>(field))
        return maskOf(abilitiesOf(line));
    if (auto* rich = qobject_cast<QTextEdit*>(field))
        return maskOf(abilitiesOf(rich));
    if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
        return maskOf(abilitiesOf(plain));
    return 0;
}

bool perform(QWidget* widget, int command)
{
    QWidget* field = textFieldOf(widget);
    if (auto* line = qobject_cast<QLineEdit*>(field))
        return performOn(line, command);
    if (auto* rich = qobject_cast<QTextEdit*>(field))
        return performOn(rich, command);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
        return performOn(plain, command);
    return false;
}

QKeySequence::StandardKey standardKey(Command command)
{
    switch (command) {
    case Cut: return QKeySequence::Cut;
    case Copy: return QKeySequence::Copy;
    case Paste: return QKeySequence::Paste;
    case Delete: return QKeySequence::Delete;
    case Undo: return QKeySequence::Undo;
    case Redo: return QKeySequence::Redo;
    }
    return QKeySequence::UnknownKey;
}

}  // namespace FocusedEditor
