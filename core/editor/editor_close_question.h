// The project editor's close question: a project with changes, or whose options were changed in the
// preferences (OptionsChanged) even without edits, asks "Save changes?" (Yes, No, Cancel). Cancel keeps the
// editor, No closes it unsaved, Yes saves and closes only when the save succeeded. No window here: the caller
// passes the question and the save.
#pragma once

#include <functional>

struct CloseQuestion {
    std::function<int()> ask;    // shows the question, answers IDYES, IDNO or IDCANCEL
    std::function<bool()> save;  // saves the project, false when it was not saved
};

// True when the editor may close.
bool EditorMayClose(bool modified, bool optionsChanged, const CloseQuestion& question);
