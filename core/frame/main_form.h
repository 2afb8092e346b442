// TMainForm: the program's MDI frame. It owns the menus, the tool bar, the reopen list and the status bar,
// routes the open project's commands to the project editor by user messages (core/base/user_messages.h) and
// handles the messages other windows post back. Windows it does not build yet answer "not available yet".
#pragma once

#include "core/base/command_line.h"
#include "core/base/window_host.h"
#include "core/frame/menu_state.h"
#include "core/frame/reopen_list.h"

#include <QMainWindow>
#include <QPixmap>

class QAction;
class QFileDialog;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QToolButton;
class TMsgLanguage;

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(const CommandLineRequest& commandLine = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    QMdiArea* mdiArea() const { return m_mdiArea; }
    TMsgLanguage* msl;
    // The Open dialog, made the first time Open is chosen (a file dialog takes a good part of the start-up
    // time); null until then.
    QFileDialog* OpenMailProject = nullptr;
    // OpenMailProject's file name: the project last opened, or the folder pattern of the last New.
    QString openFileName() const { return m_openFileName; }
    const ReopenList& reopenList() const { return m_reopenList; }
    const CommandLineRequest& commandLine() const { return m_commandLine; }

    // The user-message table.
    void WMUpdateMenus();
    void WMToolCommand(qintptr request, qintptr argument);
    void WMTranslate(qintptr which, qintptr window);
    void WMListChanged();
    void WMRefreshSend();
    void WMEditState(int mask);

    void NewMessagesimple1Click();
    void OpenMailMergeProject1Click();
    void ReopenItemClick(const QString& path);
    void miSaveClick(int tag);
    void miCloseClick();
    void OpenAttachment1Click();
    void EditItemClick(int tag);
    void miImporthtmlClick();
    void ToolItemClick(int tag);
    void miPrOptionsClick();
    void Preferences1Click();
    void WindowItemClick(int tag);
    void About2Click();
    void Help1Click();

    void AddToReopenList(const QString& path);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QFileDialog* openMailProjectDialog();
    enum class PreferencesMode { Default, Project };

    void buildMenus();
    void buildFileMenu();
    void buildEditMenu();
    void buildToolsMenu();
    void buildWindowMenu();
    void buildAboutMenu();
    void buildToolBar();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {});
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, QKeySequence::StandardKey key);
    void addHiddenItem(QMenu* menu, const char* name, const QString& caption);
    void updateEditItems();
    QToolButton* addToolButton(QToolBar* bar, const char* name, const QString& caption, const char* icon);
    void rebuildReopenMenu();

    void FormShow();
    void createCommandLineEditor();
    bool openProject(const QString& path, bool isNew);
    bool runPreferences(PreferencesMode mode);
    void takeSenderFromAccount(QWidget* sendingWindow);
    bool childrenAgreeToClose();
    void closeChildrenAtExit();
    void arrangeIcons();

    ActiveChild activeChild() const;
    QWidget* activeChildWidget() const;
    QWidget* activeProjectEditor() const;
    QWidget* projectEditor() const;
    QWidget* firstChildOfClass(const char* className) const;

    QMdiArea* m_mdiArea;
    QPixmap m_img;   // background tile of the MDI client
    CommandLineRequest m_commandLine;
    QString m_openFileName;
    ReopenList m_reopenList;
    bool m_shown = false;

    QMenu* m_reopenMenu = nullptr;
    QAction* m_miSave = nullptr;
    QAction* m_miSaveAs = nullptr;
    QAction* m_miClose = nullptr;
    QAction* m_miImporthtml = nullptr;
    QAction* m_miPrOptions = nullptr;
    QList<QAction*> m_editItems;   // Cut, Copy, Paste, Delete, Undo, Redo; tag in data()
    QList<QAction*> m_listTools;   // the five Tools list items; tool code in data()
    QToolButton* m_sbSave = nullptr;
    QToolButton* m_sbSaveAs = nullptr;
    QToolButton* m_sbPrOptions = nullptr;
};

extern TMainForm* MainForm;

// Program folder + "merge.hlp", the help file that the Help command opens.
QString helpFilePath();
