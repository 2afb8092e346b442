// TInputForm: a modal one-line prompt with an optional password mask, run by InputFormExecute. Enter
// presses "&Ok" and Escape "&Cancel" when the key goes down. The answer is cut to the maximum length.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TInputForm : public QDialog {
    Q_OBJECT

public:
    explicit TInputForm(QWidget* parent = nullptr);

    QLabel* Prompt;
    QLineEdit* Input;
    QPushButton* Button1;   // "&Ok"
    QPushButton* Button2;   // "&Cancel"
    QCheckBox* chbMask;

    void chbMaskClick();
};

// Asks for a value: true on OK with value := the entry cut to maxLength characters (at most 255);
// on Cancel value stays as it was.
bool InputFormExecute(const QString& caption, const QString& prompt, QString& value, int maxLength, bool mask);
