// The address-book import without its window: the sorted book entries of a folder, and one book copied into a
// list grid (row counts, column counts, stale cells, stops).

#include "lists/address_book_import.h"
#include "lists/record_locale.h"
#include "platform/string_grid.h"
#include "tests/lists/address_book_fixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace {

using namespace sorvanta::test;

QString bookFolder(int contacts)
{
    const QString dir = testHome() + "books";
    writeLines(dir, "ListAB.lab", {bookListLine(1, "Friends", "friends")});
    QList<QByteArray> lines;
    for (int i = 1; i <= contacts; ++i)
        lines << contactLine(i, {{"HOMEEMAIL", QStringLiteral("c%1@example.com").arg(i)}});
    writeLines(dir, "friends.abk", lines);
    return dir;
}

// A grid of columns x rows whose every cell reads "old".
StringGrid oldGrid(int columns, int rows)
{
    StringGrid grid(columns, rows);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            grid.setCell(column, row, QStringLiteral("old"));
    return grid;
}

struct ImportCase {
    const char* name;
    int contacts;
    int gridColumns, gridRows;
    int stopAfter;   // -1: never
    int rowsWritten, rowCount, columnCount;
    bool stopped;
};

class AddressBookImportTest : public ::testing::TestWithParam<ImportCase> {};

