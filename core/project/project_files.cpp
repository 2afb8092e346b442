// Mailing project files: see project_files.h.

#include "core/project/project_files.h"

#include "core/project/html_file_text.h"

#include "core/settings/ini_info.h"
#include "core/settings/ini_section.h"
#include "core/project/list_file.h"
#include "core/project/project_attachments.h"
#include "core/project/project_editor_messages.h"
#include "core/base/text_helpers.h"
#include "core/base/window_host.h"
#include "core/base/user_messages.h"
#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "platform/message_box_flags.h"
#include "platform/string_grid.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <map>
#include <vector>

namespace {

const QString kCommon = QStringLiteral("Common");
const QString kAttachment = QStringLiteral("Attachment");
const QString kCount = QStringLiteral("Count");

ProjectEditorHooks& editorHooks()
{
    static ProjectEditorHooks hooks;
    return hooks;
}

QString withTrailingSlash(const QString& folder)
{
    return folder.endsWith('/') ? folder : folder + '/';
}

// The folder part of a path with its last "/" ("" when there is none).
QString folderPart(const QString& path)
{
    return path.left(path.lastIndexOf('/') + 1);
}

QString fileNamePart(const QString& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

bool endsWithProjectExtension(const QString& name)
{
    return name.endsWith(QLatin1String(projectExtension), Qt::CaseInsensitive);
}

bool nameIsTaken(const QString& folder, const QString& name, const QString& extension)
{
    const QStringList taken = {name + extension, name, name + colourExtension, name + "1" + colourExtension,
                               name + "2" + colourExtension, name + "3" + colourExtension};
    for (const QString& entry : taken)
        if (QFileInfo::exists(folder + entry))
            return true;
    return false;
}

// The "Common" section: one table for reading and writing. Subject, SectionSymbol, Column and ColumnA are reset
// when missing; the other keys keep the values copied from the default settings.
using CommonField = IniField<TIniInfo>;
const CommonField commonFields[] = {
    CommonField::textField("Subject", &TIniInfo::Subject).orText(""),
    CommonField::textCodec(
        "SectionSymbol", [](const TIniInfo& info) { return DelimiterName(info.SectionSymbol); },
        [](TIniInfo& info, const QString& stored) { info.SectionSymbol = DelimiterFromName(stored); })
        .orText(";"),
    CommonField::intCodec(
        "Column", [](const TIniInfo& info) { return info.Column; },
        [](TIniInfo& info, int stored) { info.Column = std::max(stored, 0); })
        .orNumber(0),
    CommonField::intField("ColumnA", &TIniInfo::ColumnA).orNumber(0),
    CommonField::textField("CharSet", &TIniInfo::CharSet),
    CommonField::intField("NIniInfo", &TIniInfo::NConnect),
    CommonField::boolField("AutoCommit", &TIniInfo::AutoCommit),
    CommonField::intField("AutoCommitT", &TIniInfo::AutoCommitT),
    CommonField::boolField("HTML", &TIniInfo::Html),
    CommonField::textField("BaseUrl", &TIniInfo::BaseUrl),
    CommonField::boolField("Create Log", &TIniInfo::CreateLog),
    CommonField::boolField("External Smtp", &TIniInfo::ExternalSmtp),
    CommonField::textField("LogFile", &TIniInfo::LogFile),
    CommonField::textField("Codes", &TIniInfo::Codes),
};

// An older project named its list in "AddressBook", absolute or relative to the project folder.
void copyLegacyList(const IniFile& ini)
{
    const QString listFile = ProjectFilePath(listExtension);
    const QString source = ini.readString(kCommon, "AddressBook", QString());
    if (source.isEmpty() || QFileInfo::exists(listFile))
        return;
    const QString path = QDir::isAbsolutePath(source) ? source : ProjectIniInfo.PathPro + source;
    if (QFileInfo(path).isFile())
        copyFileAtomically(path, listFile);   // a failed copy leaves an empty list, as a missing file does
}

// Keys "0" .. Count-1 in index order, the first entry of an index counting. "Count" is only a claim: the
// section is walked once, so neither a huge Count nor a huge section costs more than its lines.
void readAttachments(const IniFile& ini)
{
    const int count = ini.readInteger(kAttachment, kCount, 0);
    std::map<int, QString> paths;
    for (const QString& entry : ini.sectionValues(kAttachment)) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        const QString key = entry.left(equals);
        bool isNumber = false;
        const int index = key.toInt(&isNumber);
        if (isNumber && index >= 0 && index < count && key == QString::number(index))
            paths.try_emplace(index, entry.mid(equals + 1).trimmed());
    }
    for (const auto& [index, path] : paths) {
        if (!path.isEmpty())
            ProjectAttachments.append(attachmentForFile(path));
    }
}

void writeAttachments(IniFile& ini, const QStringList& paths)
{
    ini.eraseSection(kAttachment);
    int written = 0;
    for (const QString& path : paths) {
        if (path.isEmpty())
            break;
        ini.writeString(kAttachment, QString::number(written++), path);
    }
    if (written > 0)
        ini.writeInteger(kAttachment, kCount, written);
}

// The folder of a new project: the default project folder when it exists or can be made, else the folder of
// the pattern the main window built ("<folder>/*.eml").
QString newProjectFolder(const QString& path)
{
    const QString folder = ProjectIniInfo.PathPro;
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return withTrailingSlash(folder);
    const QString fromPath = QFileInfo(path).isDir() ? withTrailingSlash(path) : folderPart(path);
    return fromPath.isEmpty() ? ProgramFolder() : fromPath;
}

// The editor's text and the file, then the system's reason when there is one ("No space left on device").
void reportSaveError(const QStringList& messages, int text, const QString& fileName, const QString& reason)
{
    QString message = messages.value(text) + QStringLiteral(" : ") + fileName;
    if (!reason.isEmpty())
        message += QLatin1Char('\n') + reason;
    ShowMessageBox(message, messages.value(MsgAttention), MB_ICONINFORMATION);
}

// Where the save dialog leaves the project.
enum class DialogOutcome { Skipped, Confirmed, Cancelled };

struct SaveTarget {
    DialogOutcome outcome = DialogOutcome::Skipped;
    bool saveAs = false;         // after the dialog: false when the project's own name was chosen
    QString oldFolder;           // a new project's name before the dialog, for its clean-up
    QString oldName;
};

// Asks for the file name when needed and moves PathPro / ProjectName to the chosen one.
SaveTarget chooseSaveTarget(bool saveAs, const ProjectEditorState& state, const QStringList& messages,
                            const SaveFileChooser& chooseFileName)
{
    SaveTarget target;
    target.saveAs = saveAs;
    if (!state.isNew && !ProjectIniInfo.ProjectName.isEmpty() && !saveAs)
        return target;
    const std::optional<QString> chosen =
        chooseFileName ? chooseFileName(messages.value(MsgSaveProjectAs), ProjectFilePath(projectExtension))
                       : std::nullopt;
    if (!chosen || chosen->isEmpty()) {
        target.outcome = DialogOutcome::Cancelled;
        return target;
    }
    target.outcome = DialogOutcome::Confirmed;
    const QString fileName = WithProjectExtension(*chosen);
    if (fileName.compare(ProjectFilePath(projectExtension), Qt::CaseInsensitive) == 0) {
        target.saveAs = false;
        return target;
    }
    if (state.isNew) {
        target.oldFolder = ProjectIniInfo.PathPro;
        target.oldName = ProjectIniInfo.ProjectName;
    }
    ProjectIniInfo.PathPro = folderPart(fileName);
    ProjectIniInfo.ProjectName = ProjectNameOfFile(fileName);
    return target;
}

// Writes the list (an empty one without a grid); false when that failed (and is reported).
bool writeListFile(const StringGrid* list, const QStringList& messages)
{
    const QString listFile = ProjectFilePath(listExtension);
    const StringGrid emptyList;
    const QString delimiter = DelimiterFromName(ProjectIniInfo.SectionSymbol);
    int cellsChanged = 0;
    QString error;
    if (SaveListFile(list ? *list : emptyList, listFile, delimiter, &error, &cellsChanged)) {
        if (cellsChanged > 0)
            ShowMessageBox(messages.value(MsgListCellsFlattened).arg(cellsChanged), messages.value(MsgAttention),
                           MB_ICONINFORMATION);
        return true;
    }
    reportSaveError(messages, MsgAddressBookSaveError, listFile, error);
    return false;
}

// Writes the project file, the list and the plain body; false when any of them failed (each is reported).
bool writeProjectFiles(const ProjectContent& content, const QStringList& messages)
{
    bool allWritten = true;
    ProjectIniInfo.Subject = content.subject;
    ProjectIniInfo.Column = content.column;
    ProjectIniInfo.ColumnA = content.columnA;
    QString error;
    if (WriteMailProjectFile(content.attachmentPaths, &error)) {
        ProjectIniInfo.OptionsChanged = false;
    } else {
        reportSaveError(messages, MsgFileSaveError, ProjectFilePath(projectExtension), error);
        allWritten = false;
    }
    if (!content.keepListFile && !writeListFile(content.list, messages))
        allWritten = false;
    const QString plainFile = ProjectFilePath(plainBodyExtension);
    if (!writeTextLines(plainFile, splitLines(content.plainBody), &error)) {
        reportSaveError(messages, MsgFileSaveError, plainFile, error);
        allWritten = false;
    }
    return allWritten;
}

// The body counts as modified when the file of the current name is missing too: a project saved as another
// name must take its HTML body along even when the document is unchanged.
bool writeHtmlBody(const ProjectContent& content, const QStringList& messages)
{
    const QString htmlFile = ProjectFilePath(htmlBodyExtension);
    const bool modified = content.htmlModified || !QFileInfo(htmlFile).isFile();
    if (!ProjectIniInfo.Html || !modified || !content.writeHtmlBody)
        return true;
    QString error;
    if (content.writeHtmlBody(htmlFile, &error))
        return true;
    reportSaveError(messages, MsgFileSaveError, htmlFile, error);
    return false;
}

}  // namespace

