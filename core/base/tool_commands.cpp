// Tool table: see tool_commands.h.

#include "core/base/tool_commands.h"

#include "platform/widgets/message_box.h"

#include <QCoreApplication>

#include <array>

namespace {

constexpr int ToolCount = ToolDeleteFromList + 1;

std::array<ToolFunction, ToolCount>& toolTable()
{
    static std::array<ToolFunction, ToolCount> table;
    return table;
}

QString toolCaption(ToolCode code)
{
    switch (code) {
    case ToolImportAddressBook: return QStringLiteral("Import from Trellion");
    case ToolImportWizard: return QStringLiteral("Import list");
    case ToolEditList: return QStringLiteral("Edit list");
    case ToolFilterList: return QStringLiteral("Unsubscribe / Filter");
    case ToolVerifyList: return QStringLiteral("Verify List");
    case ToolImportHtml: return QStringLiteral("Import message from html file");
    case ToolSaveResults: return QStringLiteral("Save As");
    case ToolDeleteFromList: return QStringLiteral("Delete from list");
    case ToolHtmlImportLoaded:
    case ToolHtmlPageLoaded: break;
    }
    return QString();
}

bool validCode(ToolCode code)
{
    return code >= 0 && code < ToolCount;
}

}  // namespace

QString listDelimiterOf(const ToolRequest& request)
{
    return request.delimiter && !request.delimiter->isEmpty() ? *request.delimiter : QStringLiteral(";");
}

void setToolFunction(ToolCode code, ToolFunction tool)
{
    if (validCode(code))
        toolTable()[code] = std::move(tool);
}

bool runTool(ToolCode code, ToolRequest& request)
{
    if (validCode(code) && toolTable()[code])
        return toolTable()[code](request);
    showNotAvailableYet(request.parent, validCode(code) ? toolCaption(code) : QStringLiteral("This tool"));
    return false;
}

void showNotAvailableYet(QWidget* parent, const QString& command)
{
    messageBox(parent, QStringLiteral("\"%1\" is not available yet.").arg(command),
               QCoreApplication::applicationName(), MB_OK | MB_ICONINFORMATION);
}
