// The main window: see main_form.h.

#include "core/base/widget_factory.h"
#include "core/frame/main_form.h"

#include "core/dialogs/about_form.h"
#include "core/base/close_query.h"
#include "core/settings/accounts.h"
#include "core/project/attachment_manager.h"
#include "core/settings/ini_info.h"
#include "core/language/language_file.h"
#include "core/language/language_menu.h"
#include "core/editor/message_form.h"
#include "core/language/msg_language.h"
#include "core/preferences/preferences_form.h"
#include "core/project/project_files.h"
#include "core/base/text_helpers.h"
#include "core/base/window_host.h"
#include "core/base/tool_commands.h"
#include "core/base/user_messages.h"
#include "platform/widgets/drop_down_accessible.h"
#include "platform/widgets/focused_editor.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/render_window_hider.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

TMainForm* MainForm = nullptr;

namespace {

// Indexes into the main window's msl.
enum MainMessage {
    MsgFileNotFound = 0,
    MsgAttention = 1,
    MsgOpenProject = 2,
    MsgNoConnection = 3,
    MsgError = 4,
    MsgQuit = 5,
    MsgRelaunch = 6,
};

QStringList mainMessages()
{
    return {
        QStringLiteral("File not found"),
        QStringLiteral("Attention"),
        QStringLiteral("Open Project"),
        QStringLiteral("No Internet connection.."),
        QStringLiteral("Error"),
        QStringLiteral("Do you want to quit the program?"),
        QStringLiteral("Relaunch program, use main menu \"Edit/HTML Class Registration\" !"),
    };
}

enum EditTag { EditCut = 1, EditCopy = 2, EditPaste = 4, EditDelete = 8, EditUndo = 16, EditRedo = 32 };

// The Window menu's items by tag.
enum WindowTag { WindowTile = 1, WindowCascade, WindowCloseAll, WindowArrangeIcons, WindowNext, WindowPrevious };


QString withTrailingSlash(const QString& folder)
{
    return folder.endsWith('/') ? folder : folder + '/';
}

// The folder part of a path, its last "/" included ("" when there is none).
QString folderPart(const QString& path)
{
    return path.left(path.lastIndexOf('/') + 1);
}

// A menu caption shows "&" as a mnemonic mark; a path must show as it is.
QString menuCaption(const QString& text)
{
    return QString(text).replace('&', QLatin1String("&&"));
}

}  // namespace

QString helpFilePath()
{
    return ProgramFolder() + QStringLiteral("merge.hlp");
}

TMainForm::TMainForm(const CommandLineRequest& commandLine, QWidget* parent)
    : QMainWindow(parent),
      msl(new TMsgLanguage(this, mainMessages())),
      m_mdiArea(new QMdiArea(this)),
      m_img(QStringLiteral(":/images/background.png")),
      m_commandLine(commandLine)
{
    MainForm = this;
    WindowHost::registerMainWindow(this, m_mdiArea, &m_commandLine, &m_openFileName);
    new RenderWindowHider(this);   // the HTML page's scene window is no frame for screen readers
    DropDownAccessible::install();   // drop-downs named after their labels, not their current items
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Sorvanta"));
    resize(900, 640);

    // The Open dialog starts in the projects' folder (the program folder holds only the program's own files).
    m_openFileName = DefaultIniInfo.PathPro.isEmpty() ? ProgramFolder() : withTrailingSlash(DefaultIniInfo.PathPro);

    m_mdiArea->setObjectName(QStringLiteral("ClientArea"));
    // A child taller or wider than the area (the editor at 144 DPI on a 768-pixel screen) can be scrolled to.
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (!m_img.isNull())
        m_mdiArea->setBackground(QBrush(m_img));   // tiled from the top-left corner
    setCentralWidget(m_mdiArea);

    buildMenus();
    buildToolBar();
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));

    m_reopenList.load();
    rebuildReopenMenu();
    InstallProjectEditor();
    (new TAttachmentManager(this))->Loaded();   // keeps "attach.idx" in the program folder

    WindowMessage::post(this, WM_UPDATEMENUS);
    WindowMessage::post(this, WM_EDITSTATE, 0);
    connect(qApp, &QApplication::focusChanged, this, &TMainForm::updateEditItems);
    BuildLanguageMenu(findChild<QMenu*>(QStringLiteral("miLang")), this);
}

TMainForm::~TMainForm()
{
    // Closing the children below moves the focus; the edit items are gone by then.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    if (MainForm == this)
        MainForm = nullptr;
    WindowHost::unregisterMainWindow(this);
}

