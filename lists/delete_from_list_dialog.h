// T_DeleteForm ("Delete dialog"): the sending window's choice of which rows leave the list: all sent, all
// failed, or those whose reply code is one of the ticked codes. The choice is kept in DeleteFromListMode and
// DeleteFromListCodes for the program run; the sending window removes the rows.
#pragma once

#include "lists/tool_dialog.h"

#include <QString>

class QCheckBox;
class QListWidget;

extern int DeleteFromListMode;
extern QString DeleteFromListCodes;

class T_DeleteForm : public ToolDialog {
    Q_OBJECT

public:
    explicit T_DeleteForm(QWidget* parent = nullptr);

    QCheckBox* cbSent;
    QCheckBox* cbUnsent;
    QCheckBox* cbCode;
    QListWidget* clCode;
    QPushButton* SpeedButton1;   // "Delete "
    QPushButton* SpeedButton2;   // "Cancel"

    // Takes the mode and codes from the boxes (whichever button closed the dialog).
    void takeChoice();

private:
    void choose(QCheckBox* box);
};

bool DeleteFromListDialogExecute(QWidget* parent = nullptr);
void registerDeleteFromListTool();
