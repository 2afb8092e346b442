// T_EditAB ("Edit AddressBook / Mailing List"): the list editor window over ListEditorModel. It edits a copy
// of the caller's list grid, reads and writes delimited text files, opens the filter, find and replace and
// duplicate tools on the copy, and exports it to a workbook. EditAddressBookExecute runs it modally;
// registerListEditorTool() makes it tool code 2 of the tool table.
#pragma once

#include "controls/explorer_button.h"
#include "lists/list_editor_model.h"
#include "lists/tool_dialog.h"

class QFileDialog;
class QLineEdit;
class QSpinBox;
class StringGridView;
class TMsgLanguage;

class T_EditAB : public ToolDialog {
    Q_OBJECT

public:
    T_EditAB(StringGrid& caller, const QString& fileName, const QString& delimiter, QWidget* parent = nullptr);

    TMsgLanguage* msl;
    StringGridView* sg;
    QLineEdit* eRz;
    QSpinBox* udCol;         // eCol with its up-down
    QPushButton* sbNew;
    QPushButton* sbOpen;
    QPushButton* sbsave;
    QPushButton* sbSaveAs;
    QPushButton* SpeedButton3;   // "Add Record"
    QPushButton* SpeedButton1;   // "Delete Record"
    QPushButton* SpeedButton10;  // "Filter"
    QPushButton* SpeedButton9;   // "Replace"
    QPushButton* SpeedButton4;   // "DB Maker"
    QPushButton* SpeedButton2;   // "Extract Data"
    QPushButton* SpeedButton11;  // "Remove duplicates"
    QPushButton* SpeedButton5;   // "Export to MS Excel"
    TExplorerButton* ExplorerButton1;  // "Close"
    QFileDialog* OpDlg;
    QFileDialog* sd;

    ListEditorModel& model() { return m_model; }
    // After the window closed: the copy written back when it is still modified; answers Changed.
    bool finish();

    void eColChange(int count);
    void sbNewClick();
    void sbOpenClick();
    void sbsaveClick();
    void sbSaveAsClick();
    void SpeedButton3Click();
    void SpeedButton1Click();
    void SpeedButton10Click();
    void SpeedButton9Click();
    void SpeedButton11Click();
    void SpeedButton5Click();
    void extractData(QPushButton* button);

private:
    void buildLayout();
    void showColumnSetting();
    void loadFile(const QString& fileName);
    QString chosenFile(QFileDialog* dialog);
    void reportFileError(const QString& fileName, const ListFileOutcome& outcome, int captionText);

    StringGrid& m_caller;
    ListEditorModel m_model;
};

// Edits a copy of grid; delimiter is the list's field delimiter in and the editor's choice out. Answers
// whether the copy was written back into grid.
bool EditAddressBookExecute(StringGrid& grid, const QString& fileName, QString& delimiter, QWidget* parent = nullptr);
void registerListEditorTool();
