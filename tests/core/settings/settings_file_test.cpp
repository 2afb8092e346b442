// The settings file byte for byte: the first exit's file, round trips of escaped, "%" and long fields, the INI
// layout rewritten in block layout, the reader's heading and line-end rules, backup of unknown files, mode 0600.

#include "core/settings/settings_file.h"

#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/settings/status_codes.h"

#include "platform/disk_write.h"

#include "tests/support/full_disk.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {

using sorvanta::test::FullDiskRun;
using sorvanta::test::readExistingFileBytes;
using sorvanta::test::runOnFullDisk;
using sorvanta::test::sourcePath;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

int fileMode(const QString& path)
{
    struct stat status {};
    EXPECT_EQ(stat(QFile::encodeName(path).constData(), &status), 0);
    return int(status.st_mode & 07777);
}

// A golden file with "@PROJECTS@" standing for the default projects' folder.
QByteArray golden(const QString& name)
{
    return readExistingFileBytes(sourcePath("core/data/" + name))
        .replace("@PROJECTS@", DefaultProjectFolder().toUtf8());
}

class SettingsFileTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        Accounts.Clear();
        StatusCodes.clear();
        DefaultIniInfo = TIniInfo();
    }

    static void load(const QByteArray& bytes)
    {
        writeFileBytes(settingsFilePath(), bytes);
        LoadSettings();
    }
    static QByteArray saved()
    {
        QString error;
        EXPECT_TRUE(SaveSettings(&error)) << error.toStdString();
        return readExistingFileBytes(settingsFilePath());
    }
    static void expectDefaultsAndOnePlaceholder()
    {
        EXPECT_EQ(settingsLine(DefaultIniInfo), settingsLine(DefaultIniInfoValues()));
        ASSERT_EQ(Accounts.Count(), 1);
        EXPECT_EQ(accountLine(*Accounts.Items(0)), accountLine(tAccountObj(true)));
        EXPECT_TRUE(StatusCodes.isEmpty());
    }
};

TEST_F(SettingsFileTest, FirstExitWritesDefaultsWithPlaceholderAccount)
{
    LoadSettings();
    expectDefaultsAndOnePlaceholder();
    EXPECT_EQ(saved(), golden("setupkrn_first_exit.ini"));
    EXPECT_EQ(fileMode(settingsFilePath()), 0600);
    EXPECT_FALSE(QFile::exists(settingsFilePath() + ".bak"));
}

TEST_F(SettingsFileTest, SecondStartReadsTheFileBackUnchanged)
{
    LoadSettings();
    tAccountObj* account = Accounts.Items(0);
    account->Name = "Caret ^ and 100% and %41";
    account->Password = QString(300, 'p');
    account->MaskPop3 = false;   // the last field: empty on the line
    auto second = std::make_unique<tAccountObj>();
    second->auPsw = QString::fromUtf8("pässwörd^");
    Accounts.Add(std::move(second));
    StatusCodes.add("550  Requested action not taken: mailbox unavailable  ");
    StatusCodes.add("-421  Service not available");
    DefaultIniInfo.NConnect = 1;
    DefaultIniInfo.Codes = "550;421";
    DefaultIniInfo.DnsIP = QString(254, 'd') + "^^";
    DefaultIniInfo.TextHelo = QString(400, 'h') + "^";
    DefaultIniInfo.LogFile = "";
    DefaultIniInfo.LangOn = true;
    const QByteArray first = saved();

    LoadSettings();
    EXPECT_EQ(Accounts.Count(), 2);
    EXPECT_EQ(Accounts.Items(0)->Name, "Caret ^ and 100% and %41");
    EXPECT_EQ(Accounts.Items(0)->Password, QString(255, 'p'));   // short strings are cut at 255
    EXPECT_FALSE(Accounts.Items(0)->MaskPop3);
    EXPECT_EQ(Accounts.Items(1)->auPsw, QString::fromUtf8("pässwörd^"));
    EXPECT_EQ(StatusCodes.toStringList(), QStringList({"550  Requested action not taken: mailbox unavailable  ",
                                                      "-421  Service not available"}));
    EXPECT_EQ(DefaultIniInfo.DnsIP, QString(254, 'd') + "^");
    EXPECT_EQ(DefaultIniInfo.TextHelo, QString(400, 'h') + "^");   // long strings are not cut
    EXPECT_TRUE(DefaultIniInfo.LangOn);
    EXPECT_EQ(DefaultIniInfo.NConnect, 1);
    EXPECT_EQ(saved(), first);
    // Lines are not cut at 255 characters: the settings line carries the whole long HELO text.
    EXPECT_TRUE(first.contains(QString(400, 'h').toUtf8() + "%5E"));
}

