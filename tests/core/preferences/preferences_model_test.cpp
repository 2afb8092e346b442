// The preferences model without a window: confirming without change, the account grid's New, Copy and
// Delete Profile with the placeholder row, cells back into accounts, the status codes round trip, what the
// project scope changes, the charset choices from "charset.txt", and a settings file that cannot be written.

#include "core/preferences/preferences_model.h"

#include "core/base/text_helpers.h"
#include "tests/core/preferences_fixture.h"

#include <QDir>

namespace {

using namespace sorvanta::test;

PreferencesPageValues changedValues(const PreferencesModel& model)
{
    PreferencesPageValues values = model.pageValues();
    values.charSet = "Greek(el),iso-8859-7";
    values.projectPath = "/srv/mailings";
    values.autoCommit = false;
    values.autoCommitMinutes = 3;
    values.dnsServer = "203.0.113.1";
    values.numberConnect = 9;
    values.timeOut = 60;
    values.defaultHelo = true;
    values.textHelo = "helo.changed.test";
    values.pop3Identify = true;
    values.externalSmtp = false;
    values.codeTicks.fill(false);
    values.codeTicks[0] = true;   // 211
    return values;
}

TEST_F(PreferencesTest, ConfirmingWithoutChangeKeepsRecordAndAccountsAndWritesThem)
{
    for (SettingsScope scope : {SettingsScope::Default, SettingsScope::Project}) {
        SCOPED_TRACE(int(scope));
        TIniInfo expected = settingsOfScope(scope);
        expected.OptionsChanged = true;
        expected.DefaultHelo = DefaultIniInfo.DefaultHelo;   // the program's HELO fields are the ones shown
        expected.TextHelo = DefaultIniInfo.TextHelo;
        const std::string accountsBefore = accountLines();

        PreferencesModel model(scope);
        EXPECT_EQ(model.selectedRow(), expected.NConnect + 1);
        ASSERT_TRUE(model.confirm(model.pageValues()));

        EXPECT_EQ(recordText(settingsOfScope(scope)), recordText(expected));
        EXPECT_EQ(settingsOfScope(scope).ProjectName, expected.ProjectName);
        EXPECT_EQ(accountLines(), accountsBefore);
        EXPECT_EQ(settingsFileBytes(), encodeLines(settingsFileLines(DefaultIniInfo)));
    }
}

TEST_F(PreferencesTest, OpeningSelectsTheAccountInUseOrElseTheFirst)
{
    for (int nConnect : {-1, 0, 1, 2, 7}) {
        DefaultIniInfo.NConnect = nConnect;
        PreferencesModel model(SettingsScope::Default);
        EXPECT_EQ(model.selectedRow(), nConnect == 1 ? 2 : 1) << nConnect;
        EXPECT_EQ(joined(model.shownAccount()), joined(accountCells(*Accounts.Items(model.selectedRow() - 1))));
    }
}

TEST_F(PreferencesTest, DeletingTheOnlyAccountShowsThePlaceholderAndConfirmKeepsOnePlaceholderAccount)
{
    Accounts.Clear();
    Accounts.Add(makeAccount("only", 25, true));
    DefaultIniInfo.NConnect = 0;
    PreferencesModel model(SettingsScope::Default);

    model.deleteProfile();
    EXPECT_TRUE(model.hasNoAccount());
    EXPECT_EQ(joined(model.shownAccount()), joined(accountCells(*Accounts.DefaultAccount())));
    EXPECT_EQ(model.accountGrid().rowCount(), 2);
    EXPECT_EQ(model.accountGrid().cell(NameColumn, 1), "") << "the deleted account stays in sight";
    EXPECT_EQ(model.accountGrid().cell(AuNameColumn, 1), "");
    model.deleteProfile();   // nothing left to delete
    EXPECT_TRUE(model.hasNoAccount());

    ASSERT_TRUE(model.confirm(model.pageValues()));
    ASSERT_EQ(Accounts.Count(), 1);
    EXPECT_EQ(accountLine(*Accounts.Items(0)), accountLine(*Accounts.DefaultAccount()));
    EXPECT_EQ(DefaultIniInfo.NConnect, 0);
    EXPECT_TRUE(settingsFileBytes().startsWith("<Connections>\r\n" + accountLine(tAccountObj(true)).toUtf8()));
}

TEST_F(PreferencesTest, TypingIntoThePlaceholderMakesItAnAccountAgain)
{
    Accounts.Clear();
    PreferencesModel model(SettingsScope::Default);
    ASSERT_TRUE(model.hasNoAccount());
    model.setFlagCell(AuthenColumn, true);   // a check box alone does not make an account

    model.editCell(SMTPPortColumn, "2525");
    EXPECT_FALSE(model.hasNoAccount());
    QStringList expected = accountCells(*Accounts.DefaultAccount());
    expected[SMTPPortColumn] = "2525";
    expected[AuthenColumn] = "1";
    EXPECT_EQ(joined(model.accountGrid().rowCells(1)), joined(expected));

    ASSERT_TRUE(model.confirm(model.pageValues()));
    ASSERT_EQ(Accounts.Count(), 1);
    EXPECT_EQ(Accounts.Items(0)->SMTPPort, 2525);
    EXPECT_TRUE(Accounts.Items(0)->Authen);
    EXPECT_EQ(Accounts.Items(0)->Name, Accounts.DefaultAccount()->Name);
}

TEST_F(PreferencesTest, NewCopyAndDeleteProfileKeepRowsAndSelectionInStep)
{
    PreferencesModel model(SettingsScope::Default);   // beta selected
    const QStringList alpha = accountCells(*Accounts.Items(0));
    const QStringList beta = accountCells(*Accounts.Items(1));

    model.copyProfile();
    EXPECT_EQ(model.selectedRow(), 3);
    EXPECT_EQ(joined(model.accountGrid().rowCells(3)), joined(beta));
    model.newProfile();
    EXPECT_EQ(model.selectedRow(), 4);
    EXPECT_EQ(joined(model.shownAccount()), joined(accountCells(*Accounts.DefaultAccount())));

    model.selectRow(2);
    model.deleteProfile();   // rows below move up, the selection stays on the row that took its place
    EXPECT_EQ(model.selectedRow(), 2);
    EXPECT_EQ(joined(model.shownAccount()), joined(beta));
    model.selectRow(3);
    model.deleteProfile();   // the last row goes, the selection moves to the new last row
    EXPECT_EQ(model.selectedRow(), 2);
    EXPECT_EQ(model.accountGrid().rowCount(), 3);

    model.selectRow(0);   // the title row is no account
    model.selectRow(9);
    EXPECT_EQ(model.selectedRow(), 2);

    ASSERT_TRUE(model.confirm(model.pageValues()));
    ASSERT_EQ(Accounts.Count(), 2);
    EXPECT_EQ(joined(accountCells(*Accounts.Items(0))), joined(alpha));
    EXPECT_EQ(joined(accountCells(*Accounts.Items(1))), joined(beta));
    EXPECT_EQ(DefaultIniInfo.NConnect, 1);
}

TEST_F(PreferencesTest, CopyWithoutAccountActsAsNewProfile)
{
    Accounts.Clear();
    PreferencesModel model(SettingsScope::Default);
    model.copyProfile();
    EXPECT_FALSE(model.hasNoAccount());
    EXPECT_EQ(model.accountGrid().rowCount(), 2);
    EXPECT_EQ(joined(model.shownAccount()), joined(accountCells(*Accounts.DefaultAccount())));
}

struct CellsCase {
    const char* name;
    int column;
    QString cell;
    QString expected;   // the cell as the confirmed account gives it back
};

void PrintTo(const CellsCase& c, std::ostream* os) { *os << c.name; }

class AccountFromCellsTest : public PreferencesTest, public ::testing::WithParamInterface<CellsCase> {};

TEST_P(AccountFromCellsTest, TrimsCutsAndFallsBack)
{
    QStringList cells = accountCells(*Accounts.Items(1));
    cells[GetParam().column] = GetParam().cell;
    QStringList expected = accountCells(*Accounts.Items(1));
    expected[GetParam().column] = GetParam().expected;
    EXPECT_EQ(joined(accountCells(*accountFromCells(cells))), joined(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cells, AccountFromCellsTest,
    ::testing::Values(CellsCase{"port_not_a_number", SMTPPortColumn, "abc", "25"},
                      CellsCase{"pop_port_not_a_number", PopPortColumn, "99x", "110"},
                      CellsCase{"port_with_blanks", SMTPPortColumn, " 2525 ", "2525"},
                      CellsCase{"text_trimmed", NameColumn, "  gamma \t", "gamma"},
                      CellsCase{"text_cut_at_255", UserIDColumn, QString(300, 'u'), QString(255, 'u')},
                      CellsCase{"flag_only_one", AuthenColumn, "yes", ""},
                      CellsCase{"flag_set", MaskPop3Column, "1", "1"},
                      CellsCase{"flag_with_blank", AuthenColumn, " 1", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PreferencesTest, CodesRoundTripThroughTheSortedCheckList)
{
    StatusCodes.clear();
    for (const char* line : {"554  Transaction failed", "+550  Requested action not taken", "", "-421  Not available",
                             "250  Okay"})
        StatusCodes.add(QString::fromLatin1(line));
    DefaultIniInfo.Codes = "554; 550";
    PreferencesModel model(SettingsScope::Default);

    EXPECT_EQ(joined(model.statusCodeItems()), joined({"250  Okay", "421  Not available",
                                                        "550  Requested action not taken", "554  Transaction failed"}));
    EXPECT_EQ(model.pageValues().codeTicks, QList<bool>({false, false, true, true}));
    ASSERT_TRUE(model.confirm(model.pageValues()));
    EXPECT_EQ(DefaultIniInfo.Codes, "550;554");
    EXPECT_EQ(StatusCodes.count(), 5) << "the lines are kept as the file had them";
    EXPECT_EQ(StatusCodes.at(1), "+550  Requested action not taken");
}

TEST_F(PreferencesTest, AnEmptyStatusCodeListTakesTheStandardLines)
{
    StatusCodes.clear();
    DefaultIniInfo.Codes.clear();
    PreferencesModel model(SettingsScope::Default);
    EXPECT_EQ(joined(StatusCodes.toStringList()), joined(standardStatusCodeLines()));
    EXPECT_EQ(joined(model.statusCodeItems()), joined(standardStatusCodeLines()));
    EXPECT_EQ(codesFromTicks(model.statusCodeItems(), model.pageValues().codeTicks), "");
}

TEST_F(PreferencesTest, ProjectScopeChangesTheProjectTheAccountsAndOnlyTheProgramsHeloFields)
{
    TIniInfo program = DefaultIniInfo;
    PreferencesModel model(SettingsScope::Project);
    EXPECT_EQ(model.pageValues().textHelo, "mail.program.test");
    EXPECT_EQ(model.pageValues().dnsServer, "198.51.100.53");
    model.selectRow(1);
    model.editCell(NameColumn, "renamed");
    ASSERT_TRUE(model.confirm(changedValues(model)));

    program.DefaultHelo = true;
    program.TextHelo = "helo.changed.test";
    EXPECT_EQ(recordText(DefaultIniInfo), recordText(program));
    EXPECT_EQ(Accounts.Items(0)->Name, "renamed");
    EXPECT_EQ(settingsFileBytes(), encodeLines(settingsFileLines(program)));

    const TIniInfo& project = ProjectIniInfo;
    EXPECT_EQ(project.CharSet, "Greek(el),iso-8859-7");
    EXPECT_EQ(project.PathPro, "/srv/mailings/");
    EXPECT_EQ(project.DnsIP, "203.0.113.1");
    EXPECT_EQ(project.NumberConnect, 9);
    EXPECT_EQ(project.TimeOut, 60);
    EXPECT_EQ(project.AutoCommitT, 3);
    EXPECT_FALSE(project.AutoCommit);
    EXPECT_TRUE(project.DefaultHelo);
    EXPECT_EQ(project.TextHelo, "helo.changed.test");
    EXPECT_TRUE(project.Pop3Identify);
    EXPECT_FALSE(project.ExternalSmtp);
    EXPECT_EQ(project.Codes, "211");
    EXPECT_EQ(project.NConnect, 0);
    EXPECT_TRUE(project.OptionsChanged);
    EXPECT_EQ(project.ProjectName, "spring");
    EXPECT_EQ(project.Subject, "News");
}

TEST_F(PreferencesTest, DefaultScopeLeavesTheProjectAlone)
{
    const TIniInfo project = ProjectIniInfo;
    PreferencesModel model(SettingsScope::Default);
    ASSERT_TRUE(model.confirm(changedValues(model)));
    EXPECT_EQ(recordText(ProjectIniInfo), recordText(project));
    EXPECT_EQ(DefaultIniInfo.DnsIP, "203.0.113.1");
    EXPECT_TRUE(DefaultIniInfo.OptionsChanged);
}

TEST_F(PreferencesTest, AnEmptyCharsetChoiceKeepsTheCharsetAndAnEmptyCharsetTakesTheDefault)
{
    PreferencesModel model(SettingsScope::Default);
    PreferencesPageValues values = model.pageValues();
    values.charSet.clear();
    ASSERT_TRUE(model.confirm(values));
    EXPECT_EQ(DefaultIniInfo.CharSet, "Russian(ru),koi8-r");

    DefaultIniInfo.CharSet.clear();
    PreferencesModel fresh(SettingsScope::Default);
    EXPECT_EQ(fresh.pageValues().charSet, "English(en),iso-8859-1");
}

TEST_F(PreferencesTest, PathsGainOneSeparatorAndAnEmptyPathStaysEmpty)
{
    DefaultIniInfo.PathPro = "/srv/projects";
    PreferencesModel model(SettingsScope::Default);
    EXPECT_EQ(model.pageValues().projectPath, "/srv/projects/");
    PreferencesPageValues values = model.pageValues();
    values.projectPath.clear();
    ASSERT_TRUE(model.confirm(values));
    EXPECT_EQ(DefaultIniInfo.PathPro, "");
}

TEST_F(PreferencesTest, CharsetChoicesComeFromCharsetTxtOrTheFallback)
{
    EXPECT_EQ(charsetChoices(SettingsScope::Default), fontCharsetNames());
    EXPECT_EQ(fontCharsetNames().size(), 18);
    EXPECT_EQ(joined(charsetChoices(SettingsScope::Project)), "");

    writeFileBytes(ProgramFolder() + "charset.txt",
                   "English(en),iso-8859-1\r\n\r\nRussian(ru),koi8-r\nUkrainian(uk),koi8-u\r\n");
    const QStringList fromFile{"English(en),iso-8859-1", "Russian(ru),koi8-r", "Ukrainian(uk),koi8-u"};
    EXPECT_EQ(joined(charsetChoices(SettingsScope::Default)), joined(fromFile));
    EXPECT_EQ(joined(charsetChoices(SettingsScope::Project)), joined(fromFile));

    writeFileBytes(ProgramFolder() + "charset.txt", "");
    EXPECT_EQ(charsetChoices(SettingsScope::Default), fontCharsetNames());
}

TEST_F(PreferencesTest, ASettingsFileThatCannotBeWrittenIsReportedWhileTheSettingsAreTaken)
{
    ASSERT_TRUE(QDir().mkpath(settingsFilePath()));   // a folder where the file should be
    PreferencesModel model(SettingsScope::Default);
    QString error;
    EXPECT_FALSE(model.confirm(changedValues(model), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(DefaultIniInfo.DnsIP, "203.0.113.1");
}

}  // namespace