TEST_P(AddressBookImportTest, CopiesTheBookIntoTheGrid)
{
    const ImportCase& c = GetParam();
    StringGrid grid = oldGrid(c.gridColumns, c.gridRows);
    const StringGrid before = grid;
    const BookImportResult result = importAddressBook(grid, bookFolder(c.contacts), 1, [&](int written, int lines) {
        EXPECT_EQ(lines, c.contacts);
        return c.stopAfter < 0 || written < c.stopAfter;
    });
    EXPECT_EQ(result.bookLines, c.contacts);
    EXPECT_EQ(result.rowsWritten, c.rowsWritten);
    EXPECT_EQ(result.stopped, c.stopped);
    EXPECT_EQ(grid.rowCount(), c.rowCount);
    EXPECT_EQ(grid.columnCount(), c.columnCount);
    if (c.rowsWritten == 0) {
        for (int row = 0; row < grid.rowCount(); ++row)
            EXPECT_EQ(grid.rowCells(row), before.rowCells(row)) << "row " << row;
        return;
    }
    EXPECT_EQ(grid.cell(0, 0), QStringLiteral("old"));   // the titles stay
    for (int row = 1; row <= c.rowsWritten; ++row) {
        EXPECT_EQ(grid.cell(0, row), QStringLiteral("c%1@example.com").arg(row));
        for (int column = 1; column < grid.columnCount(); ++column)
            EXPECT_EQ(grid.cell(column, row), QString()) << "column " << column << " row " << row;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Imports, AddressBookImportTest,
    ::testing::Values(ImportCase{"into_smaller_grid", 3, 5, 10, -1, 3, 4, 54, false},
                      ImportCase{"wider_grid_cleared_beyond_54", 3, 60, 10, -1, 3, 4, 60, false},
                      ImportCase{"into_grid_of_two_rows", 5, 1, 2, -1, 5, 6, 54, false},
                      ImportCase{"stop_part_way", 5, 5, 10, 2, 2, 3, 54, true},
                      ImportCase{"stop_after_last_is_not_a_stop", 2, 5, 10, 2, 2, 3, 54, false},
                      ImportCase{"immediate_stop", 5, 5, 10, 0, 0, 10, 5, true},
                      ImportCase{"empty_book", 0, 5, 10, -1, 0, 10, 5, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AddressBookImport, RowFollowsTheCatalogue)
{
    ScopedRecordLocale locale({QStringLiteral("dd/MM/yyyy"), u'.'});
    const QString dir = testHome() + "books";
    writeLines(dir, "ListAB.lab", {bookListLine(1, "Friends", "friends")});
    writeLines(dir, "friends.abk",
               {contactLine(1,
                            {{"HOMEEMAIL", "a@example.com"}, {"FIRSTNAME", "Ann"}, {"LASTNAME", "Lee"},
                             {"LN", "x#5Ey"}, {"COMMENTS", "one#5Etwo#5e"}, {"VATID", "V"}},
                            {{"BIRTHDAY", "5/3/1980"}, {"DATEADDED", "01/02/2003"}})
                    + "^^^^extra"});
    StringGrid grid;
    const BookImportResult result = importAddressBook(grid, dir, 1);
    ASSERT_EQ(result.rowsWritten, 1);
    ASSERT_EQ(grid.columnCount(), 54);
    EXPECT_EQ(grid.cell(0, 1), QStringLiteral("a@example.com"));
    EXPECT_EQ(grid.cell(1, 1), QStringLiteral("Ann"));
    EXPECT_EQ(grid.cell(2, 1), QStringLiteral("Lee"));
    EXPECT_EQ(grid.cell(7, 1), QStringLiteral("01/02/2003"));   // DATEADDED
    EXPECT_EQ(grid.cell(9, 1), QStringLiteral("x^y"));          // LN
    EXPECT_EQ(grid.cell(15, 1), QStringLiteral("05/03/1980"));  // BIRTHDAY
    EXPECT_EQ(grid.cell(33, 1), QStringLiteral("one^two#5e"));  // COMMENTS
    EXPECT_EQ(grid.cell(45, 1), QStringLiteral("V"));           // VATID
    for (int column = 46; column < 54; ++column)                // NUMLICENSE .. VATSHIPPING
        EXPECT_EQ(grid.cell(column, 1), QString()) << column;
}

// A contact's value that holds the list's delimiter reaches the list with a blank in its place.
TEST(AddressBookImport, ListDelimiterInAValueBecomesABlank)
{
    const QString dir = bookFolder(1);
    writeLines(dir, "Default.abk",
               {contactLine(1, {{"HOMEEMAIL", "d@example.com"}, {"LASTNAME", "Lee; Jr."}, {"COMMENTS", "a,b"}})});
    StringGrid grid;
    const BookImportResult result = importAddressBook(grid, dir, 0, {}, ";");
    EXPECT_EQ(result.cellsChanged, 1);
    EXPECT_EQ(grid.cell(2, 1), QStringLiteral("Lee  Jr."));
    EXPECT_EQ(grid.cell(33, 1), QStringLiteral("a,b"));
}

TEST(AddressBookImport, UnknownBookOpensDefault)
{
    const QString dir = bookFolder(2);
    writeLines(dir, "Default.abk", {contactLine(1, {{"HOMEEMAIL", "d@example.com"}})});
    StringGrid grid;
    EXPECT_EQ(importAddressBook(grid, dir, 0).rowsWritten, 1);
    EXPECT_EQ(grid.cell(0, 1), QStringLiteral("d@example.com"));
    EXPECT_EQ(importAddressBook(grid, dir, 9).rowsWritten, 1);
}

TEST(AddressBookImport, UnreadableBookGivesAnErrorAndKeepsTheGrid)
{
    const QString dir = bookFolder(0);
    QFile::remove(dir + "/friends.abk");
    QDir().mkpath(dir + "/friends.abk");
    StringGrid grid = oldGrid(3, 4);
    const BookImportResult result = importAddressBook(grid, dir, 1);
    EXPECT_FALSE(result.readError.isEmpty());
    EXPECT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.cell(2, 3), QStringLiteral("old"));
}

TEST(AddressBookImport, BookEntriesSortedWithoutCaseDuplicatesKept)
{
    const QString dir = testHome() + "list";
    writeLines(dir, "ListAB.lab",
               {bookListLine(1, "zeta", "z"), bookListLine(2, "Alpha", "a"), "bad line",
                bookListLine(3, "beta", "b"), bookListLine(4, "alpha", "a2")});
    const auto entries = readBookEntries(dir);
    ASSERT_TRUE(entries);
    QStringList names;
    QList<int> ids;
    for (const BookEntry& entry : *entries) {
        names << entry.name;
        ids << entry.id;
    }
    EXPECT_EQ(names.size(), 4);
    EXPECT_EQ(names.mid(2), QStringList({"beta", "zeta"}));
    EXPECT_EQ(names.at(0).toLower(), QStringLiteral("alpha"));
    EXPECT_EQ(names.at(1).toLower(), QStringLiteral("alpha"));
    EXPECT_TRUE(ids.contains(2) && ids.contains(4));
}

TEST(AddressBookImport, FolderWithoutListHasNoEntriesAndGetsNoFile)
{
    const QString dir = testHome() + "empty";
    QDir().mkpath(dir);
    EXPECT_FALSE(readBookEntries(dir));
    EXPECT_FALSE(QFileInfo::exists(dir + "/ListAB.lab"));
    QDir().mkpath(testHome() + "dir/ListAB.lab");   // a folder of that name is no list
    EXPECT_FALSE(readBookEntries(testHome() + "dir"));
    EXPECT_FALSE(readBookEntries(testHome() + "no/such/folder"));
    EXPECT_FALSE(QFileInfo::exists(testHome() + "no"));
}

TEST(AddressBookImport, FolderThatIsAFileGivesAnError)
{
    const QString notAFolder = writeTestFile("plain", "text");
    StringGrid grid;
    const BookImportResult result = importAddressBook(grid, notAFolder, 0);
    EXPECT_FALSE(result.readError.isEmpty());
    EXPECT_EQ(result.rowsWritten, 0);
    EXPECT_EQ(grid.rowCount(), 2);
}

}  // namespace