TEST_F(SettingsFileTest, IniLayoutIsReadAndRewrittenInBlockLayout)
{
    load(readExistingFileBytes(sourcePath("core/data/setupkrn_ini_layout.ini")));
    ASSERT_EQ(Accounts.Count(), 2);
    EXPECT_EQ(Accounts.Items(0)->Password, "pw%41");
    EXPECT_EQ(Accounts.Items(1)->Name, "Home ^ Away");
    EXPECT_EQ(DefaultIniInfo.PathPro, DefaultProjectFolder());   // the file's folder does not exist
    EXPECT_EQ(saved(), golden("setupkrn_ini_layout_rewritten.ini"));
    EXPECT_FALSE(QFile::exists(settingsFilePath() + ".bak"));
}

TEST_F(SettingsFileTest, OldFilesDecodePercentEscapes)
{
    load("<Connections>\r\nA%41^%5e^%5E\r\n");
    EXPECT_EQ(Accounts.Items(0)->Name, "AA");
    EXPECT_EQ(Accounts.Items(0)->UserID, "%5e");
    EXPECT_EQ(Accounts.Items(0)->SMTPServer, "^");
}

TEST_F(SettingsFileTest, AcceptsEveryLineEnd)
{
    const QByteArray lines[] = {"<Connections>", "Me^me", "", "<Status Codes>", "550  x", "", "<Mail Info>",
                                "2^10.0.0.1"};
    for (const char* end : {"\r\n", "\n", "\r"}) {
        QByteArray bytes;
        for (const QByteArray& line : lines)
            bytes += line + end;
        load(bytes);
        SCOPED_TRACE(QByteArray(end).toHex().toStdString());
        ASSERT_EQ(Accounts.Count(), 1);
        EXPECT_EQ(Accounts.Items(0)->UserID, "me");
        EXPECT_EQ(StatusCodes.toStringList(), QStringList{"550  x"});
        EXPECT_EQ(DefaultIniInfo.NConnect, 2);
        EXPECT_EQ(DefaultIniInfo.DnsIP, "10.0.0.1");
    }
}

TEST_F(SettingsFileTest, HeadingsMatchWithoutCase)
{
    load("<connections>\nMe\n\n<STATUS CODES>\n550  x\n\n<mail info>\n3\n");
    EXPECT_EQ(Accounts.Items(0)->Name, "Me");
    EXPECT_EQ(StatusCodes.count(), 1);
    EXPECT_EQ(DefaultIniInfo.NConnect, 3);
}

TEST_F(SettingsFileTest, ReadingStopsAtTheFirstMisplacedLine)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        int accounts;
        int statusCodes;
        int nConnect;
        bool keptAsBackup;   // lines were left unread: the rewrite at exit would lose them
    };
    const Case cases[] = {
        {"status_heading_missing", "<Connections>\nA\nB\n\n<Mail Info>\n4\n", 2, 0, 0, true},
        // Without the empty line the heading and the codes are read as accounts.
        {"no_empty_line_before_status", "<Connections>\nA\n<Status Codes>\n550\n\n<Mail Info>\n4\n", 3, 0, 0,
         true},
        {"status_heading_last_line", "<Connections>\nA\n\n<Status Codes>\n", 1, 0, 0, true},
        {"mail_heading_misspelt", "<Connections>\nA\n\n<Status Codes>\n550\n\n<MailInfo>\n4\n", 1, 1, 0, true},
        {"ends_with_mail_heading", "<Connections>\nA\n\n<Status Codes>\n550\n451\n\n<Mail Info>\n", 1, 2, 0,
         false},
        {"ends_after_the_accounts", "<Connections>\nA\n\n\n", 1, 0, 0, false},
        {"empty_status_block", "<Connections>\nA\n\n<Status Codes>\n\n<Mail Info>\n4\n", 1, 0, 4, false},
        {"settings_line_beyond_20_fields", "<Connections>\nA\n\n<Status Codes>\n\n<Mail Info>\n"
                                           "4^^^^^^^^^^^^^^^^^^^^7\n", 1, 0, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(c.bytes);
        EXPECT_EQ(Accounts.Count(), c.accounts);
        EXPECT_EQ(StatusCodes.count(), c.statusCodes);
        EXPECT_EQ(DefaultIniInfo.NConnect, c.nConnect);
        EXPECT_EQ(QFile::exists(settingsFilePath() + ".bak"), c.keptAsBackup);
        if (c.keptAsBackup) {
            EXPECT_EQ(readExistingFileBytes(settingsFilePath() + ".bak"), c.bytes);
        }
        QFile::remove(settingsFilePath() + ".bak");
    }
}