// ---- menus and tool bar ----

QAction* TMainForm::addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

// An item with the desktop's key sequences for key (all of them: a platform may bind more than one).
QAction* TMainForm::addItem(QMenu* menu, const char* name, const QString& caption, QKeySequence::StandardKey key)
{
    QAction* action = addItem(menu, name, caption);
    action->setShortcuts(key);
    return action;
}

// Items that exist for the language files but are never shown and do nothing.
void TMainForm::addHiddenItem(QMenu* menu, const char* name, const QString& caption)
{
    addItem(menu, name, caption)->setVisible(false);
}

void TMainForm::buildMenus()
{
    buildFileMenu();
    buildEditMenu();
    buildToolsMenu();
    buildWindowMenu();
    buildAboutMenu();
}

void TMainForm::buildFileMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&File"));
    menu->setObjectName(QStringLiteral("File1"));
    connect(addItem(menu, "NewMessagesimple1", tr("New Project"), QKeySequence::New), &QAction::triggered, this,
            &TMainForm::NewMessagesimple1Click);
    connect(addItem(menu, "OpenMailMergeProject1", tr("Open Project"), QKeySequence::Open), &QAction::triggered,
            this, &TMainForm::OpenMailMergeProject1Click);
    m_reopenMenu = menu->addMenu(tr("Reopen"));
    m_reopenMenu->setObjectName(QStringLiteral("Reopen1"));
    m_miSave = addItem(menu, "miSave", tr("Save Project"), QKeySequence::Save);
    connect(m_miSave, &QAction::triggered, this, [this] { miSaveClick(0); });
    m_miSaveAs = addItem(menu, "miSaveAs", tr("Save Project As"), QKeySequence::SaveAs);
    connect(m_miSaveAs, &QAction::triggered, this, [this] { miSaveClick(1); });
    m_miClose = addItem(menu, "miClose", tr("Close Project"));
    connect(m_miClose, &QAction::triggered, this, &TMainForm::miCloseClick);
    QAction* attach = addItem(menu, "OpenAttachment1", tr("Attach File"), QKeySequence(tr("Ctrl+A")));
    attach->setVisible(false);
    connect(attach, &QAction::triggered, this, &TMainForm::OpenAttachment1Click);
    addHiddenItem(menu, "EditFilterMailingList1", tr("Edit / Filter Mailing List"));
    addHiddenItem(menu, "SendImmediately1", tr("Send Immediately"));
    addHiddenItem(menu, "TestSMTPServerExample1", tr("Test - SMTP Server Example"));
    menu->addSeparator();
    connect(addItem(menu, "Exit1", tr("E&xit"), QKeySequence(tr("Ctrl+Q"))), &QAction::triggered, this,
            &QWidget::close);
}

void TMainForm::buildEditMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Edit"));
    menu->setObjectName(QStringLiteral("Edit1"));
    // Keys named for the program stay; Delete and Redo take the desktop's.
    struct Item { const char* name; QString caption; int tag; QList<QKeySequence> shortcuts; };
    const Item items[] = {
        {"Cut1", tr("Cut"), EditCut, {QKeySequence(tr("Ctrl+X"))}},
        {"Copy1", tr("Copy"), EditCopy, {QKeySequence(tr("Ctrl+C"))}},
        {"Paste1", tr("Paste"), EditPaste, {QKeySequence(tr("Ctrl+V"))}},
        {"Delete1", tr("Delete"), EditDelete, QKeySequence::keyBindings(QKeySequence::Delete)},
        {"Undo1", tr("Undo"), EditUndo, {QKeySequence(tr("Ctrl+Z"))}},
        {"Redo1", tr("Redo"), EditRedo, QKeySequence::keyBindings(QKeySequence::Redo)},
    };
    connect(menu, &QMenu::aboutToShow, this, &TMainForm::updateEditItems);
    for (const Item& item : items) {
        QAction* action = addItem(menu, item.name, item.caption);
        action->setShortcuts(item.shortcuts);
        action->setData(item.tag);
        connect(action, &QAction::triggered, this, [this, tag = item.tag] { EditItemClick(tag); });
        m_editItems << action;
    }
    menu->addSeparator();
    m_miImporthtml = addItem(menu, "miImporthtml", tr("Import message from html file"));
    m_miImporthtml->setData(5);
    connect(m_miImporthtml, &QAction::triggered, this, &TMainForm::miImporthtmlClick);
    addHiddenItem(menu, "SelectAll1", tr("Select All"));
    addHiddenItem(menu, "Findtext1", tr("Find text"));
    addItem(menu, "Findagain1", tr("Find again"), QKeySequence(Qt::Key_F3))->setVisible(false);
    addHiddenItem(menu, "HTMLClassRegistration1", tr("HTML Class Registration"));
}

