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

// The fields of an account line, in file order, with their INI keys (the INI layout keeps the name apart):
// the 15 of every account, then the two TLS hosts, written only when one is set.
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
    {"SmtpTlsHost", &tAccountObj::SmtpTlsHost},
    {"PopTlsHost", &tAccountObj::PopTlsHost},
};
constexpr size_t kBaseAccountFields = 15;

bool sameHost(const QString& seen, const QString& server)
{
    return !seen.isEmpty() && seen.compare(server.trimmed(), Qt::CaseInsensitive) == 0;
}

}  // namespace

bool tAccountObj::smtpNeedsTls() const
{
    return sameHost(SmtpTlsHost, SMTPServer);
}

bool tAccountObj::popNeedsTls() const
{
    return sameHost(PopTlsHost, PopServer);
}

// An account never seen with TLS keeps the line it always had.
QString accountLine(const tAccountObj& account)
{
    const std::span<const Field> fields(accountLineFields);
    const bool tlsSeen = !account.SmtpTlsHost.isEmpty() || !account.PopTlsHost.isEmpty();
    return formatLine<tAccountObj>(account, tlsSeen ? fields : fields.first(kBaseAccountFields));
}

void rememberTlsHosts(int index, const tAccountObj& used)
{
    if (index < 0 || index >= Accounts.Count())
        return;
    tAccountObj& stored = *Accounts.Items(index);
    if (sameHost(used.SmtpTlsHost, stored.SMTPServer))
        stored.SmtpTlsHost = used.SmtpTlsHost;
    if (sameHost(used.PopTlsHost, stored.PopServer))
        stored.PopTlsHost = used.PopTlsHost;
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