TEST_F(SettingsFileTest, UnrecognisedFileIsKeptBeforeDefaultsReplaceIt)
{
    const QByteArray unknown[] = {
        "[user]\r\nCount=1\r\n0=Me\r\n",                             // the INI heading is case-sensitive
        "<Connections>\r\n\r\nnotes\r\n",                             // no known heading after the accounts
        "some other program's notes\r\n",
    };
    for (const QByteArray& bytes : unknown) {
        SCOPED_TRACE(bytes.toStdString());
        load(bytes);
        expectDefaultsAndOnePlaceholder();
        EXPECT_EQ(readExistingFileBytes(settingsFilePath() + ".bak"), bytes);
        EXPECT_EQ(saved(), golden("setupkrn_first_exit.ini"));
        QFile::remove(settingsFilePath() + ".bak");
    }
}

// An empty account block is a layout of its own, not damage: no accounts (so the placeholder), no warning and no
// copy; the blocks after it are read as usual.
TEST_F(SettingsFileTest, EmptyAccountBlockReadsAsNoAccountsSilently)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        int statusCodes;
        int nConnect;
    };
    const Case cases[] = {
        {"heading_alone", "<Connections>\r\n", 0, 0},
        {"heading_and_empty_line", "<Connections>\r\n\r\n", 0, 0},
        {"status_codes_after_it", "<Connections>\r\n\r\n<Status Codes>\r\n550  x\r\n", 1, 0},
        {"every_block_after_it",
         "<connections>\r\n\r\n<Status Codes>\r\n550  x\r\n451  y\r\n\r\n<Mail Info>\r\n3^dns\r\n", 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFileBytes(settingsFilePath(), c.bytes);
        EXPECT_EQ(unreadableSettingsMessage(LoadSettings()).toStdString(), "");
        ASSERT_EQ(Accounts.Count(), 1);
        EXPECT_EQ(accountLine(*Accounts.Items(0)), accountLine(tAccountObj(true)));
        EXPECT_EQ(StatusCodes.count(), c.statusCodes);
        EXPECT_EQ(DefaultIniInfo.NConnect, c.nConnect);
        EXPECT_FALSE(QFile::exists(settingsFilePath() + ".bak"));
        if (c.statusCodes == 0) {
            EXPECT_EQ(saved(), golden("setupkrn_first_exit.ini"));   // the first exit's file, as with no file
        }
    }
}

