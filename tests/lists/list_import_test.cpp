// Imported records into the list grid: text lines and dBase tables, into an empty list (filled from row 1) or
// a list of records (appended to), from a start row; new columns titled, and an import that writes nothing
// or fails leaving the list as it was. Tables are read and never written, write-protected ones included.

#include "core/project/list_file.h"
#include "lists/import_text_file.h"
#include "lists/list_import.h"
#include "platform/code_page.h"
#include "tests/dbase/dbf_builder.h"
#include "tests/lists/list_grids.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

using namespace sorvanta::test;
using dbftest::TableBuilder;

StringGrid emptyList()
{
    return StringGrid(1, 2);
}

StringGrid listOfFive()
{
    return gridOfRows({{"Column#1", "Column#2"}, {"r1", "a"}, {"r2", "b"}, {"r3", "c"}, {"r4", "d"}, {"r5", "e"}});
}

// The lines as a file's text, cut at semicolons.
ImportResult importLines(StringGrid& grid, const QStringList& lines, int startRow, const ImportProgress& progress = {})
{
    const ImportTextFile file = decodeImportText(lines.join("\r\n").toUtf8(), false);
    EXPECT_TRUE(file.ok);
    TextCut cut;
    cut.delimiters = ";";
    return importText(grid, *file.text, startRow, cut, progress);
}

struct TextImportCase {
    const char* name;
    bool listEmpty;
    int startRow;
    QStringList lines;
    std::vector<QStringList> expectedRows;   // the whole grid, row 0 included
};

class TextImportTest : public ::testing::TestWithParam<TextImportCase> {};

TEST_P(TextImportTest, FillsOrAppendsFromTheStartRow)
{
    const TextImportCase& c = GetParam();
    StringGrid grid = c.listEmpty ? emptyList() : listOfFive();
    const ImportResult result = importLines(grid, c.lines, c.startRow);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(rowsOfGrid(grid), c.expectedRows);
}

const std::vector<QStringList> FiveRows = {{"Column#1", "Column#2"}, {"r1", "a"}, {"r2", "b"}, {"r3", "c"},
                                           {"r4", "d"},             {"r5", "e"}};

