// Mailing project files: a project is PathPro + ProjectName of ProjectIniInfo plus an extension: ".eml" (an
// ini file: "Common" settings, "Attachment" paths, the scheduler's "MailTask", which every rewrite keeps),
// ".txt" (the list), ".mml" (the plain body), ".htm" (the HTML body), ".hcr" colours and a picture folder.
// Opening, naming new "noname<k>" projects and the save decisions live here without a window; the project
// editor supplies its texts and its save dialog. A failed write is reported and the save answers false.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class StringGrid;

inline constexpr char projectExtension[] = ".eml";
inline constexpr char listExtension[] = ".txt";
inline constexpr char plainBodyExtension[] = ".mml";
inline constexpr char htmlBodyExtension[] = ".htm";
inline constexpr char colourExtension[] = ".hcr";

// ProjectIniInfo.PathPro + ProjectIniInfo.ProjectName + extension.
QString ProjectFilePath(const QString& extension);
// name with ".eml" appended unless it already ends in ".eml" (any case).
QString WithProjectExtension(const QString& name);
// The file-name part of a project file name less its ".eml" (any case); a name without it is kept whole.
QString ProjectNameOfFile(const QString& fileName);

// pattern with "%d" replaced by the smallest k >= 0 for which nothing of that name exists in PathPro: no
// file with extension, no picture folder and no colour file (".hcr", "1.hcr", "2.hcr", "3.hcr").
QString FirstFreeProjectName(const QString& pattern, const QString& extension);
// Deletes folder + name + ".eml", ".mml", ".htm", ".hcr" and ".txt" where they exist.
void DeleteProjectFiles(const QString& folder, const QString& name);

// Reads the project file into ProjectIniInfo (defaults: its current values, which OpenProject copied from
// DefaultIniInfo) and ProjectAttachments; copies a legacy "AddressBook" list in place of a missing list file;
// clears OptionsChanged. A missing or unreadable file leaves the defaults.
void LoadMailProject();
// Writes the "Common" keys of ProjectIniInfo in their order and "Attachment" from attachmentPaths (up to the
// first empty one), keeping every other section. On failure answers false and sets *error.
bool WriteMailProjectFile(const QStringList& attachmentPaths, QString* error = nullptr);

// The bodies as text: the plain body (empty when there is no ".mml" file), the HTML source (nullopt when there is
// no ".htm" file: the editor then makes a blank document) and writing the HTML source to fileName (CR LF after
// every line, atomically; false with *error on failure).
QString ReadPlainBody();
std::optional<QString> ReadHtmlBody();
bool WriteHtmlBody(const QString& fileName, const QString& html, QString* error = nullptr);

// The parts of opening a project that need no window. ProjectIniInfo := DefaultIniInfo; a new project (path: a
// folder followed by "*.eml") starts with no attachments and OptionsChanged clear, goes to DefaultIniInfo.PathPro
// when that folder exists or can be made, else to path's folder, is named FirstFreeProjectName("noname%d",
// ".eml") and its stale files are deleted; an existing project (path: its ".eml" file) is read with
// LoadMailProject.
void OpenProjectFiles(const QString& path, bool isNew);

// How OpenProject drives the project editor; the editor's code registers them.
struct ProjectEditorHooks {
    std::function<bool()> isOpen;                     // an editor exists
    std::function<void()> askToClose;                 // its close question may keep it open
    std::function<void()> bringToFront;
    std::function<bool(bool isNew)> create;           // create, translate, show on the plain page; false (or a
                                                      // throw) when the window could not be made
    std::function<void(bool isNew)> fillFromProject;  // controls from the project, which starts unmodified
};
void SetProjectEditorHooks(ProjectEditorHooks hooks);

// How OpenProject ended; the caller (the main window) tells the user when the editor could not be made.
enum class OpenProjectOutcome {
    Opened,            // the project is open in the editor
    EditorKept,        // the open editor refused to close and came to the front
    EditorNotCreated,  // the editor window could not be made (or no editor is registered)
};

// Closes the open editor (which may refuse), creates a new one, opens the project's files and fills the editor.
OpenProjectOutcome OpenProject(const QString& path, bool isNew);

// What the editor holds and the save writes.
struct ProjectContent {
    QString subject;
    int column = 0;                 // e-mail box index, -1 when nothing is selected
    int columnA = 0;                // attachment-column box index (0 "None")
    QStringList attachmentPaths;    // the attachment box's items in order
    const StringGrid* list = nullptr;
    bool keepListFile = false;      // the list file could not be read: the save leaves it untouched
    QString plainBody;              // the plain editor's text
    bool htmlModified = false;      // the document has changes (a missing ".htm" file counts as well)
    std::function<bool(const QString& fileName, QString* error)> writeHtmlBody;
};

// The editor's own flags that a save changes.
struct ProjectEditorState {
    bool isNew = true;
    bool modified = true;
};

// The save dialog: title and preset file name in; the chosen file name out, nullopt when cancelled.
using SaveFileChooser = std::function<std::optional<QString>(const QString& title, const QString& fileName)>;

// Saves the project (the editor's SaveMailProject). The dialog is asked unless the project is not new, has a
// name and saveAs is false. Confirmed or not, the ".eml", the list and the plain body are written under the
// current name; the HTML body too when the dialog was confirmed or skipped and it is modified or its file under
// the current name is missing (so Save As takes it along). The list is left as it is when keepListFile is set.
// A write failure is shown (the list's as "Address Book Save Error : <file>", others as "File Save Error :
// <file>"). True, with the project no longer new nor modified, only when the dialog was confirmed or skipped and
// every write succeeded; a new project saved as another name then loses its old files. messages: the editor's msl texts.
bool SaveMailProject(bool saveAs, const ProjectContent& content, ProjectEditorState& state,
                     const QStringList& messages, const SaveFileChooser& chooseFileName);
