// Mail accounts: tAccountObj (one profile: servers, ports, addresses, credentials), the owning list tAccounts
// with its template DefaultAccount, and the global Accounts. The account in use is Accounts.Items(NConnect);
// accountInUse() gives it safely. The line form of an account in "setupkrn.ini" and its old INI form are here.
#pragma once

#include <QString>

#include <memory>
#include <vector>

class IniFile;
struct TIniInfo;

class tAccountObj {
public:
    // fill false: every text empty; fill true: the texts get the placeholder values that ask for real ones.
    explicit tAccountObj(bool fill = false);

    QString Name;
    QString UserID;
    QString SMTPServer;
    QString PopServer;
    QString Password;         // POP3 password, kept in clear
    QString ReturnAddress;    // sender address (From)
    QString ReplyTo;
    QString MailDomain;       // announced to servers, used in message identifiers
    QString AuName;           // SMTP authentication user
    QString auPsw;            // SMTP authentication password, kept in clear
    int SMTPPort = 25;
    int PopPort = 110;
    bool Authen = false;      // the SMTP server requires authentication
    bool MaskSMTP = true;     // show the SMTP password masked
    bool MaskPop3 = true;     // show the POP3 password masked
};

// Owning list of accounts plus DefaultAccount, the placeholder template of a new profile (never in the list).
class tAccounts {
public:
    tAccounts();
    ~tAccounts();
    tAccounts(const tAccounts&) = delete;
    tAccounts& operator=(const tAccounts&) = delete;

    int Count() const { return int(m_items.size()); }
    // Appends account; answers its index, or -1 for a null account.
    int Add(std::unique_ptr<tAccountObj> account);
    // The index-th account; index must lie in 0 .. Count() - 1 (Q_ASSERT). See accountInUse().
    tAccountObj* Items(int index) const;
    // Frees every account, last to first.
    void Clear();

    tAccountObj* DefaultAccount() const { return m_defaultAccount.get(); }

private:
    std::vector<std::unique_ptr<tAccountObj>> m_items;
    std::unique_ptr<tAccountObj> m_defaultAccount;
};

extern tAccounts Accounts;

// The account in use by settings: NConnect is set to 0 first when it lies outside the list. With an empty list
// (only while the preferences dialog edits it) the placeholder DefaultAccount answers.
tAccountObj& accountInUse(TIniInfo& settings);

// The account's line in the block layout: 15 fields joined by "^" (texts escaped and cut at 255 characters,
// ports in decimal, flags "1" or empty).
QString accountLine(const tAccountObj& account);
// Applies the fields present in line, by position, to account; fields beyond the 15th are ignored.
void ParseAccountLine(tAccountObj& account, const QString& line);
// Fills account from the old INI layout: its name, then section "<index>|<name>"; missing keys keep values.
void ReadAccountSection(tAccountObj& account, const QString& name, int index, const IniFile& ini);
