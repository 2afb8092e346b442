// The table of list tools by tool code (the codes WM_TOOLCOMMAND carries, and the sending window's two list
// dialogs), so that core opens tools that live in lists/ without depending on it: app/ fills the table at
// start-up. A code without a tool shows that the
// tool is not available yet and reports no change.
#pragma once

#include <QString>

#include <functional>

class QWidget;
class StringGrid;

enum ToolCode {
    ToolImportAddressBook = 0,   // QuarvelImportExecute
    ToolImportWizard = 1,        // ImportWizardExecute
    ToolEditList = 2,            // EditAddressBookExecute
    ToolFilterList = 3,          // FilterListExecute
    ToolVerifyList = 4,          // VerifyListExecute
    // The project editor's HTML commands (WM_TOOLCOMMAND to the editor only; no tool in the table).
    ToolHtmlImportLoaded = 5,    // an imported HTML file has loaded: copy its pictures into the project
    ToolHtmlPageLoaded = 6,      // the HTML page has loaded: its follow-up
    ToolImportHtml = 7,          // "Import message from html file"
    // The sending window's list dialogs (no WM_TOOLCOMMAND code): they answer the user's choice in the request.
    ToolSaveResults = 8,         // "Save As": the save-results dialog
    ToolDeleteFromList = 9,      // "Delete from list": the delete-from-list dialog
};

// What a tool is handed; each tool reads the fields it needs.
struct ToolRequest {
    QWidget* parent = nullptr;       // the window that opens the tool
    StringGrid* listGrid = nullptr;  // the list grid the tool works on
    QString listFileName;            // list editor: the project's list file
    QString* delimiter = nullptr;    // the list delimiter, by reference (the list editor may change it)
    int emailColumn = 0;             // verification: 0-based e-mail column
    int resultChoice = 0;            // save dialog: its option bits; delete dialog: its mode
    QString resultFileName;          // save dialog: the result file
    QString resultCodes;             // delete dialog: ";" and each chosen reply code
};

// The delimiter of the list a tool writes cells into: the request's, else the default ";".
QString listDelimiterOf(const ToolRequest& request);

// A tool runs modally and answers whether it changed the list (a dialog: whether the user confirmed it).
using ToolFunction = std::function<bool(ToolRequest& request)>;

void setToolFunction(ToolCode code, ToolFunction tool);
bool runTool(ToolCode code, ToolRequest& request);

// Tells the user that a command's window is not part of this build yet.
void showNotAvailableYet(QWidget* parent, const QString& command);
