// Shared set-up of the preferences tests: two accounts, program and project settings that differ in every
// field the dialog shows, and the globals put back afterwards.
#pragma once

#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/settings/settings_file.h"
#include "core/settings/status_codes.h"

#include "platform/text_file.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace sorvanta::test {

inline std::unique_ptr<tAccountObj> makeAccount(const QString& name, int smtpPort, bool authen)
{
    auto account = std::make_unique<tAccountObj>();
    account->Name = name;
    account->UserID = name + "-user";
    account->SMTPServer = "smtp." + name + ".test";
    account->PopServer = "pop." + name + ".test";
    account->Password = name + "-pop-secret";
    account->ReturnAddress = name + "@example.test";
    account->ReplyTo = "reply-" + name + "@example.test";
    account->MailDomain = name + ".test";
    account->AuName = authen ? name + "-auth" : QString();
    account->auPsw = authen ? name + "-auth-secret" : QString();
    account->SMTPPort = smtpPort;
    account->PopPort = 995;
    account->Authen = authen;
    account->MaskSMTP = !authen;
    account->MaskPop3 = false;
    return account;
}

// Every stored field of settings, plus OptionsChanged, as one text to compare.
inline std::string recordText(const TIniInfo& settings)
{
    return (settingsLine(settings) + (settings.OptionsChanged ? " changed" : " unchanged")).toStdString();
}

// The lines of Accounts, one account a line.
inline std::string accountLines()
{
    QStringList lines;
    for (int i = 0; i < Accounts.Count(); ++i)
        lines.append(accountLine(*Accounts.Items(i)));
    return lines.join('\n').toStdString();
}

// Grid cells or list items as one readable text.
inline std::string joined(const QStringList& items)
{
    return items.join('|').toStdString();
}

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();   // the fresh program folder holds no settings file
        Accounts.Clear();
        Accounts.Add(makeAccount("alpha", 25, false));
        Accounts.Add(makeAccount("beta", 587, true));

        DefaultIniInfo.NConnect = 1;
        DefaultIniInfo.DnsIP = "192.0.2.53";
        DefaultIniInfo.AutoCommit = true;
        DefaultIniInfo.AutoCommitT = 15;
        DefaultIniInfo.CharSet = "Russian(ru),koi8-r";
        DefaultIniInfo.NumberConnect = 40;
        DefaultIniInfo.TimeOut = 30;
        DefaultIniInfo.Codes = "550;554";
        DefaultIniInfo.DefaultHelo = false;
        DefaultIniInfo.TextHelo = "mail.program.test";
        DefaultIniInfo.Pop3Identify = false;
        DefaultIniInfo.ExternalSmtp = true;

        ProjectIniInfo = DefaultIniInfo;
        ProjectIniInfo.NConnect = 0;
        ProjectIniInfo.DnsIP = "198.51.100.53";
        ProjectIniInfo.PathPro = testHome() + "project/";
        ProjectIniInfo.CharSet = "German(de),iso-8859-1";
        ProjectIniInfo.NumberConnect = 7;
        ProjectIniInfo.TimeOut = 12;
        ProjectIniInfo.Codes = "421";
        ProjectIniInfo.TextHelo = "mail.project.test";   // the program's HELO fields are the ones shown
        ProjectIniInfo.ProjectName = "spring";
        ProjectIniInfo.Subject = "News";
    }

    void TearDown() override
    {
        Accounts.Clear();
        StatusCodes.clear();
        DefaultIniInfo = TIniInfo();
        ProjectIniInfo = TIniInfo();
    }

    static QByteArray settingsFileBytes() { return readFileBytes(settingsFilePath()); }
};

}  // namespace sorvanta::test
