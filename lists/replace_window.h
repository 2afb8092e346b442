// T_Replace ("Find and Replace Data"): applies the pairs of its pair grid to one column of a list grid
// (lists/find_replace.h), and loads and saves pair files. ReplaceDataExecute runs it modally on a grid.
#pragma once

#include "controls/explorer_button.h"
#include "lists/tool_dialog.h"
#include "platform/string_grid.h"

#include <QStringList>

class QCheckBox;
class QComboBox;
class QFileDialog;
class StringGridView;
class TMsgLanguage;

class T_Replace : public ToolDialog {
    Q_OBJECT

public:
    explicit T_Replace(StringGrid& grid, QWidget* parent = nullptr);

    TMsgLanguage* msl;
    StringGridView* sgF;
    QComboBox* cbF;
    QComboBox* SectionSymbol;
    QCheckBox* cbC;
    QPushButton* SpeedButton1;     // "Load File"
    QPushButton* SpeedButton3;     // "Save File As"
    QPushButton* SpeedButton5;     // "Apply replace"
    QPushButton* SpeedButton2;     // "Add  Keyword"
    QPushButton* SpeedButton4;     // "Delete Keyword"
    TExplorerButton* ExplorerButton5;  // "Close"
    QFileDialog* OpenDialog;
    QFileDialog* SaveDialog;

    StringGrid& pairs() { return m_pairs; }

    void SpeedButton1Click();
    void SpeedButton3Click();
    void SpeedButton5Click();
    void SpeedButton2Click();
    void SpeedButton4Click();
    void SectionSymbolChange();

private:
    void buildLayout();
    void showLines();
    void captionWithFile();

    StringGrid& m_grid;
    StringGrid m_pairs{2, 2};
    QString m_pairFileName;
    QStringList m_lines;
    bool m_pairsEdited = false;
};

void ReplaceDataExecute(StringGrid& grid, QWidget* parent = nullptr);
