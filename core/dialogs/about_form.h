// TAboutForm: the About box with the product name "Sorvanta" and its version. Modal from the About menu
// with its OK button; at start-up the same box serves as the splash, modeless and without OK.
#pragma once

#include "controls/explorer_button.h"

#include <QDialog>

class QLabel;

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    TExplorerButton* OKButton;

    void OKButtonClick();
};

extern const char* const SorvantaVersion;

// The splash: shown modeless and painted before the main window is built; the caller deletes it.
TAboutForm* ShowSplash();
// The About box, modal, closed by its OK button.
void AboutExecute(QWidget* parent);
