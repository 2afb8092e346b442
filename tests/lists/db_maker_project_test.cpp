// DB Maker project files (".cnd"), result lines and the "Apply && Exit" hand-back, byte for byte.

#include "lists/comma_text.h"
#include "lists/db_maker_project.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace {

using sorvanta::test::readExistingFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

DbMakerSettings sampleSettings()
{
    DbMakerSettings settings;
    settings.folder = "/data/pages";
    settings.mask = "*.htm";
    settings.beginMarker = "<tr>";
    settings.endMarker = "</tr>";
    settings.limitLength = true;
    settings.maxLength = "5000";
    settings.searchTable = true;
    settings.tableMode = false;
    settings.tableNumber = "2";
    settings.delimitedMode = true;
    settings.delimiter = ",";
    settings.splitQuoted = true;
    settings.severalAsOne = false;
    settings.fieldRows = {{"Mail", "^Find@", "", "1", "", "", "", "", "Yes"},
                          {"Name", "name:", ";", "2", "10", "2", "1", "3", ""}};
    return settings;
}

const QByteArray sampleFile = "/data/pages|*.htm\r\n"
                              "<tr>|</tr>|1|5000|1||2|1|,|1||\r\n"
                              "Mail|^Find@||1|||||Yes\r\n"
                              "Name|name:|;|2|10|2|1|3|\r\n";

TEST(DbMakerProject, WritesTheFileByteForByteAndReadsItBack)
{
    const QString path = testHome() + "list.cnd";
    ASSERT_TRUE(saveDbMakerProject(path, sampleSettings()));
    EXPECT_EQ(readExistingFileBytes(path), sampleFile);
    DbMakerSettings read;
    ASSERT_TRUE(loadDbMakerProject(path, read));
    EXPECT_EQ(read, sampleSettings());
}

TEST(DbMakerProject, RowsWithoutANameAreNotWritten)
{
    DbMakerSettings settings;
    settings.fieldRows = {{" ", "x"}, {"A"}};
    EXPECT_EQ(dbMakerProjectLines(settings),
              (QStringList{"|*.*", "|||1000000||1|1||;|||", "A||||||||"}));
}

TEST(DbMakerProject, LineZeroWithoutBarIsTheFolder)
{
    const DbMakerSettings read = parseDbMakerProject({" /home/me/pages "}, DbMakerSettings());
    EXPECT_EQ(read.folder, QStringLiteral("/home/me/pages"));
    EXPECT_EQ(read.mask, QStringLiteral("*.*"));
    EXPECT_TRUE(read.fieldRows.isEmpty());
}

TEST(DbMakerProject, MissingValuesLeaveEditsEmptyAndBoxesUnchecked)
{
    DbMakerSettings defaults;
    defaults.fieldRows = {{"Old"}};
    const DbMakerSettings read = parseDbMakerProject({"/f|*.txt", " start | end |1", "Mail| ^Find@ "}, defaults);
    EXPECT_EQ(read.beginMarker, QStringLiteral("start"));
    EXPECT_EQ(read.endMarker, QStringLiteral("end"));
    EXPECT_TRUE(read.limitLength);
    EXPECT_EQ(read.maxLength, QString());
    EXPECT_FALSE(read.tableMode);
    EXPECT_EQ(read.delimiter, QString());
    EXPECT_EQ(read.fieldRows, (QList<QStringList>{{"Mail", "^Find@", "", "", "", "", "", "", ""}}));
}

TEST(DbMakerProject, UnderThreeLinesResetsTheFields)
{
    DbMakerSettings defaults;
    defaults.fieldRows = {{"Old"}};
    const DbMakerSettings read = parseDbMakerProject({"/f", "a|b|"}, defaults);
    EXPECT_TRUE(read.fieldRows.isEmpty());
    EXPECT_EQ(read.beginMarker, QStringLiteral("a"));
    EXPECT_EQ(read.maxLength, QString());
}

TEST(DbMakerProject, MissingOrBrokenFilesKeepTheDefaults)
{
    DbMakerSettings settings = sampleSettings();
    EXPECT_FALSE(loadDbMakerProject(testHome() + "absent.cnd", settings));
    EXPECT_EQ(settings, sampleSettings());
    const QString broken = writeTestFile("broken.cnd", QByteArray("\x00\xFF|\x01\r\n\xFE", 7));
    DbMakerSettings fromBroken;
    EXPECT_TRUE(loadDbMakerProject(broken, fromBroken));
    EXPECT_TRUE(fromBroken.fieldRows.isEmpty());
}

TEST(DbMakerProject, ValuesTheFileCannotHoldAreNamedAndNeverShiftOthers)
{
    DbMakerSettings settings = sampleSettings();
    settings.folder = "/odd|name";
    settings.endMarker = " ";
    settings.delimiter = "|";
    settings.fieldRows[1][2] = "a|b";
    const QStringList names{"Folder", "Mask", "Begin", "End", "", "Length", "", "", "Table", "", "Delimiter"};
    const QStringList titles{"Field Name", "Field begin", "Field end"};
    EXPECT_EQ(unstorableProjectValues(settings, names, titles),
              (QStringList{"End", "Delimiter", "Field end (Name)"}));
    EXPECT_TRUE(unstorableProjectValues(sampleSettings(), names, titles).isEmpty());
    const DbMakerSettings read = parseDbMakerProject(dbMakerProjectLines(settings), DbMakerSettings());
    EXPECT_EQ(read.folder, QStringLiteral("/odd|name"));
    EXPECT_EQ(read.tableNumber, QStringLiteral("2"));
    EXPECT_TRUE(read.splitQuoted);
    EXPECT_EQ(read.fieldRows[1][2], QStringLiteral("ab"));
    EXPECT_EQ(read.fieldRows[1][3], QStringLiteral("2"));
}

TEST(DbMakerProject, ResultLinesAndNames)
{
    EXPECT_EQ(dbMakerResultLines({{"a.htm", "x", ""}, {"b.txt"}}, ';'), (QStringList{"a.htm;x;", "b.txt"}));
    EXPECT_EQ(defaultResultFileName("/p/list.cnd"), QStringLiteral("/p/list.txt"));
    EXPECT_EQ(withDefaultExtension("/p.d/name", ".cnd"), QStringLiteral("/p.d/name.cnd"));
    EXPECT_EQ(withDefaultExtension("/p/name.x", ".cnd"), QStringLiteral("/p/name.x"));
}

// What the list editor reads back: one comma text per row and the widest row.
TEST(DbMakerHandBack, RowsReadBackThroughTheCommaTextReader)
{
    DbMakerHandBack handBack;
    const QList<QStringList> rows{{"a b", "say \"x\""}, {"1,2", "", "last"}};
    for (const QStringList& row : rows)
        handBack.add(row);
    EXPECT_EQ(handBack.columnCount, 3);
    ASSERT_EQ(handBack.commaTexts.size(), 2);
    EXPECT_EQ(commaTextValues(handBack.commaTexts[0]), rows[0]);
    EXPECT_EQ(commaTextValues(handBack.commaTexts[1]), rows[1]);
}

}  // namespace
