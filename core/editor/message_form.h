// TNewMod2MessageForm: the project editor, the one window in which a mailing project is edited (the list grid
// sg1, subject, plain body, HTML body, merge placeholders, attachments and the list tools). A child of the main
// window's MDI area; at most one exists, NewMod2MessageForm, made by OpenProject (core/project/project_files.h). The
// main window sends it its Save, Edit and Tools commands as user messages. The HTML body is edited on the
// page htmlPage (html_editor_page.h). While the list loads, commands wait and the editor does not close.
#pragma once

#include "controls/explorer_button.h"

#include "core/base/tool_commands.h"
#include "core/editor/list_loader.h"
#include "platform/string_grid.h"

#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QTextEdit;
class QToolButton;
class HtmlEditorPage;
class StringGridView;
class TMsgLanguage;
struct ToolFollowUp;

class TNewMod2MessageForm : public QWidget {
    Q_OBJECT

public:
    explicit TNewMod2MessageForm(QWidget* parent = nullptr);
    ~TNewMod2MessageForm() override;

    QToolButton* sbOpenAB;        // "Import List", tool code 1
    QToolButton* sbEditAB;        // "Edit List", tool code 2
    QToolButton* SpeedButton9;    // "Unsubscribe", tool code 3
    QToolButton* SpeedButton5;    // "Verify List", tool code 4
    QToolButton* SpeedButton8;    // "Send Mailing List"
    TExplorerButton* ExplorerButton1; // "Close"
    StringGridView* sg1;
    QComboBox* SectionSymbol;     // field delimiter
    QComboBox* BoxTypeMes;        // message format: "text", "html"
    QComboBox* ComboBox3;         // e-mail column
    QLabel* lblCount;
    QLineEdit* SubjectEdt;
    QComboBox* ComboBox2;         // merge-field chooser, a drag source
    QToolButton* SpeedButton7;    // "Insert"
    QTabWidget* pcl;
    QWidget* tsMsg;
    QWidget* tsHtml;
    QTextEdit* Memo1;             // the plain editor
    HtmlEditorPage* htmlPage;     // the "WYSIWYG HTML Editor": toolbar pnlWBtools and the page WB
    QComboBox* cbAtt;             // attachment column, item 0 "None"
    QComboBox* AttachmentsLB;
    QToolButton* SpeedButton4;    // "...": the attachment chooser
    QCheckBox* cbModi;            // hidden: the modified flag
    TMsgLanguage* msl;
    QMenu* puMemo;
    QAction* miCut;
    QAction* miCopy;
    QAction* miPaste;
    QAction* miDelete;
    QAction* miUndo;
    QAction* miRedo;

    bool IsNew = true;   // created and never saved under a chosen name

    StringGrid& listGrid() { return m_grid; }
    bool modified() const;
    void setModified(bool modified);
    bool listLoading() const { return m_listLoader.busy(); }

    // The controls from ProjectIniInfo and the project's files; the project starts unmodified.
    void FillFromProject();
    // SaveMailProject with the editor's content and its save dialog; true when saved under a confirmed name.
    bool SaveProject(bool saveAs);
    void LoadListIntoGrid(const QString& fileName);
    void RetitleList();
    // The close question (editor_close_question.h); true when the editor may close.
    bool FormCloseQuery();

    // The user-message table.
    void WMSaveProject(qintptr wParam);
    void WMAttachFile();
    void WMToolCommand(qintptr code);
    void WMListChanged();
    void WMEditState(int mask);
    void WMEditCommand(int command);

    // "Import message from html file" in the main window follows the HTML page being shown.
    void postImportHtmlMenuState();

    void SectionSymbolChange();
    void BoxTypeMesChange();
    void pclChange();
    void SpeedButton7Click();
    void SpeedButton8Click();
    void SpeedButton4Click();
    void ExplorerButton1Click();
    void sg1DblClick();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QWidget* buildToolRow();
    QWidget* buildListOptionsRow();
    QWidget* buildMergeRows();
    QWidget* buildPages();
    QWidget* buildAttachmentRow();
    QToolButton* addButton(const char* name, const QString& caption, int tag = 0);
    void buildMemoMenu();
    void connectControls();
    void installDrags();

    void runListTool(ToolCode code);
    bool runGuarded(ToolCode code, ToolRequest& request);
    void applyToolFollowUp(const ToolFollowUp& followUp, const QString& delimiter);
    void takeListEditorWriteBack(const QString& delimiter);
    void fillColumnBoxes();
    void selectDelimiter(const QString& delimiter);
    void postRecordCount();
    void refreshSendingWindow();
    bool closeSendingWindows();
    void FormClose();
    void closeWindow();

    void Memo1Enter();
    void Memo1Exit();
    void sendEditState();
    bool dropOnSubject(QEvent* event);
    bool dropOnPlainEditor(QEvent* event);

    void showHtmlPageFirstTime();
    bool htmlBodyModified();
    QStringList attachmentPaths() const;
    QString caption() const;

    StringGrid m_grid;
    ListLoader m_listLoader;   // the list load with its progress window; busy while it runs
    bool m_listUnread = false;  // the list file was not read whole: a save must not replace it with the grid
    // The list read holds one record whose fields are all blank: its grid looks like an empty list's, yet it
    // counts as a record until a tool changes the list.
    bool m_blankRecordRead = false;
    bool m_closed = false;      // FormClose ran
};

extern TNewMod2MessageForm* NewMod2MessageForm;

// Registers the editor with OpenProject: it is created as a maximised child of the main window's MDI area.
void InstallProjectEditor();
