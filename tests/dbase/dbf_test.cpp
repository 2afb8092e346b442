// The data set: reading in file order with ShowDeleted, an end of file that sticks, an empty table, repeated
// field names, code pages and AsString, the preview model (headless), and a read that fails part-way.

#include "dbase/dbf.h"
#include "dbase/dbf_error.h"
#include "dbase/dbf_table_model.h"
#include "dbase/field_text.h"
#include "platform/code_page.h"
#include "tests/dbase/dbf_builder.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

using namespace dbftest;
using sorvanta::test::writeTestFile;

namespace {

class DbfTest : public ::testing::Test {
protected:
    void SetUp() override { fieldtext::setShortDateFormat("dd.MM.yyyy"); }
    void TearDown() override { fieldtext::setShortDateFormat({}); }

    void open(const QByteArray& bytes, const QString& name = "t.dbf")
    {
        dbf.setTableName(writeTestFile(name, bytes));
        dbf.Open();
    }
    // Every shown record as "RecNo:field|field".
    QStringList walk()
    {
        QStringList rows;
        for (dbf.First(); !dbf.Eof(); dbf.Next()) {
            QStringList cells;
            for (int i = 0; i < dbf.FieldCount(); ++i)
                cells.append(dbf.Fields(i).AsString());
            rows.append(QString::number(dbf.RecNo()) + ':' + cells.join('|'));
        }
        return rows;
    }
    TDbf dbf;
};

TableBuilder fiveWithTwoDeleted()
{
    TableBuilder table(0x03, {{"NAME", 'C', 5}});
    table.record({"r1"}).record({"r2"}, true).record({"r3"}).record({"r4"}, true).record({"r5"});
    return table;
}

TEST_F(DbfTest, ShowDeletedOffAndOn)
{
    open(fiveWithTwoDeleted().bytes());
    EXPECT_EQ(walk(), QStringList({"1:r1", "3:r3", "5:r5"}));
    EXPECT_EQ(dbf.RecordCount(), 5);
    dbf.setShowDeleted(true);
    EXPECT_EQ(walk(), QStringList({"1:r1", "2:r2", "3:r3", "4:r4", "5:r5"}));
    EXPECT_EQ(dbf.RecordCount(), 5);
}

TEST_F(DbfTest, EndOfFileSticksOnTheLastRecord)
{
    TableBuilder table(0x03, {{"NAME", 'C', 5}});
    table.record({"r1"}).record({"r2"}).record({"r3"}, true);
    open(table.bytes());
    dbf.Next();
    EXPECT_FALSE(dbf.Eof());
    EXPECT_EQ(dbf.RecNo(), 2);
    dbf.Next();
    EXPECT_TRUE(dbf.Eof());
    EXPECT_EQ(dbf.RecNo(), 2);
    EXPECT_EQ(dbf.Fields(0).AsString(), "r2");
    dbf.Next();
    EXPECT_TRUE(dbf.Eof());
    EXPECT_EQ(dbf.RecNo(), 2);
    dbf.First();
    EXPECT_FALSE(dbf.Eof());
    EXPECT_EQ(dbf.RecNo(), 1);
}

TEST_F(DbfTest, EmptyTableIsAtEndAtOnce)
{
    open(TableBuilder(0x03, {{"NAME", 'C', 5}}).bytes());
    EXPECT_EQ(dbf.RecordCount(), 0);
    EXPECT_TRUE(dbf.Eof());
    EXPECT_EQ(dbf.RecNo(), 0);
    EXPECT_EQ(dbf.Fields(0).AsString(), "");
    EXPECT_TRUE(walk().isEmpty());
}

TEST_F(DbfTest, RepeatedFieldNamesGetNumbers)
{
    open(TableBuilder(0x03, {{"NAME", 'C', 2}, {"name", 'C', 2}, {"NAME2", 'C', 2}, {"CITY", 'C', 2}})
             .record({"a", "b", "c", "d"}).bytes());
    QStringList names;
    for (int i = 0; i < dbf.FieldCount(); ++i)
        names.append(dbf.Fields(i).FieldName());
    EXPECT_EQ(names, QStringList({"NAME", "NAME2", "NAME22", "CITY"}));
    EXPECT_EQ(dbf.FindField("name22")->AsString(), "c");
}

TEST_F(DbfTest, AsStringByType)
{
    open(TableBuilder(0x03, {{"TEXT", 'C', 6}, {"COUNT", 'N', 5}, {"PRICE", 'N', 8, 3}, {"BORN", 'D', 8},
                             {"OK", 'L', 1}})
             .record({"  ab  ", "  -17", "   0.250", "19991231", "T"})
             .record({"", "", "", "", "F"})
             .bytes());
    EXPECT_EQ(dbf.TableLevel(), 3);
    EXPECT_EQ(walk(), QStringList({"1:  ab|-17|0.25|31.12.1999|True", "2:||||False"}));
}

TEST_F(DbfTest, OpenFailureLeavesTheDataSetClosed)
{
    dbf.setTableName(writeTestFile("bad.dbf", "not a table at all, just some text in a file"));
    EXPECT_THROW(dbf.Open(), EDbfError);
    EXPECT_FALSE(dbf.Active());
    EXPECT_EQ(dbf.RecordCount(), 0);
}

// Code pages: the language id names the page; without one the default page 866 is used.
TEST_F(DbfTest, TextIsDecodedFromTheTablesCodePage)
{
    const QString word = QString::fromUtf8("Привет");
    TableBuilder table(0x03, {{"WORD", 'C', 10}});
    open(table.language(0xC9).record({codepage::fromUnicode(word, 1251)}).bytes(), "a.dbf");
    EXPECT_EQ(dbf.Fields(0).AsString(), word);
    EXPECT_EQ(dbf.TableLevel(), 4);
    dbf.Close();

    TableBuilder noLanguage(0x03, {{"WORD", 'C', 10}});
    open(noLanguage.record({codepage::fromUnicode(word, 866)}).bytes(), "b.dbf");
    EXPECT_EQ(dbf.dbfFile()->useCodePage(), 866);
    EXPECT_EQ(dbf.Fields(0).AsString(), word);
}

TEST_F(DbfTest, PageThatIsNotInstalledGivesTextAndAsksTheWarningHandler)
{
    const QByteArray bytes = TableBuilder(0x03, {{"WORD", 'C', 4}}).language(0x04).record({"a\xE9\x80z"}).bytes();
    open(bytes, "mac.dbf");
    EXPECT_EQ(dbf.translationMode(), TTranslationMode::tmNoneAvailable);
    const QString text = dbf.Fields(0).AsString();   // taken as the ANSI page's bytes: text, not an error
    EXPECT_TRUE(text.startsWith('a') && text.endsWith('z')) << text.toStdString();
    dbf.Close();

    int asked = 0;
    dbf.setOnLanguageWarning([&](TDbf&, int& action) { ++asked, action = 3; });
    dbf.Open();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(dbf.Fields(0).AsString(), QString::fromUtf8("aщАz"));   // read as the default page 866
}

TEST_F(DbfTest, NullFlagsFieldIsNotShown)
{
    open(TableBuilder(0x30, {{"NAME", 'C', 3, 0, 2}, {"_NULLFLAGS", '0', 1}}).language(0x03)
             .record({"abc", QByteArray(1, '\0')}).record({"", QByteArray(1, '\x01')}).bytes());
    ASSERT_EQ(dbf.FieldCount(), 1);
    EXPECT_FALSE(dbf.Fields(0).IsNull());
    dbf.Next();
    EXPECT_TRUE(dbf.Fields(0).IsNull());
}

TEST_F(DbfTest, PreviewModelShowsFieldsAndFetchesInBatches)
{
    TableBuilder table(0x03, {{"NAME", 'C', 6}, {"N", 'N', 4}});
    for (int i = 1; i <= 300; ++i)
        table.record({"row" + QByteArray::number(i), QByteArray::number(i)}, i == 2);
    open(table.bytes());
    DbfTableModel model;
    model.setDataSet(&dbf);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "NAME");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "N");
    EXPECT_EQ(model.rowCount(), DbfTableModel::BatchSize);
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), "row3");
    ASSERT_TRUE(model.canFetchMore({}));
    model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 299);
    EXPECT_FALSE(model.canFetchMore({}));
    EXPECT_EQ(model.data(model.index(298, 1)).toString(), "300");
    model.setDataSet(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
}

