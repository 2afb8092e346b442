// The editor's list tools: see editor_tools.h.

#include "core/editor/editor_tools.h"

#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/project/list_file.h"

namespace {

// The account the settings use now; the placeholder template while the list is empty.
tAccountObj& accountAt(int index)
{
    return index >= 0 && index < Accounts.Count() ? *Accounts.Items(index) : *Accounts.DefaultAccount();
}

}  // namespace

ToolFollowUp FollowUpOfTool(ToolCode code, bool changed)
{
    ToolFollowUp followUp;
    switch (code) {
    case ToolImportAddressBook:
        followUp.retitleList = changed;
        followUp.emailColumnFirst = changed;
        break;
    case ToolImportWizard:
        followUp.retitleList = changed;
        break;
    case ToolEditList:
        followUp.listEditorWriteBack = changed;
        followUp.postRecordCount = true;
        break;
    case ToolFilterList:
        followUp.markModified = true;   // whatever the filter reports
        followUp.postRecordCount = true;
        break;
    case ToolVerifyList:
        followUp.markModified = changed;
        followUp.postRecordCount = true;
        break;
    case ToolHtmlImportLoaded:
    case ToolHtmlPageLoaded:
    case ToolImportHtml:
    case ToolSaveResults:
    case ToolDeleteFromList:
        break;   // not list tools of the editor: no follow-up
    }
    return followUp;
}

bool EmailColumnDefined(int column, int columnCount)
{
    return column >= 0 && column < columnCount;
}

bool RunVerification(ToolRequest& request)
{
    accountInUse(ProjectIniInfo);   // NConnect := 0 when it names no account
    const int account = ProjectIniInfo.NConnect;
    const QString smtpServer = accountAt(account).SMTPServer;
    if (request.listGrid)
        CleanEmailColumn(*request.listGrid, request.emailColumn);
    const bool changed = runTool(ToolVerifyList, request);
    accountAt(account).SMTPServer = smtpServer;
    return changed;
}