TEST_F(SettingsFileTest, SettingsLineFieldsAndFlags)
{
    QDir(testHome()).mkdir("projects");
    const QString projects = testHome() + "projects/";
    load("<Connections>\nA\n\n<Status Codes>\n\n<Mail Info>\n"
         " 1 ^ dns ^1^-3x^Cyrillic,koi8-r^" + projects.toUtf8() + "^$10^^1^0x1E^550^^^^^^^^^\n");
    const TIniInfo& s = DefaultIniInfo;
    EXPECT_EQ(s.NConnect, 1);
    EXPECT_EQ(s.DnsIP, "dns");
    EXPECT_TRUE(s.AutoCommit);
    EXPECT_EQ(s.AutoCommitT, 3);
    EXPECT_EQ(s.CharSet, "Cyrillic,koi8-r");
    EXPECT_EQ(s.PathPro, projects);
    EXPECT_EQ(s.NumberConnect, 16);
    EXPECT_EQ(s.AutoCheckMinutes, 0);
    EXPECT_TRUE(s.Html);
    EXPECT_EQ(s.TimeOut, 30);
    EXPECT_EQ(s.Codes, "550");
    // Every flag written false (an empty field) reads false, the last one included.
    EXPECT_FALSE(s.DefaultHelo);
    EXPECT_FALSE(s.Pop3Identify);
    EXPECT_EQ(s.LangFile, "");
    EXPECT_EQ(s.SectionSymbol, ";");   // project fields keep their defaults
}

TEST_F(SettingsFileTest, EmptyAccountListWritesThePlaceholder)
{
    LoadSettings();
    Accounts.Clear();
    EXPECT_EQ(saved(), golden("setupkrn_first_exit.ini"));
}

TEST_F(SettingsFileTest, RewriteMakesAnOpenFileOwnerOnly)
{
    writeFileBytes(settingsFilePath(), "old");
    QFile::setPermissions(settingsFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                  | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    LoadSettings();
    saved();
    EXPECT_EQ(fileMode(settingsFilePath()), 0600);
}

TEST_F(SettingsFileTest, FailedWriteIsReported)
{
    LoadSettings();
    qputenv("SORVANTA_HOME", (testHome() + "missing/folder").toUtf8());
    QString error;
    EXPECT_FALSE(SaveSettings(&error));
    EXPECT_EQ(error, "The settings could not be saved to \"" + testHome()
                         + "missing/folder/setupkrn.ini\": No such file or directory."
                           " The file keeps its earlier contents.");
    qputenv("SORVANTA_HOME", testHome().toUtf8());
}

// The exit's rewrite on a full disk, through the seam and on a real full tmpfs: the old file (accounts and
// passwords) stays byte for byte, the message names the file and the reason, no temporary stays beside it.
QByteArray settingsSaveReport(const QString& folder, bool throughSeam)
{
    qputenv("SORVANTA_HOME", folder.toUtf8());
    const QByteArray old = readExistingFileBytes(settingsFilePath());
    LoadSettings();
    StatusCodes.add("550  Requested action not taken");
    QString error;
    bool saved = false;
    if (throughSeam) {
        ScopedDiskFault disk({0, ENOSPC});
        saved = SaveSettings(&error);
    } else {
        saved = SaveSettings(&error);
    }
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.removeAll("filler");
    return "saved=" + QByteArray::number(saved) + "\nerror=" + error.toUtf8() + "\nnames=" + names.join(',').toUtf8()
           + "\nsame=" + QByteArray::number(readExistingFileBytes(settingsFilePath()) == old);
}

std::string expectedSaveReport(const QString& folder)
{
    return ("saved=0\nerror=The settings could not be saved to \"" + folder
            + "/setupkrn.ini\": No space left on device. The file keeps its earlier contents."
              "\nnames=setupkrn.ini\nsame=1")
        .toStdString();
}

TEST_F(SettingsFileTest, FullDiskKeepsTheOldSettings)
{
    const QByteArray old = golden("setupkrn_first_exit.ini").replace("Your Name", "Work account");
    const QString folder = testHome() + "program";
    QDir().mkpath(folder);
    writeFileBytes(folder + "/setupkrn.ini", old);
    EXPECT_EQ(settingsSaveReport(folder, true).toStdString(), expectedSaveReport(folder));

    const FullDiskRun run = runOnFullDisk(
        [&](const QString& disk) { writeFileBytes(disk + "/setupkrn.ini", old); },
        [](const QString& disk) { return settingsSaveReport(disk, false); });
    qputenv("SORVANTA_HOME", testHome().toUtf8());
    if (!run.mounted)
        GTEST_SKIP() << "no tmpfs here: " << run.refusal.toStdString();
    EXPECT_EQ(run.report.toStdString(), expectedSaveReport(testHome() + "disk"));
}

}  // namespace
