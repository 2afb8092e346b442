// Mail accounts and their line and INI forms in the settings file: see accounts.h.

#include "core/settings/accounts.h"

#include "core/settings/ini_info.h"
#include "core/settings/settings_fields.h"

tAccounts Accounts;

tAccountObj::tAccountObj(bool fill)
{
    if (!fill)
        return;
    Name = QStringLiteral("Your Name");
    UserID = QStringLiteral("Enter User ID");
    SMTPServer = QStringLiteral("Enter Server Name");
    PopServer = SMTPServer;
    ReturnAddress = QStringLiteral("Enter E-mail Address");
    ReplyTo = ReturnAddress;
    MailDomain = QStringLiteral("Enter Domain Name");
}

tAccounts::tAccounts() : m_defaultAccount(std::make_unique<tAccountObj>(true)) {}

tAccounts::~tAccounts()
{
    Clear();
}

int tAccounts::Add(std::unique_ptr<tAccountObj> account)
{
    if (!account)
        return -1;
    m_items.push_back(std::move(account));
    return Count() - 1;
}

tAccountObj* tAccounts::Items(int index) const
{
    Q_ASSERT(index >= 0 && index < Count());
    return m_items[size_t(index)].get();
}

void tAccounts::Clear()
{
    while (!m_items.empty())
        m_items.pop_back();
}

tAccountObj& accountInUse(TIniInfo& settings)
{
    if (settings.NConnect < 0 || settings.NConnect >= Accounts.Count())
        settings.NConnect = 0;
    if (Accounts.Count() == 0)
        return *Accounts.DefaultAccount();
    return *Accounts.Items(settings.NConnect);
}

namespace {

using Field = LineField<tAccountObj>;

// The 15 fields of an account line, in file order, with their INI keys (the INI layout keeps the name apart).
constexpr Field accountLineFields[] = {
    {nullptr, &tAccountObj::Name},
    {"UserID", &tAccountObj::UserID},
    {"SMTPServer", &tAccountObj::SMTPServer},
    {"SMTPPort", &tAccountObj::SMTPPort},
    {"PopServer", &tAccountObj::PopServer},
    {"PopPort", &tAccountObj::PopPort},
    {"Password", &tAccountObj::Password},
    {"ReturnAddress", &tAccountObj::ReturnAddress},
    {"ReplyTo", &tAccountObj::ReplyTo},
    {"MailDomain", &tAccountObj::MailDomain},
    {"Authen", &tAccountObj::Authen},
    {"AuName", &tAccountObj::AuName},
    {"auPsw", &tAccountObj::auPsw},
    {"MaskSMTP", &tAccountObj::MaskSMTP},
    {"MaskPop3", &tAccountObj::MaskPop3},
};

}  // namespace

QString accountLine(const tAccountObj& account)
{
    return formatLine<tAccountObj>(account, accountLineFields);
}

void ParseAccountLine(tAccountObj& account, const QString& line)
{
    parseLine<tAccountObj>(account, line, accountLineFields);
}

void ReadAccountSection(tAccountObj& account, const QString& name, int index, const IniFile& ini)
{
    account.Name = name.left(shortStringLength);
    readIniFields<tAccountObj>(account, ini, QString::number(index) + '|' + name, accountLineFields);
}
