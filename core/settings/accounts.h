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
    // The SMTP and POP3 server names this account has used TLS with. While the server is still that one,
    // credentials go to it over TLS only: a server that no longer offers TLS may be a man in the middle.
    QString SmtpTlsHost;
    QString PopTlsHost;

    bool smtpNeedsTls() const;
    bool popNeedsTls() const;
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
// ports in decimal, flags "1" or empty), then SmtpTlsHost and PopTlsHost when one of them is set (readers
// that know 15 fields ignore them).
QString accountLine(const tAccountObj& account);
// Applies the fields present in line, by position, to account; fields beyond the 17th are ignored.
void ParseAccountLine(tAccountObj& account, const QString& line);
// Fills account from the old INI layout: its name, then section "<index>|<name>"; missing keys keep values.
void ReadAccountSection(tAccountObj& account, const QString& name, int index, const IniFile& ini);
// Copies the TLS hosts of used (the account of a sending run) to the index-th account while it still names
// those servers; nothing when index lies outside the list.
void rememberTlsHosts(int index, const tAccountObj& used);