// Makes every later read of the open file fail as a failing disk would: its descriptor now names a folder, so
// pread answers EISDIR. Answers false when the descriptor was not found.
bool breakOpenFile(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& entry : descriptors.entryList(QDir::Files | QDir::System)) {
        if (QFileInfo(descriptors.filePath(entry)).symLinkTarget() != target)
            continue;
        const int folder = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool broken = folder >= 0 && ::dup2(folder, entry.toInt()) >= 0;
        ::close(folder);
        return broken;
    }
    return false;
}

// A read error part-way through is an error, never the end of the table: the preview keeps the rows it read
// and says why it stopped; walking the data set throws.
TEST_F(DbfTest, ReadErrorPartWayIsReportedNotTakenAsTheEnd)
{
    TableBuilder table(0x03, {{"NAME", 'C', 199}});
    for (int i = 1; i <= 1000; ++i)
        table.record({"row" + QByteArray::number(i)});   // 200-byte records: 200 KB, beyond one read-ahead
    const QString path = writeTestFile("failing.dbf", table.bytes());
    dbf.setTableName(path);
    dbf.setExclusive(true);   // the size is taken once, so the broken descriptor does not shorten the table
    dbf.Open();
    DbfTableModel model;
    model.setDataSet(&dbf);
    ASSERT_EQ(model.rowCount(), DbfTableModel::BatchSize);
    ASSERT_TRUE(breakOpenFile(path));

    while (model.canFetchMore({}))
        model.fetchMore({});
    EXPECT_GT(model.rowCount(), DbfTableModel::BatchSize);   // what the read-ahead already held
    EXPECT_LT(model.rowCount(), 1000);
    EXPECT_TRUE(model.readError().startsWith("Cannot read \"" + path + "\"")) << model.readError().toStdString();

    EXPECT_THROW(
        {
            for (dbf.First(); !dbf.Eof(); dbf.Next()) {
            }
        },
        EDbfError);
}

}  // namespace