std::vector<QStringList> fiveAnd(std::vector<QStringList> more)
{
    std::vector<QStringList> rows = FiveRows;
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Imports, TextImportTest,
    ::testing::Values(
        TextImportCase{"empty_list_from_row_1", true, 1, {"x;1", "y;2", "z;3"},
                       {{"", "Column#2"}, {"x", "1"}, {"y", "2"}, {"z", "3"}}},
        TextImportCase{"empty_list_from_row_3", true, 3, {"x;1", "y;2", "z;3"}, {{"", "Column#2"}, {"z", "3"}}},
        TextImportCase{"five_from_row_1", false, 1, {"x;1", "y;2"}, fiveAnd({{"x", "1"}, {"y", "2"}})},
        TextImportCase{"five_from_row_3", false, 3, {"x;1", "y;2", "z;3"}, fiveAnd({{"z", "3"}})},
        TextImportCase{"start_row_below_1", false, 0, {"x;1"}, fiveAnd({{"x", "1"}})},
        TextImportCase{"only_new_columns_titled", false, 1, {"x;1;extra;more"},
                       {{"Column#1", "Column#2", "Column#3", "Column#4"}, {"r1", "a", "", ""}, {"r2", "b", "", ""},
                        {"r3", "c", "", ""}, {"r4", "d", "", ""}, {"r5", "e", "", ""}, {"x", "1", "extra", "more"}}},
        TextImportCase{"empty_line_is_a_blank_row", false, 1, {"x;1", "", "y;2"}, fiveAnd({{"x", "1"}, {"", ""}, {"y", "2"}})},
        TextImportCase{"empty_file_changes_nothing", false, 1, {}, FiveRows},
        TextImportCase{"empty_file_keeps_an_empty_list", true, 1, {}, {{""}, {""}}},
        TextImportCase{"start_row_past_the_end", false, 4, {"x;1", "y;2", "z;3"}, FiveRows},
        TextImportCase{"start_row_past_the_end_of_an_empty_list", true, 9, {"x;1"}, {{""}, {""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImportPlacementTest, EmptyListStartsAtRowOneAndOthersAppend)
{
    const StringGrid empty = emptyList();
    const StringGrid five = listOfFive();
    EXPECT_EQ(placeImport(empty, 3).firstRow, 1);
    EXPECT_EQ(placeImport(empty, 3).rowCount, 4);
    EXPECT_EQ(placeImport(five, 3).firstRow, 6);
    EXPECT_EQ(placeImport(five, 3).rowCount, 9);
    EXPECT_EQ(placeImport(five, 0).rowCount, 6);
    EXPECT_EQ(placeImport(empty, 0).rowCount, 2);
}

TEST(TextImportProgressTest, ReportsEveryFewHundredRows)
{
    StringGrid grid = emptyList();
    QStringList lines;
    for (int i = 0; i < 600; ++i)
        lines << QString::number(i);
    std::vector<int> told;
    importLines(grid, lines, 1, [&](int rows) { told.push_back(rows); });
    EXPECT_EQ(told, (std::vector<int>{256, 512}));
    EXPECT_EQ(grid.rowCount(), 601);
    EXPECT_EQ(grid.cell(0, 600), "599");
}

// Tables: each test writes one with the byte-level builder.
class TableImportTest : public ::testing::Test {
protected:
    QString write(const TableBuilder& table, const QString& name = "t.dbf")
    {
        return writeTestFile(name, table.bytes());
    }

    static TableBuilder people()
    {
        TableBuilder table(0x03, {{"NAME", 'C', 6}, {"MAIL", 'C', 10}, {"CITY", 'C', 5}});
        table.record({"Ann", "a@x", "Rome"}).record({"Bob", "b@x", "Oslo"}, true).record({"Cid", "c@x", "Kyiv"});
        table.record({"Dee", "d@x", "Lima"});
        return table;
    }
};

TEST_F(TableImportTest, EmptyListFillsFromRowOneWithoutDeletedRecords)
{
    StringGrid grid = emptyList();
    const ImportResult result = importTable(grid, write(people()), 1);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.rowsWritten, 3);
    EXPECT_EQ(rowsOfGrid(grid), (std::vector<QStringList>{{"", "Column#2", "Column#3"},
                                                          {"Ann", "a@x", "Rome"},
                                                          {"Cid", "c@x", "Kyiv"},
                                                          {"Dee", "d@x", "Lima"}}));
}

// The start row counts the records shown: record 3 of the file is the second one shown.
TEST_F(TableImportTest, StartRowAppendsFromThatRecordAndKeepsTheOldRows)
{
    StringGrid grid = listOfFive();
    importTable(grid, write(people()), 2);
    EXPECT_EQ(grid.rowCount(), 8);
    EXPECT_EQ(rowsOfGrid(grid, 1), (std::vector<QStringList>{{"r1", "a", ""}, {"r2", "b", ""}, {"r3", "c", ""},
                                                             {"r4", "d", ""}, {"r5", "e", ""},
                                                             {"Cid", "c@x", "Kyiv"}, {"Dee", "d@x", "Lima"}}));
    EXPECT_EQ(grid.cell(2, 0), "Column#3");
    EXPECT_EQ(grid.cell(0, 0), "Column#1");
}

TEST_F(TableImportTest, TablesThatGiveNoRowLeaveTheListAlone)
{
    TableBuilder noRecords(0x03, {{"NAME", 'C', 6}});
    TableBuilder allDeleted(0x03, {{"NAME", 'C', 6}});
    allDeleted.record({"gone"}, true).record({"gone2"}, true);
    for (const QString& path : {write(noRecords, "none.dbf"), write(allDeleted, "deleted.dbf")}) {
        StringGrid five = listOfFive();
        StringGrid empty = emptyList();
        EXPECT_TRUE(importTable(five, path, 1).ok);
        EXPECT_TRUE(importTable(empty, path, 1).ok);
        EXPECT_EQ(rowsOfGrid(five), FiveRows) << path.toStdString();
        EXPECT_EQ(rowsOfGrid(empty), (std::vector<QStringList>{{""}, {""}})) << path.toStdString();
    }
    StringGrid five = listOfFive();
    importTable(five, write(people()), 9);   // a start row past the last record
    EXPECT_EQ(rowsOfGrid(five), FiveRows);
}

TEST_F(TableImportTest, MemosAndCodePagesArriveAsText)
{
    const dbftest::MemoFile memo = dbftest::buildMemoFile(dbftest::MemoKind::DbaseIII, 512, {"first note", "second"});
    writeTestFile("memo.dbt", memo.bytes);
    const QString word = QString::fromUtf8("Привет");
    TableBuilder table(0x83, {{"WORD", 'C', 8}, {"NOTE", 'M', 10}});
    table.language(0xC9)
        .record({codepage::fromUnicode(word, 1251), dbftest::blockField(memo.blocks[0])})
        .record({"plain", dbftest::blockField(memo.blocks[1])});
    StringGrid grid = emptyList();
    ASSERT_TRUE(importTable(grid, write(table, "memo.dbf"), 1).ok);
    EXPECT_EQ(rowsOfGrid(grid, 1), (std::vector<QStringList>{{word, "first note"}, {"plain", "second"}}));
}

// Memos and fields with CR LF, LF or the list's delimiter arrive as one cell each, with blanks in their place,
// and the list saved and loaded again keeps one record per table record.
TEST_F(TableImportTest, LineBreaksAndDelimitersInFieldsStayInTheirCell)
{
    const dbftest::MemoFile memo =
        dbftest::buildMemoFile(dbftest::MemoKind::DbaseIII, 512, {"Line one\r\nLine two", "one\ntwo"});
    writeTestFile("notes.dbt", memo.bytes);
    TableBuilder table(0x83, {{"NAME", 'C', 20}, {"NOTE", 'M', 10}});
    table.record({"Zo\xC3\xAB O'Neil; Jr.", dbftest::blockField(memo.blocks[0])})
        .record({"Bob", dbftest::blockField(memo.blocks[1])});
    StringGrid grid = emptyList();
    const ImportResult result = importTable(grid, write(table, "notes.dbf"), 1, {}, ";");
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.cellsChanged, 3);
    const std::vector<QStringList> rows = rowsOfGrid(grid, 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], "Line one Line two");
    EXPECT_EQ(rows[1], (QStringList{"Bob", "one two"}));
    EXPECT_TRUE(rows[0][0].endsWith(" O'Neil  Jr.")) << rows[0][0].toStdString();

    const QString saved = testHome() + "saved.txt";
    ASSERT_TRUE(SaveListFile(grid, saved, ";"));
    StringGrid loaded;
    ReadListFile(loaded, saved, ";");
    EXPECT_EQ(rowsOfGrid(loaded, 1), rows);
}

// The production index is never needed to read in file order: present, missing or damaged, the rows come.
TEST_F(TableImportTest, ImportsWhateverTheProductionIndex)
{
    TableBuilder flagged = people();
    flagged.indexFlag(1);
    const QString path = write(flagged, "indexed.dbf");
    for (const QByteArray& index : {QByteArray(), QByteArray("damaged index bytes"), QByteArray(4096, '\xFF')}) {
        QFile::remove(testHome() + "indexed.mdx");
        if (!index.isEmpty())
            writeTestFile("indexed.mdx", index);
        StringGrid grid = emptyList();
        const ImportResult result = importTable(grid, path, 1);
        EXPECT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(grid.rowCount(), 4);
    }
}

TEST_F(TableImportTest, WriteProtectedTableImportsAndStaysByteIdentical)
{
    const QString path = write(people(), "locked.dbf");
    const QByteArray before = readExistingFileBytes(path);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    StringGrid grid = listOfFive();
    const ImportResult result = importTable(grid, path, 1);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(grid.rowCount(), 9);
    EXPECT_EQ(readExistingFileBytes(path), before);
}

TEST_F(TableImportTest, DamagedOrMissingTableReportsAndLeavesTheList)
{
    QByteArray cut = people().bytes();
    cut.truncate(cut.size() - 12);   // the last record cut short: the whole ones come
    StringGrid grid = emptyList();
    EXPECT_TRUE(importTable(grid, writeTestFile("cut.dbf", cut), 1).ok);
    EXPECT_EQ(rowsOfGrid(grid, 1), (std::vector<QStringList>{{"Ann", "a@x", "Rome"}, {"Cid", "c@x", "Kyiv"}}));

    for (const QString& path : {writeTestFile("text.dbf", "name;mail\r\n"), testHome() + "missing.dbf"}) {
        StringGrid five = listOfFive();
        const ImportResult result = importTable(five, path, 1);
        EXPECT_FALSE(result.ok) << path.toStdString();
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_EQ(rowsOfGrid(five), FiveRows);
    }
}

}  // namespace