QString ProjectFilePath(const QString& extension)
{
    return ProjectIniInfo.PathPro + ProjectIniInfo.ProjectName + extension;
}

QString WithProjectExtension(const QString& name)
{
    return endsWithProjectExtension(name) ? name : name + projectExtension;
}

QString ProjectNameOfFile(const QString& fileName)
{
    const QString name = fileNamePart(fileName);
    return endsWithProjectExtension(name) ? name.chopped(int(qstrlen(projectExtension))) : name;
}

QString FirstFreeProjectName(const QString& pattern, const QString& extension)
{
    if (!pattern.contains(QLatin1String("%d")))
        return pattern;   // every k gives the same name
    for (int k = 0;; ++k) {
        const QString name = QString(pattern).replace(QLatin1String("%d"), QString::number(k));
        if (!nameIsTaken(ProjectIniInfo.PathPro, name, extension))
            return name;
    }
}

void DeleteProjectFiles(const QString& folder, const QString& name)
{
    for (const char* extension : {projectExtension, plainBodyExtension, htmlBodyExtension, colourExtension,
                                  listExtension})
        QFile::remove(folder + name + extension);
}

void LoadMailProject()
{
    ProjectAttachments.clear();
    const IniFile ini(ProjectFilePath(projectExtension));
    readIniSection<TIniInfo>(ini, kCommon, commonFields, ProjectIniInfo);
    if (ProjectIniInfo.BaseUrl.isEmpty())
        ProjectIniInfo.BaseUrl = ProjectIniInfo.PathPro;
    copyLegacyList(ini);
    readAttachments(ini);
    ProjectIniInfo.OptionsChanged = false;
}