void TMainForm::buildToolsMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("Tools"));
    menu->setObjectName(QStringLiteral("Tools1"));
    struct Item { const char* name; QString caption; ToolCode code; };
    const Item items[] = {
        {"miEdit", tr("Edit list"), ToolEditList},
        {"miFilter", tr("Unsubscribe / Filter"), ToolFilterList},
        {"miImport", tr("Import list"), ToolImportWizard},
        {"miImportTL", tr("Import from Trellion"), ToolImportAddressBook},
        {"miVerify", tr("Verify List"), ToolVerifyList},
    };
    for (const Item& item : items) {
        QAction* action = addItem(menu, item.name, item.caption);
        action->setData(int(item.code));
        connect(action, &QAction::triggered, this, [this, code = item.code] { ToolItemClick(code); });
        m_listTools << action;
    }
    menu->addSeparator();
    m_miPrOptions = addItem(menu, "miPrOptions", tr("Project Options"));
    connect(m_miPrOptions, &QAction::triggered, this, &TMainForm::miPrOptionsClick);
    connect(addItem(menu, "Preferences1", tr("Default Options")), &QAction::triggered, this,
            &TMainForm::Preferences1Click);
}

void TMainForm::buildWindowMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Window"));
    menu->setObjectName(QStringLiteral("Window1"));
    menu->menuAction()->setVisible(false);
    struct Item { const char* name; QString caption; int tag; QKeySequence shortcut; };
    const Item items[] = {
        {"Tile1", tr("&Tile"), WindowTile, {}},
        {"Cascade1", tr("&Cascade"), WindowCascade, {}},
        {"CloseAll1", tr("Close &All"), WindowCloseAll, {}},
        {"ArrangeIcons1", tr("Arrange Icons"), WindowArrangeIcons, {}},
        {"Next1", tr("&Next"), WindowNext, QKeySequence(Qt::Key_F6)},
        {"Previous1", tr("&Previous"), WindowPrevious, QKeySequence(Qt::SHIFT | Qt::Key_F6)},
    };
    for (const Item& item : items) {
        QAction* action = addItem(menu, item.name, item.caption, item.shortcut);
        action->setData(item.tag);
        connect(action, &QAction::triggered, this, [this, tag = item.tag] { WindowItemClick(tag); });
        addAction(action);   // the menu is hidden: its short cuts work through the window
    }
}

void TMainForm::buildAboutMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&About"));
    menu->setObjectName(QStringLiteral("About1"));
    connect(addItem(menu, "About2", tr("&About")), &QAction::triggered, this, &TMainForm::About2Click);
    connect(addItem(menu, "Help1", tr("Help"), QKeySequence::HelpContents), &QAction::triggered, this,
            &TMainForm::Help1Click);
    menu->addMenu(tr("Language"))->setObjectName(QStringLiteral("miLang"));   // filled by BuildLanguageMenu
}

