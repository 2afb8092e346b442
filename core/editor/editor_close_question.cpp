// The close question: see editor_close_question.h.

#include "core/editor/editor_close_question.h"

#include "platform/message_box_flags.h"

bool EditorMayClose(bool modified, bool optionsChanged, const CloseQuestion& question)
{
    if (!modified && !optionsChanged)
        return true;
    switch (question.ask()) {
    case IDYES: return question.save();
    case IDNO: return true;
    default: return false;   // Cancel, or the box closed without an answer
    }
}