bool WriteMailProjectFile(const QStringList& attachmentPaths, QString* error)
{
    IniFile ini(ProjectFilePath(projectExtension));
    writeIniSection<TIniInfo>(ini, kCommon, commonFields, ProjectIniInfo);
    writeAttachments(ini, attachmentPaths);
    return ini.updateFile(error);
}

QString ReadPlainBody()
{
    return readTextFile(ProjectFilePath(plainBodyExtension)).value_or(QString());
}

std::optional<QString> ReadHtmlBody()
{
    const QString fileName = ProjectFilePath(htmlBodyExtension);
    if (!QFileInfo(fileName).isFile())
        return std::nullopt;
    return ReadHtmlFile(fileName).value_or(QString());
}

bool WriteHtmlBody(const QString& fileName, const QString& html, QString* error)
{
    return writeTextLines(fileName, splitLines(html), error);
}

void OpenProjectFiles(const QString& path, bool isNew)
{
    ProjectIniInfo = DefaultIniInfo;
    if (isNew) {
        // Nothing of the project open before comes along: no attachments, and no mark of options changed in a
        // preferences dialog of the defaults.
        ProjectAttachments.clear();
        ProjectIniInfo.OptionsChanged = false;
        ProjectIniInfo.PathPro = newProjectFolder(path);
        ProjectIniInfo.SectionSymbol = DelimiterFromName(ProjectIniInfo.SectionSymbol);
        ProjectIniInfo.ProjectName = FirstFreeProjectName(QStringLiteral("noname%d"), projectExtension);
        DeleteProjectFiles(ProjectIniInfo.PathPro, ProjectIniInfo.ProjectName);
        return;
    }
    ProjectIniInfo.PathPro = folderPart(path);
    ProjectIniInfo.ProjectName = ProjectNameOfFile(path);
    LoadMailProject();
}