QToolButton* TMainForm::addToolButton(QToolBar* bar, const char* name, const QString& caption, const char* icon)
{
    auto* button = new QToolButton(this);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setIcon(QIcon(QStringLiteral(":/images/%1.png").arg(QLatin1String(icon))));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

void TMainForm::buildToolBar()
{
    QToolBar* bar = addToolBar(tr("Tool bar"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    connect(addToolButton(bar, "sbNew", tr("New"), "new"), &QToolButton::clicked, this,
            &TMainForm::NewMessagesimple1Click);
    connect(addToolButton(bar, "sbOpen", tr("Open"), "open"), &QToolButton::clicked, this,
            &TMainForm::OpenMailMergeProject1Click);
    m_sbSave = addToolButton(bar, "sbSave", tr("Save"), "save");
    connect(m_sbSave, &QToolButton::clicked, this, [this] { miSaveClick(0); });
    m_sbSaveAs = addToolButton(bar, "sbSaveAs", tr("Save as"), "saveas");
    connect(m_sbSaveAs, &QToolButton::clicked, this, [this] { miSaveClick(1); });
    m_sbPrOptions = addToolButton(bar, "sbPrOptions", tr("Project Options"), "projectoptions");
    connect(m_sbPrOptions, &QToolButton::clicked, this, &TMainForm::miPrOptionsClick);
    connect(addToolButton(bar, "sbOptions", tr("Default Options"), "options"), &QToolButton::clicked, this,
            &TMainForm::Preferences1Click);
    bar->addSeparator();
    auto* exitButton = makeExplorerButton(this, "ExplorerButton1", tr("Exit"), "exit");
    bar->addWidget(exitButton);
    connect(exitButton, &QAbstractButton::clicked, this, &QWidget::close);
}

// ---- the reopen list ----

void TMainForm::rebuildReopenMenu()
{
    m_reopenMenu->clear();
    for (const QString& path : m_reopenList.paths()) {
        QAction* action = m_reopenMenu->addAction(menuCaption(path));
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { ReopenItemClick(path); });
    }
    m_reopenMenu->menuAction()->setEnabled(!m_reopenList.isEmpty());
}

void TMainForm::AddToReopenList(const QString& path)
{
    m_reopenList.add(path);
    rebuildReopenMenu();
}

void TMainForm::ReopenItemClick(const QString& path)
{
    m_openFileName = path;
    if (!QFileInfo(path).isFile()) {
        messageBox(this, msl->text(MsgFileNotFound) + QStringLiteral(" : ") + path, msl->text(MsgAttention),
                   MB_OK | MB_ICONQUESTION);
        return;
    }
    AddToReopenList(path);
    openProject(path, false);
}

// ---- the user-message table ----

bool TMainForm::event(QEvent* event)
{
    WindowMessage* message = WindowMessage::from(event);
    if (!message)
        return QMainWindow::event(event);
    switch (message->msg) {
    case WM_UPDATEMENUS: WMUpdateMenus(); break;
    case WM_TOOLCOMMAND: WMToolCommand(message->wParam, message->lParam); break;
    case WM_TRANSLATE: WMTranslate(message->wParam, message->lParam); break;
    case WM_LISTCHANGED: WMListChanged(); break;
    case WM_REFRESHSEND: WMRefreshSend(); break;
    case WM_EDITSTATE: WMEditState(int(message->wParam)); break;
    default: return QMainWindow::event(event);
    }
    return true;
}

void TMainForm::WMUpdateMenus()
{
    const MenuState state = menuStateFor(activeChild());
    for (QAction* action : {m_miClose, m_miSave, m_miSaveAs, m_miPrOptions})
        action->setEnabled(state.projectCommands);
    m_sbPrOptions->setEnabled(state.projectCommands);
    m_sbSave->setEnabled(state.saveButtons);
    m_sbSaveAs->setEnabled(state.saveButtons);
    for (QAction* action : m_listTools)
        action->setEnabled(state.listTools);
    m_miImporthtml->setEnabled(state.importHtml);
}

void TMainForm::WMToolCommand(qintptr request, qintptr argument)
{
    switch (request) {
    case RequestAddToReopenList:
        if (const auto* path = reinterpret_cast<const QString*>(argument))
            AddToReopenList(*path);
        break;
    case RequestImportHtmlMenuState:
        m_miImporthtml->setEnabled(argument == 1);
        break;
    default:
        break;
    }
}

void TMainForm::WMTranslate(qintptr which, qintptr window)
{
    if (which == 0 && window)
        TranslateForm(reinterpret_cast<QWidget*>(window));
    else if (which == 1)
        TranslateOpenWindows(this, m_mdiArea);
}

void TMainForm::WMListChanged()
{
    WindowMessage::post(projectEditor(), WM_LISTCHANGED);
}

void TMainForm::WMRefreshSend()
{
    WindowMessage::post(firstChildOfClass(sendingWindowClassName), WM_REFRESHSEND);
}

void TMainForm::WMEditState(int mask)
{
    for (QAction* action : m_editItems)
        action->setEnabled(editItemEnabled(mask, action->data().toInt()));
}

// The edit items follow the text field that has the focus (none enabled without one): refreshed when the
// focus moves and before the menu opens, as selection and clipboard change in between.
void TMainForm::updateEditItems()
{
    WMEditState(FocusedEditor::commandMask(QApplication::focusWidget()));
}

// ---- MDI children ----

QWidget* TMainForm::activeChildWidget() const
{
    // The current sub-window stays current while another top-level window has the focus, as an active
    // MDI child does.
    const QMdiSubWindow* sub = m_mdiArea->currentSubWindow();
    return sub ? sub->widget() : nullptr;
}

ActiveChild TMainForm::activeChild() const
{
    const QWidget* child = activeChildWidget();
    if (isWindowOfClass(child, projectEditorClassName))
        return ActiveChild::ProjectEditor;
    if (isWindowOfClass(child, sendingWindowClassName))
        return ActiveChild::SendingWindow;
    return ActiveChild::None;
}

QWidget* TMainForm::activeProjectEditor() const
{
    return activeChild() == ActiveChild::ProjectEditor ? activeChildWidget() : nullptr;
}

QWidget* TMainForm::firstChildOfClass(const char* className) const
{
    const int index = FindMdiChild(m_mdiArea, QLatin1String(className));
    return index < 0 ? nullptr : m_mdiArea->subWindowList(QMdiArea::CreationOrder).at(index)->widget();
}

QWidget* TMainForm::projectEditor() const
{
    return firstChildOfClass(projectEditorClassName);
}

// ---- commands ----

void TMainForm::NewMessagesimple1Click()
{
    const QString folder = m_openFileName.isEmpty() ? DefaultIniInfo.PathPro : folderPart(m_openFileName);
    const QString pattern = withTrailingSlash(folder) + QStringLiteral("*.eml");
    openProject(pattern, true);
    m_openFileName = pattern;
}

QFileDialog* TMainForm::openMailProjectDialog()
{
    if (OpenMailProject)
        return OpenMailProject;
    OpenMailProject = new QFileDialog(this);
    OpenMailProject->setObjectName(QStringLiteral("OpenMailProject"));
    OpenMailProject->setOption(QFileDialog::DontUseNativeDialog);
    OpenMailProject->setFileMode(QFileDialog::ExistingFile);
    OpenMailProject->setNameFilters({tr("Eml (*.eml)"), tr("All (*)")});
    return OpenMailProject;
}

void TMainForm::OpenMailMergeProject1Click()
{
    QString folder = folderPart(m_openFileName);
    if (!QFileInfo(folder).isDir())
        folder = ProgramFolder();
    QFileDialog* dialog = openMailProjectDialog();
    dialog->setWindowTitle(msl->text(MsgOpenProject));
    dialog->setDirectory(folder);
    dialog->selectNameFilter(dialog->nameFilters().constFirst());
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    const QString chosen = dialog->selectedFiles().constFirst();
    AddToReopenList(chosen);
    openProject(chosen, false);
    m_openFileName = chosen;
}

void TMainForm::miSaveClick(int tag)
{
    if (QWidget* editor = activeProjectEditor())
        WindowMessage::send(editor, WM_SAVEPROJECT, tag);
}

void TMainForm::miCloseClick()
{
    QWidget* editor = activeProjectEditor();
    if (!editor)
        return;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder))
        if (isWindowOfClass(sub->widget(), sendingWindowClassName))
            sub->close();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(editor->parentWidget()))
        sub->close();
}

