// TFPref, the "Preferences" dialog: the accounts grid with its edits and the settings of the default or the
// project scope, run by PreferencesExecute. The dialog only shows and collects; PreferencesModel
// (core/preferences/preferences_model.h) holds the rules for the accounts and does the copy-back on "Save && Exit".
#pragma once

#include "core/preferences/preferences_model.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class StringGridView;
class TMsgLanguage;

class TFPref : public QDialog {
    Q_OBJECT

public:
    // Builds the dialog and shows the settings of scope (the opening steps before the modal run).
    explicit TFPref(SettingsScope scope, QWidget* parent = nullptr);
    ~TFPref() override;

    // The resolv.conf that "Get DNS info" reads (tests point it at a fixture).
    void setResolvConfPath(const QString& path) { m_resolvConfPath = path; }
    PreferencesModel& model() { return m_model; }

    TMsgLanguage* msl;
    QTabWidget* PageControl1;
    StringGridView* sg1;
    QLineEdit* NameEdit;
    QLineEdit* UserEdit;
    QLineEdit* RetAddEdit;
    QLineEdit* eReplyTo;
    QLineEdit* SMTPServerEdit;
    QLineEdit* SMTPPortEdit;
    QLineEdit* eMailDomain;
    QLineEdit* POP3ServerEdit;
    QLineEdit* POP3PortEdit;
    QLineEdit* POP3PasswordEdit;
    QCheckBox* cbSMTPAuth;
    QLabel* lUN;
    QLineEdit* eUN;
    QLabel* lUNP;
    QLineEdit* eUNP;
    QCheckBox* cbMaskSMTP;
    QCheckBox* cbMaskPop3;
    QPushButton* NewProfileButton;
    QPushButton* CopyProfileButton;
    QPushButton* DeleteProfileButton;
    QCheckBox* cbAutoCommit;
    QSpinBox* eAutoCommit;       // with its up-down udAuto
    QLabel* lPathPro;
    QLineEdit* ePathPro;
    QPushButton* Button1;        // "Browse"
    QComboBox* cbCSet;
    QCheckBox* cbHelo;
    QLineEdit* eHelo;
    QCheckBox* cbPop3;
    QCheckBox* cbExternalSmtp;
    QLineEdit* DnsEdit;
    QPushButton* SpeedButton6;   // "Get DNS info"
    QSpinBox* Ncon;              // with its up-down udCon
    QSpinBox* eTimeOut;          // with its up-down udOut
    QListWidget* CheckList;
    QPushButton* SaveButton;     // "Save && Exit"
    QPushButton* CancelButton;   // "Cancel && Exit"

    void sg1SelectCell(int row);
    void sg1DblClick(int row);
    void BoundEditChange(int column, const QString& text);
    void cbSMTPAuthClick();
    void cbMaskSMTPClick();
    void cbMaskPop3Click();
    void cbHeloClick();
    void NewProfileButtonClick();
    void CopyProfileButtonClick();
    void DeleteProfileButtonClick();
    void SpeedButton6Click();
    void Button1Click();
    void SaveButtonClick();

private:
    QWidget* buildGeneralPage();
    QWidget* buildAccountFields();
    QWidget* buildDnsPage();
    void bindAccountEdits();
    void connectHandlers();
    void showScope();
    void showPageValues(const PreferencesPageValues& values);
    PreferencesPageValues pageValues() const;
    void showAccount();
    void selectModelRow();

    PreferencesModel m_model;
    std::array<QLineEdit*, AccountColumnCount> m_editOfColumn{};   // null for the check-box columns
    QString m_resolvConfPath;
};

// Runs the dialog on the settings of scope; true when the user confirmed with "Save && Exit". In the project
// scope the main window is asked afterwards, confirmed or not, to refresh the sending window.
bool PreferencesExecute(SettingsScope scope);
