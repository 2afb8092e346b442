// The preferences dialog's work without a window: it takes a copy of the settings of its scope (the program's
// DefaultIniInfo or the open project's ProjectIniInfo), lays Accounts out as a grid of 15 text cells a row,
// offers the charset choices ("charset.txt", shipped beside the program) and the status-code check list, and on
// confirmation writes accounts, settings and "setupkrn.ini" back. Nothing global changes before confirm(),
// except that an empty StatusCodes list takes the 21 standard lines when the model is made.
#pragma once

#include "core/settings/ini_info.h"

#include "platform/string_grid.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class tAccountObj;

// Which settings the dialog edits: the open project's (Project Options) or the program's (Default Options).
enum class SettingsScope { Project = 0, Default = 1 };

// The columns of the account grid; the edit bound to a column carries the column as its tag.
enum AccountColumn : int {
    NameColumn,
    UserIDColumn,
    ReturnAddressColumn,
    ReplyToColumn,
    SMTPServerColumn,
    SMTPPortColumn,
    MailDomainColumn,
    PopServerColumn,
    PopPortColumn,
    PasswordColumn,
    AuthenColumn,
    AuNameColumn,
    AuPswColumn,
    MaskSMTPColumn,
    MaskPop3Column,
    AccountColumnCount
};

// The 15 cells of account: texts as they are, ports in decimal, flags "1" or empty.
QStringList accountCells(const tAccountObj& account);
// An account from grid cells: texts trimmed and cut at 255 characters, a port that is not a number takes the
// port of Accounts.DefaultAccount(), a flag is set exactly when its cell is "1".
std::unique_ptr<tAccountObj> accountFromCells(const QStringList& cells);

// The 18 font character-set names offered when no "charset.txt" gives choices in the default scope.
QStringList fontCharsetNames();
// The charset choices: the non-empty lines of "charset.txt", the program folder's or else the one shipped
// beside the executable; when that gives none, the font character-set names in the default scope and
// nothing in the project scope.
QStringList charsetChoices(SettingsScope scope);

// The check list's items: StatusCodes' non-empty lines without a leading "+" or "-", sorted without case.
// An empty StatusCodes first takes standardStatusCodeLines().
QStringList statusCodeChoices();
// Which items are ticked by codes (";"-joined): those whose first three characters are among the codes.
QList<bool> ticksForCodes(const QStringList& items, const QString& codes);
// The first three characters of every ticked item, in list order, joined by ";".
QString codesFromTicks(const QStringList& items, const QList<bool>& ticks);

// What the dialog's pages show besides the accounts, on opening and on confirmation.
struct PreferencesPageValues {
    QString charSet;           // cbCSet; empty when nothing is chosen
    QString projectPath;       // ePathPro
    bool autoCommit = false;
    int autoCommitMinutes = 0;
    QString dnsServer;
    int numberConnect = 0;
    int timeOut = 0;
    bool defaultHelo = true;   // program-wide in both scopes
    QString textHelo;
    bool pop3Identify = false;
    bool externalSmtp = false;
    QList<bool> codeTicks;     // one per statusCodeItems() item
};

class PreferencesModel {
public:
    explicit PreferencesModel(SettingsScope scope);
    PreferencesModel(const PreferencesModel&) = delete;
    PreferencesModel& operator=(const PreferencesModel&) = delete;

    SettingsScope scope() const { return m_scope; }
    const TIniInfo& record() const { return m_record; }

    // The grid sg1: row 0 holds the titles (the window's to set), rows 1.. the accounts in list order.
    StringGrid& accountGrid() { return m_grid; }
    // The grid's tag 1: there is no account, and its one data row is a placeholder.
    bool hasNoAccount() const { return m_noAccount; }
    int selectedRow() const { return m_selectedRow; }
    void selectRow(int row);   // a row that is no data row is ignored
    // The 15 values the edits and check boxes show: DefaultAccount's with no account, else the selected row's.
    QStringList shownAccount() const;

    // A bound edit changed: with no account the placeholder turns into an account first.
    void editCell(int column, const QString& text);
    // A check box of the selected account changed: its cell becomes "1" or empty.
    void setFlagCell(int column, bool on);
    void newProfile();
    void copyProfile();
    void deleteProfile();

    const QStringList& charsetItems() const { return m_charsetItems; }
    const QStringList& statusCodeItems() const { return m_statusCodeItems; }
    PreferencesPageValues pageValues() const;

    // Copies accounts and values back, sets OptionsChanged and writes "setupkrn.ini". The settings are taken
    // in memory even when the file cannot be written; then the answer is false and *error says why.
    bool confirm(const PreferencesPageValues& values, QString* error = nullptr);

private:
    void loadAccounts();
    int appendRow();
    void showPlaceholderRow();
    void copyAccountsBack() const;
    void copyPageValuesBack(const PreferencesPageValues& values);

    SettingsScope m_scope;
    TIniInfo m_record;
    StringGrid m_grid;
    bool m_noAccount = false;
    int m_selectedRow = 1;
    QStringList m_charsetItems;
    QStringList m_statusCodeItems;
};

// settings of the scope: DefaultIniInfo or ProjectIniInfo.
TIniInfo& settingsOfScope(SettingsScope scope);