void TMainForm::OpenAttachment1Click()
{
    WindowMessage::post(activeProjectEditor(), WM_ATTACHFILE);
}

// A command acts on the text field that has the focus, wherever it is; without one it goes to the editor, which
// acts on its own focused text.
void TMainForm::EditItemClick(int tag)
{
    if (FocusedEditor::perform(QApplication::focusWidget(), tag))
        updateEditItems();
    else
        WindowMessage::post(activeProjectEditor(), WM_EDITCOMMAND, tag);
}

void TMainForm::miImporthtmlClick()
{
    WindowMessage::post(projectEditor(), WM_TOOLCOMMAND, 0, ToolImportHtml);
}

void TMainForm::ToolItemClick(int tag)
{
    WindowMessage::post(projectEditor(), WM_TOOLCOMMAND, 0, tag);
}

void TMainForm::miPrOptionsClick()
{
    const ActiveChild active = activeChild();
    if (active == ActiveChild::None)
        return;
    QWidget* child = activeChildWidget();
    if (runPreferences(PreferencesMode::Project) && active == ActiveChild::SendingWindow)
        takeSenderFromAccount(child);
}

// The sending window's sender fields follow the project's account; with no account they stay as they are.
void TMainForm::takeSenderFromAccount(QWidget* sendingWindow)
{
    if (Accounts.Count() == 0)
        return;
    const tAccountObj& account = accountInUse(ProjectIniInfo);
    if (auto* address = sendingWindow->findChild<QLineEdit*>(QStringLiteral("eEMail")))
        address->setText(account.ReturnAddress);
    if (auto* name = sendingWindow->findChild<QLineEdit*>(QStringLiteral("eName")))
        name->setText(account.Name);
}

