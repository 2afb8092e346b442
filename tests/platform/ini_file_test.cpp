// IniFile: reading rules as a table, the byte-exact rewrite that keeps what it does not know, atomic failure.

#include "platform/ini_file.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

using sorvanta::test::readExistingFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

QString writeFile(const QByteArray& bytes)
{
    return writeTestFile("test.ini", bytes);
}

const QByteArray kSample = "; leading comment\r\n"
                           "orphan=before any section\r\n"
                           "[Main]\r\n"
                           "Server Name = smtp.example.com \r\n"
                           "Port=0x19\r\n"
                           "Count=-12\r\n"
                           "Bad=12abc\r\n"
                           "Quoted=\"  padded  \"\r\n"
                           "Single='x'\r\n"
                           "Half=\"open\r\n"
                           "Equals=a=b\r\n"
                           "Empty=\r\n"
                           "Flag=1\r\n"
                           "Off=0\r\n"
                           "; comment in section\r\n"
                           "\r\n"
                           "  [ Other ]  \r\n"
                           "key=other\r\n"
                           "[Broken\r\n"
                           "after=broken heading\r\n"
                           "Huge=99999999999\r\n";

struct ReadCase {
    const char* name;
    const char* section;
    const char* key;
    QString text;     // readString with default "dflt"
    int integer;      // readInteger with default -1
};

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsAsTheProfileApi)
{
    const IniFile ini(writeFile(kSample));
    const ReadCase& c = GetParam();
    EXPECT_EQ(ini.readString(c.section, c.key, "dflt"), c.text);
    EXPECT_EQ(ini.readInteger(c.section, c.key, -1), c.integer);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, IniReadTest,
    ::testing::Values(ReadCase{"key_with_blanks_trimmed_value", "main", "server name", "smtp.example.com", -1},
                      ReadCase{"hex_integer", "MAIN", "port", "0x19", 25},
                      ReadCase{"negative_integer", "Main", "Count", "-12", -12},
                      ReadCase{"trailing_letters_give_default", "Main", "Bad", "12abc", -1},
                      ReadCase{"quotes_removed_blanks_kept", "Main", "Quoted", "  padded  ", -1},
                      ReadCase{"single_quotes_removed", "Main", "Single", "x", -1},
                      ReadCase{"unmatched_quote_kept", "Main", "Half", "\"open", -1},
                      ReadCase{"value_after_first_equals", "Main", "Equals", "a=b", -1},
                      ReadCase{"empty_value_is_not_default", "Main", "Empty", "", -1},
                      ReadCase{"missing_key_default", "Main", "Nope", "dflt", -1},
                      ReadCase{"missing_section_default", "Nope", "Port", "dflt", -1},
                      ReadCase{"heading_blanks_trimmed", "other", "KEY", "other", -1},
                      ReadCase{"line_without_bracket_is_no_heading", "Other", "after", "broken heading", -1},
                      ReadCase{"overflow_gives_default", "Other", "Huge", "99999999999", -1},
                      ReadCase{"lines_before_sections_unreachable", "", "orphan", "dflt", -1},
                      ReadCase{"comment_is_not_a_key", "Main", "; comment in section", "dflt", -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFileTest, BooleansReadAsIntegerAndWriteAsDigits)
{
    IniFile ini(writeFile(kSample));
    EXPECT_TRUE(ini.readBool("Main", "Flag", false));
    EXPECT_FALSE(ini.readBool("Main", "Off", true));
    EXPECT_TRUE(ini.readBool("Main", "Count", false));
    EXPECT_TRUE(ini.readBool("Main", "Missing", true));
    ini.writeBool("Main", "Flag", false);
    ini.writeBool("Main", "New", true);
    EXPECT_EQ(ini.readString("Main", "Flag", ""), "0");
    EXPECT_EQ(ini.readString("Main", "New", ""), "1");
}

TEST(IniFileTest, RewriteKeepsUnknownLinesAndChangesOnlyWhatWasWritten)
{
    const QString path = writeFile(kSample);
    IniFile ini(path);
    ini.writeInteger("main", "PORT", 587);
    ini.writeString("Main", "Added Key", "v");
    ini.writeString("Third", "k", " spaced ");
    ini.deleteKey("Other", "huge");
    ASSERT_TRUE(ini.updateFile());
    QByteArray expected = kSample;
    expected.replace("Port=0x19", "Port=587");
    expected.replace("Off=0\r\n", "Off=0\r\nAdded Key=v\r\n");
    expected.replace("Huge=99999999999\r\n", "[Third]\r\nk= spaced \r\n");
    EXPECT_EQ(readExistingFileBytes(path), expected);
    EXPECT_EQ(IniFile(path).readString("Third", "k", ""), "spaced");
}

TEST(IniFileTest, SectionsKeysAndErasing)
{
    IniFile ini(writeFile(kSample));
    EXPECT_EQ(ini.sections(), (QStringList{"Main", "Other"}));
    EXPECT_TRUE(ini.sectionExists("OTHER"));
    EXPECT_TRUE(ini.valueExists("main", "EMPTY"));
    EXPECT_FALSE(ini.valueExists("main", "absent"));
    EXPECT_EQ(ini.sectionKeys("Other"), (QStringList{"key", "after", "Huge"}));
    EXPECT_EQ(ini.sectionValues("Other"), (QStringList{"key=other", "after=broken heading", "Huge=99999999999"}));
    ini.eraseSection("main");
    EXPECT_FALSE(ini.sectionExists("Main"));
    EXPECT_EQ(ini.sections(), (QStringList{"Other"}));
}

// The first of two keys that differ only in case is the one read and written; deleting a key removes both and
// leaves every other key found where it is.
TEST(IniFileTest, DuplicateKeysAndDeletionKeepLookupsRight)
{
    IniFile ini(writeFile("[S]\r\na=1\r\nKey=first\r\nb=2\r\nKEY=second\r\nc=3\r\n; end\r\n"));
    EXPECT_EQ(ini.readString("s", "key", ""), "first");
    ini.writeString("S", "kEy", "changed");
    EXPECT_EQ(ini.sectionValues("S"), (QStringList{"a=1", "Key=changed", "b=2", "KEY=second", "c=3"}));
    ini.deleteKey("S", "a");
    ini.deleteKey("S", "key");
    EXPECT_EQ(ini.readString("S", "c", ""), "3");
    EXPECT_EQ(ini.readString("S", "B", ""), "2");
    EXPECT_FALSE(ini.valueExists("S", "key"));
    ini.writeString("S", "d", "4");
    ini.writeString("S", "KEY", "new");
    EXPECT_EQ(ini.sectionValues("S"), (QStringList{"b=2", "c=3", "d=4", "KEY=new"}));
    EXPECT_EQ(ini.readString("S", "c", ""), "3");
}

TEST(IniFileTest, MissingFileStartsEmptyAndIsCreated)
{
    const QString path = testHome() + "new.ini";
    IniFile ini(path);
    EXPECT_TRUE(ini.sections().isEmpty());
    ini.writeString("S", "a", "1");
    ini.writeString("T", "b", "2");
    ini.writeString("S", "c", "3");
    ASSERT_TRUE(ini.updateFile());
    EXPECT_EQ(readExistingFileBytes(path), "[S]\r\na=1\r\nc=3\r\n[T]\r\nb=2\r\n");
}

TEST(IniFileTest, FailedWriteReportsWhyAndHarmsNothing)
{
    const QString path = testHome() + "folder.ini";   // a folder where the file should be
    ASSERT_TRUE(QDir().mkpath(path + "/inside"));
    IniFile ini(path);
    ini.writeString("A", "x", "2");
    QString error;
    EXPECT_FALSE(ini.updateFile(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QDir(path + "/inside").exists());
}

}  // namespace