void SetProjectEditorHooks(ProjectEditorHooks hooks)
{
    editorHooks() = std::move(hooks);
}

OpenProjectOutcome OpenProject(const QString& path, bool isNew)
{
    const ProjectEditorHooks& hooks = editorHooks();
    if (!hooks.isOpen || !hooks.create || !hooks.fillFromProject)
        return OpenProjectOutcome::EditorNotCreated;
    if (hooks.isOpen()) {
        if (hooks.askToClose)
            hooks.askToClose();
        if (hooks.isOpen()) {
            if (hooks.bringToFront)
                hooks.bringToFront();
            return OpenProjectOutcome::EditorKept;
        }
    }
    bool created = false;
    try {
        created = hooks.create(isNew);
    } catch (const std::exception&) {
        created = false;   // the caller shows the relaunch message
    }
    if (!created)
        return OpenProjectOutcome::EditorNotCreated;
    OpenProjectFiles(path, isNew);
    hooks.fillFromProject(isNew);
    return OpenProjectOutcome::Opened;
}

bool SaveMailProject(bool saveAs, const ProjectContent& content, ProjectEditorState& state,
                     const QStringList& messages, const SaveFileChooser& chooseFileName)
{
    const SaveTarget target = chooseSaveTarget(saveAs, state, messages, chooseFileName);
    bool allWritten = writeProjectFiles(content, messages);
    if (target.outcome == DialogOutcome::Cancelled)
        return false;
    allWritten = writeHtmlBody(content, messages) && allWritten;
    if (!allWritten)
        return false;
    if (target.outcome == DialogOutcome::Confirmed && target.saveAs && !target.oldName.isEmpty())
        DeleteProjectFiles(target.oldFolder, target.oldName);
    state.isNew = false;
    state.modified = false;
    return true;
}