void TMainForm::Preferences1Click()
{
    runPreferences(PreferencesMode::Default);
    m_openFileName = DefaultIniInfo.PathPro + QStringLiteral("*.eml");
}

void TMainForm::WindowItemClick(int tag)
{
    switch (tag) {
    case WindowTile: m_mdiArea->tileSubWindows(); break;
    case WindowCascade: m_mdiArea->cascadeSubWindows(); break;
    case WindowCloseAll: m_mdiArea->closeAllSubWindows(); break;
    case WindowArrangeIcons: arrangeIcons(); break;
    case WindowNext: m_mdiArea->activateNextSubWindow(); break;
    case WindowPrevious: m_mdiArea->activatePreviousSubWindow(); break;
    default: break;
    }
}

// Lines the minimised children up along the bottom edge of the client area, left to right.
void TMainForm::arrangeIcons()
{
    QPoint place(0, m_mdiArea->viewport()->height());
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized())
            continue;
        if (place.x() > 0 && place.x() + sub->width() > m_mdiArea->viewport()->width())
            place = QPoint(0, place.y() - sub->height());
        sub->move(place.x(), place.y() - sub->height());
        place.rx() += sub->width();
    }
}

void TMainForm::About2Click()
{
    AboutExecute(this);
}

void TMainForm::Help1Click()
{
    const QString path = helpFilePath();
    if (!QFileInfo(path).isFile() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        messageBox(this, msl->text(MsgFileNotFound) + QStringLiteral(" : ") + path, msl->text(MsgAttention),
                   MB_OK | MB_ICONINFORMATION);
}

bool TMainForm::openProject(const QString& path, bool isNew)
{
    const OpenProjectOutcome outcome = OpenProject(path, isNew);
    if (outcome == OpenProjectOutcome::EditorNotCreated)
        messageBox(this, msl->text(MsgRelaunch), msl->text(MsgAttention), MB_OK | MB_ICONINFORMATION);
    return outcome == OpenProjectOutcome::Opened;
}

bool TMainForm::runPreferences(PreferencesMode mode)
{
    return PreferencesExecute(mode == PreferencesMode::Default ? SettingsScope::Default : SettingsScope::Project);
}

// The command line's project is opened as Open opens it (any other name, or a project file that does not exist,
// gives a new project in its folder), so that the verification starts on that project's list and settings.
void TMainForm::createCommandLineEditor()
{
    const QString& fileName = m_commandLine.fileName;
    const bool isProjectFile =
        fileName.endsWith(QLatin1String(projectExtension), Qt::CaseInsensitive) && QFileInfo(fileName).isFile();
    const bool opened = isProjectFile ? openProject(fileName, false)
                                      : openProject(folderPart(fileName) + QStringLiteral("*.eml"), true);
    if (opened && m_commandLine.startVerification)
        WindowMessage::post(NewMod2MessageForm, WM_TOOLCOMMAND, 0, ToolVerifyList);
}

// ---- showing and closing ----

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TMainForm::FormShow()
{
    if (m_commandLine.createEditor) {
        m_openFileName = m_commandLine.fileName;
        QTimer::singleShot(0, this, &TMainForm::createCommandLineEditor);
        return;
    }
    for (QAction* action : m_editItems)
        if (action->data().toInt() & (EditCut | EditCopy | EditPaste | EditUndo))
            action->setEnabled(false);
}

// Each child's own close query runs first, as an MDI frame's close asks its children; it only asks, so a child
// stays as it was when the program goes on running.
bool TMainForm::childrenAgreeToClose()
{
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        CloseQueryEvent query;
        QCoreApplication::sendEvent(sub->widget() ? sub->widget() : sub, &query);
        if (!query.isAccepted())
            return false;
    }
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!childrenAgreeToClose()
        || messageBox(this, msl->text(MsgQuit), msl->text(MsgAttention), MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL)
               != IDYES) {
        event->ignore();
        return;
    }
    closeChildrenAtExit();
    QString error;
    if (!m_reopenList.save(&error))
        messageBox(this, ReopenList::filePath() + QStringLiteral(" : ") + error, msl->text(MsgError),
                   MB_OK | MB_ICONERROR);
    event->accept();
}

// Every child closes for real now, without asking again, so that the open project reaches the reopen list
// before the list is written.
void TMainForm::closeChildrenAtExit()
{
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        ExitCloseEvent close;
        QCoreApplication::sendEvent(sub->widget() ? sub->widget() : sub, &close);
    }
}
