// Mail accounts: the list's ownership rules, the account in use, and the line form of an account.

#include "core/settings/accounts.h"

#include "core/settings/ini_info.h"

#include <gtest/gtest.h>

namespace {

const QString placeholderLine = "Your Name^Enter User ID^Enter Server Name^25^Enter Server Name^110^^"
                                "Enter E-mail Address^Enter E-mail Address^Enter Domain Name^^^^1^1";

class AccountsTest : public ::testing::Test {
protected:
    void TearDown() override { Accounts.Clear(); }
};

TEST_F(AccountsTest, NewAccountsEmptyOrPlaceholder)
{
    const tAccountObj empty;
    EXPECT_EQ(accountLine(empty), "^^^25^^110^^^^^^^^1^1");
    EXPECT_EQ(accountLine(tAccountObj(true)), placeholderLine);
    EXPECT_EQ(accountLine(*Accounts.DefaultAccount()), placeholderLine);
}

TEST_F(AccountsTest, AddRefusesNullAndCounts)
{
    EXPECT_EQ(Accounts.Add(nullptr), -1);
    EXPECT_EQ(Accounts.Count(), 0);
    EXPECT_EQ(Accounts.Add(std::make_unique<tAccountObj>()), 0);
    EXPECT_EQ(Accounts.Add(std::make_unique<tAccountObj>(true)), 1);
    EXPECT_EQ(Accounts.Items(1)->Name, "Your Name");
    Accounts.Clear();
    EXPECT_EQ(Accounts.Count(), 0);
}

TEST_F(AccountsTest, AccountInUseResetsOutOfRangeIndex)
{
    Accounts.Add(std::make_unique<tAccountObj>(true));
    Accounts.Add(std::make_unique<tAccountObj>());
    Accounts.Items(0)->Name = "first";
    TIniInfo settings;
    settings.NConnect = 3;
    EXPECT_EQ(accountInUse(settings).Name, "first");
    EXPECT_EQ(settings.NConnect, 0);
    settings.NConnect = 1;
    EXPECT_EQ(&accountInUse(settings), Accounts.Items(1));
    settings.NConnect = -1;
    EXPECT_EQ(&accountInUse(settings), Accounts.Items(0));
}

TEST_F(AccountsTest, AccountInUseOfEmptyListIsThePlaceholder)
{
    TIniInfo settings;
    settings.NConnect = 2;
    EXPECT_EQ(&accountInUse(settings), Accounts.DefaultAccount());
    EXPECT_EQ(settings.NConnect, 0);
}

TEST_F(AccountsTest, LineWithoutAuthenticationEndsInFiveCarets)
{
    tAccountObj account(true);
    account.MaskSMTP = false;
    account.MaskPop3 = false;
    EXPECT_TRUE(accountLine(account).endsWith("Enter Domain Name^^^^^"));
}

// The TLS hosts follow the 15 fields only once one is set, so older readers see the line they know; TLS
// is required only while the account still names that server.
TEST_F(AccountsTest, TlsHostsFollowTheFifteenFieldsAndBindToTheServer)
{
    tAccountObj account;
    account.SMTPServer = "mail.example.test";
    account.PopServer = "pop.example.test";
    EXPECT_FALSE(account.smtpNeedsTls() || account.popNeedsTls());
    account.SmtpTlsHost = "Mail.Example.Test";
    const QString line = accountLine(account);
    EXPECT_EQ(line, "^^mail.example.test^25^pop.example.test^110^^^^^^^^1^1^Mail.Example.Test^");
    tAccountObj read;
    ParseAccountLine(read, line);
    EXPECT_EQ(read.SmtpTlsHost, "Mail.Example.Test");
    EXPECT_TRUE(read.smtpNeedsTls());
    EXPECT_FALSE(read.popNeedsTls());
    read.SMTPServer = "other.example.test";         // the user moved to another server
    EXPECT_FALSE(read.smtpNeedsTls());
}

TEST_F(AccountsTest, EveryFieldRoundTrips)
{
    tAccountObj account;
    account.Name = "Sales ^ Support";
    account.UserID = "user%41";
    account.SMTPServer = "smtp.example.org";
    account.PopServer = "pop.example.org";
    account.Password = " secret ";
    account.ReturnAddress = "news@example.org";
    account.ReplyTo = "reply@example.org";
    account.MailDomain = "example.org";
    account.AuName = "auth";
    account.auPsw = "p^w%";
    account.SMTPPort = 587;
    account.PopPort = 995;
    account.Authen = true;
    account.MaskSMTP = false;
    account.MaskPop3 = false;
    const QString line = accountLine(account);
    EXPECT_EQ(line, "Sales %5E Support^user%2541^smtp.example.org^587^pop.example.org^995^%20secret%20^"
                    "news@example.org^reply@example.org^example.org^1^auth^p%5Ew%25^^");

    tAccountObj read(true);
    ParseAccountLine(read, line);
    EXPECT_EQ(accountLine(read), line);
    EXPECT_FALSE(read.MaskPop3);   // the trailing empty field is a field
}

TEST_F(AccountsTest, ShortLineKeepsPlaceholdersLongLineIgnoresExtra)
{
    tAccountObj shortLine(true);
    ParseAccountLine(shortLine, "Me^me^mail.example.net^2x5");
    EXPECT_EQ(shortLine.Name, "Me");
    EXPECT_EQ(shortLine.SMTPPort, 2);
    EXPECT_EQ(shortLine.PopServer, "Enter Server Name");
    EXPECT_EQ(shortLine.PopPort, 110);
    EXPECT_TRUE(shortLine.MaskPop3);

    tAccountObj longLine(true);
    ParseAccountLine(longLine, placeholderLine + "^^^extra^1");     // two empty TLS hosts, then more
    EXPECT_EQ(accountLine(longLine), placeholderLine);
}

TEST_F(AccountsTest, FieldsAreTrimmedAndFlagsNeedExactlyOne)
{
    tAccountObj account(true);
    ParseAccountLine(account, " Me ^ id ^ host ^ 26 ^ pop ^ 111 ^^a^b^c^ yes ^^^ 1 ^true");
    EXPECT_EQ(account.Name, "Me");
    EXPECT_EQ(account.SMTPPort, 26);
    EXPECT_EQ(account.PopPort, 111);
    EXPECT_FALSE(account.Authen);
    EXPECT_TRUE(account.MaskSMTP);    // trimmed to "1"
    EXPECT_FALSE(account.MaskPop3);
}

}  // namespace
