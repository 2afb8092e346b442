// TFilterForm1 ("Filter"): the keyword filter window over lists/keyword_filter.h. It shows and edits the
// keyword file (default "filter.txt" in the program folder), removes the list rows whose chosen column
// matches a keyword, and writes them to a ".del" file. FilterListExecute runs it modally on a list grid;
// registerFilterListTool() makes it tool code 3 of the tool table.
#pragma once

#include "controls/explorer_button.h"
#include "lists/tool_dialog.h"
#include "platform/string_grid.h"

class QComboBox;
class QFileDialog;
class QRadioButton;
class StringGridView;
class TMsgLanguage;

class TFilterForm1 : public ToolDialog {
    Q_OBJECT

public:
    explicit TFilterForm1(StringGrid& listGrid, QWidget* parent = nullptr);

    TMsgLanguage* msl;
    StringGridView* sg1;
    QComboBox* ComboBox3;   // the keyword column
    QComboBox* cbTo;        // the list column
    QRadioButton* rbExact;
    QRadioButton* rbExist;
    QComboBox* SectionSymbol;
    QFileDialog* OpFilterDlg;
    QFileDialog* SaveFilter;
    QPushButton* SpeedButton1;     // "Load File"
    QPushButton* SpeedButton3;     // "Save File As"
    QPushButton* SpeedButton5;     // "Apply filter"
    QPushButton* SpeedButton2;     // "Add  Keyword"
    QPushButton* SpeedButton4;     // "Delete Keyword"
    TExplorerButton* ExplorerButton1;  // "Close"

    StringGrid& keywords() { return m_keywords; }
    const QString& keywordFile() const { return m_keywordFile; }
    // 1 after an Apply that changed the list.
    bool listChanged() const { return m_listChanged; }

    // Fills the list column box, makes the default keyword file when it is missing and loads it.
    void Opening();
    void LoadKeywordFile(const QString& fileName);
    void SpeedButton1Click();
    void SpeedButton3Click();
    void Apply();
    void SpeedButton2Click();
    void SpeedButton4Click();
    void ChangeSection();

private:
    void buildLayout();
    void captionWithFile(const QString& fileName);
    void saveRemovedRows(const StringGrid& removed);

    StringGrid& m_listGrid;
    StringGrid m_keywords{1, 2};
    QString m_keywordFile;
    bool m_keywordsChanged = false;
    bool m_listChanged = false;
};

bool FilterListExecute(StringGrid& grid, QWidget* parent = nullptr);
void registerFilterListTool();
