// T_SaveForm ("Save dialog"): the sending window's choice of which result rows to save and in which form,
// kept in SaveResultsOptions and SaveResultsFileName for the program run; the sending window writes the file.
// The dialog has a small file browser (places, folders, files by mask, create, rename, delete, open with
// the desktop). registerSaveResultsTool() makes it a tool of the tool table.
#pragma once

#include "lists/tool_dialog.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QTreeWidget;
class TMsgLanguage;

extern int SaveResultsOptions;
extern QString SaveResultsFileName;

class T_SaveForm : public ToolDialog {
    Q_OBJECT

public:
    explicit T_SaveForm(QWidget* parent = nullptr);

    TMsgLanguage* msl;
    QCheckBox* cbSaveAll;
    QCheckBox* cbAllsent;
    QCheckBox* cbDNSError;
    QCheckBox* cbSMTPError;
    QCheckBox* cbOther;
    QCheckBox* cbEmail;
    QCheckBox* cbMail;
    QCheckBox* cbMailStatus;
    QCheckBox* cbAll;
    QLineEdit* eFN;
    QComboBox* DriveComboBox2;
    QListWidget* dlbx;
    QTreeWidget* lvLoc;
    QComboBox* FilterComboBox1;
    QComboBox* SectionSymbol;
    QPushButton* sbMkd1;
    QPushButton* sbRen1;
    QPushButton* sbDel1;
    QPushButton* sbView;
    QPushButton* sbRun;
    QPushButton* SpeedButton4;   // folder up
    QPushButton* SpeedButton1;   // "Save"
    QPushButton* SpeedButton2;   // "Cancel"

    const QString& folder() const { return m_folder; }
    void setFolder(const QString& folder);   // dlbxChange
    // The options the boxes show, and the choice taken on "Save".
    int checkedOptions() const;
    void SpeedButton1Click();
    void sbMkd1Click();
    void sbRen1Click();
    void sbDel1Click();
    void sbViewClick();

private:
    void buildLayout();
    void showOptions(int options);
    void chooseRows(int rows);
    void chooseFormat(QCheckBox* box);
    void fillFiles();
    void selectionChanged();
    QStringList selectedPaths() const;

    QString m_folder;
};

bool SaveResultsDialogExecute(QWidget* parent = nullptr);
void registerSaveResultsTool();
