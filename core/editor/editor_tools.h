// The project editor's list tools by tool code: what follows each tool's run, the e-mail column check that
// the verification needs, and the verification itself with the account's SMTP server name kept. The tools
// run through core/base/tool_commands.h; the window applies the follow-ups.
#pragma once

#include "core/base/tool_commands.h"

struct ToolFollowUp {
    bool retitleList = false;         // new titles and column boxes; marks the project modified
    bool emailColumnFirst = false;    // the e-mail column becomes 0, where the import put the addresses
    bool listEditorWriteBack = false; // the list editor's delimiter, titles and boxes; marks it modified
    bool markModified = false;
    bool postRecordCount = false;
};

// The follow-up of tool code after its run; changed is what the tool reported.
ToolFollowUp FollowUpOfTool(ToolCode code, bool changed);

// The verification works on the e-mail column: it must be a column of the list.
bool EmailColumnDefined(int column, int columnCount);

// The verification of the project's list: NConnect reset to 0 when it names no account, the e-mail column
// cleaned, the tool run, and the account's SMTP server name set back to what it was, since the verification
// window may change it. Answers what the tool reported.
bool RunVerification(ToolRequest& request);
