// TfUni ("Remove duplicates "): the user checks the columns whose repeated values drop a row, and the tool
// (lists/remove_duplicates.h) runs on the grid. RemoveDuplicatesExecute runs it modally on a grid.
#pragma once

#include "lists/tool_dialog.h"

class QCheckBox;
class QListWidget;
class QProgressBar;
class StringGrid;
class TMsgLanguage;

class TfUni : public ToolDialog {
    Q_OBJECT

public:
    explicit TfUni(StringGrid& grid, QWidget* parent = nullptr);

    TMsgLanguage* msl;
    QListWidget* clbF;       // one checkable item per column
    QCheckBox* cb1;          // sets every item to its state
    QProgressBar* pbar;
    QPushButton* SpeedButton1;   // "Remove duplicates"
    QPushButton* SpeedButton2;   // "Close"

    void SpeedButton1Click();
    void cb1Click();

private:
    StringGrid& m_grid;
};

void RemoveDuplicatesExecute(StringGrid& grid, QWidget* parent = nullptr);
