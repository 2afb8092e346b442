// TfFas ("DB Maker"): the window around the extraction engine (lists/db_maker_engine.h) and the project model
// (lists/db_maker_project.h). Left a small file manager, in the middle the run settings and the field grid
// sgItem, below the result list lvRes. DbMakerExecute opens it for the list editor, shown or unattended.
#pragma once

#include "controls/explorer_button.h"
#include "lists/db_maker_engine.h"
#include "lists/db_maker_project.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QStandardItemModel;
class QTableWidget;
class QTreeView;
class QTreeWidget;
class TMsgLanguage;

class TfFas : public QDialog {
    Q_OBJECT

public:
    explicit TfFas(QWidget* parent = nullptr);

    TMsgLanguage* msl;
    // File manager.
    QComboBox* DriveComboBox1;        // places: root, home, mounted volumes
    QTreeView* DirectoryListBox1;     // the folder tree
    QStackedWidget* lvLoc;            // the folder's entries: icons and list, or details
    QPushButton* sbMakeDir;
    QPushButton* sbRemoveDir;
    QPushButton* sbRename;
    QPushButton* sbDelete;
    QPushButton* sbView;
    QPushButton* sbRun;
    QPushButton* sbViewStyle;         // its menu sets the view of lvLoc (tags 0-3)
    // Run settings.
    QLineEdit* eMask;
    QLineEdit* eBegin;
    QLineEdit* eEnd;
    QCheckBox* cbL;
    QLineEdit* eL;
    QCheckBox* cbIn;
    QWidget* pnlIn;
    QRadioButton* rbT;
    QLineEdit* eT;
    QRadioButton* rbD;
    QLineEdit* eD;
    QCheckBox* cb2_1;
    QCheckBox* rbSplit;               // hidden: only a project file sets it
    QWidget* pnlF;
    QTableWidget* sgItem;
    QMenu* pmField;
    QPushButton* sbAddRow;
    QPushButton* sbDeleteRow;
    // Results.
    QTreeWidget* lvRes;
    QLineEdit* eRz;
    QPushButton* sbFas;
    QPushButton* sbStop;
    QPushButton* sbExcel;
    QPushButton* sbApply;
    TExplorerButton* ExplorerButton1; // "Close"
    QPushButton* sbLoadProject;
    QPushButton* sbSaveProject;
    QPushButton* sbSaveResults;
    // Unattended mode.
    QWidget* pnlWait;
    QPushButton* sbWaitStop;

    // The window's modes: the caller's ".cnd" is loaded, and saved when the window closes.
    void startInteractive(const QString& projectFileName);
    void startUnattended(const QString& projectFileName);
    // What "Apply && Exit" (or an unattended run) hands back.
    const DbMakerHandBack& handBack() const { return m_handBack; }
    const QString& projectFileName() const { return m_projectFileName; }
    bool running() const { return m_running; }

    DbMakerSettings currentSettings() const;
    void applySettings(const DbMakerSettings& settings);
    void LoadProject();
    void SaveProject();
    void setFolder(const QString& folder);
    QString folder() const { return m_folder; }

    // Handlers, named after their components.
    void sbFasClick(int runTag);
    void sbStopClick();
    void sbApplyClick();
    void sbExcelClick();
    void sbLoadProjectClick();
    void sbSaveProjectClick();
    void sbSaveResultsClick();
    void sbAddRowClick();
    void sbDeleteRowClick();
    void pmFieldEditClick(int tag);
    void pmFieldFindClick(int tag);
    void sgItemToggleUnique(int row, int column);
    void sbMakeDirClick();
    void sbRemoveDirClick();
    void sbRenameClick();
    void sbDeleteClick();
    void sbViewClick();
    void sbRunClick();
    void setViewStyle(int tag);

    // Files chosen by the user: tests answer instead of a dialog. save tells a save dialog from an open one.
    using FileChooser = std::function<QString(bool save, const QString& start, const QString& filter)>;
    static void setFileChooser(FileChooser chooser);   // nullptr restores the dialogs
    // Opens a file with the desktop (Run); tests record instead.
    using FileOpener = std::function<void(const QString& path)>;
    static void setFileOpener(FileOpener opener);

    // A close while a run goes on stops the run and closes after it; an interactive close saves the project.
    void reject() override;
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildFileManager();
    QWidget* buildSettings();
    QWidget* buildResults();
    void buildFieldMenu();
    void resetFieldGrid(const QList<QStringList>& rows);
    QList<QStringList> fieldGridRows() const;
    int selectedFieldRow() const;
    void addResultRow(const DbMakerRow& row, const QStringList& fieldNames);
    QList<QStringList> resultRows() const;   // caption first
    void clearResults();
    void listFolder();
    QStringList chosenEntries() const;
    bool mayWrite(const QString& path);
    QString chooseFile(bool save, const QString& start);
    QString completedText(const DbMakerRunResult& result) const;
    void finishRun(const DbMakerRunResult& result, int runTag);

    QString m_projectFileName;
    QString m_resultFileName;
    QString m_folder;
    bool m_unattended = false;
    bool m_stop = false;
    bool m_running = false;
    bool m_closeAfterRun = false;
    DbMakerHandBack m_handBack;
    QFileSystemModel* m_folders;
    QStandardItemModel* m_entries;
    QListView* m_entryIcons;
    QTreeView* m_entryDetails;
};

// Opens DB Maker on projectFileName (".cnd"). Interactive: the window is shown and "Apply && Exit" hands back
// its rows. Unattended: the saved project runs without the window and its field-mode rows come back.
// results receives one comma text per row, columnCount the largest number of values; true when rows came back.
bool DbMakerExecute(const QString& projectFileName, QStringList& results, int& columnCount, bool unattended);
