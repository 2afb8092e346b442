// List text and grid rows: the field rules as a table, loading from every encoding in pieces, stopping,
// and writing back byte for byte.

#include "platform/string_grid_delimited.h"

#include "platform/string_grid.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <vector>

namespace {

struct SplitCase {
    const char* name;
    QString line;
    QString delimiter;
    QStringList fields;
};

class SplitListLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitListLineTest, SplitsAndTrims)
{
    EXPECT_EQ(splitListLine(GetParam().line, GetParam().delimiter), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitListLineTest,
    ::testing::Values(SplitCase{"empty_line_no_field", "", ";", {}},
                      SplitCase{"empty_middle_field", "a;;b", ";", {"a", "", "b"}},
                      SplitCase{"trailing_delimiter_adds_nothing", "a;b;", ";", {"a", "b"}},
                      SplitCase{"two_trailing_delimiters_one_empty", "a;;", ";", {"a", ""}},
                      SplitCase{"leading_delimiter", ";a", ";", {"", "a"}},
                      SplitCase{"blanks_are_one_empty_field", "   ", ";", {""}},
                      SplitCase{"only_the_delimiter", ";", ";", {""}},
                      SplitCase{"fields_trimmed", " a ;\tb\t; c", ";", {"a", "b", "c"}},
                      SplitCase{"other_delimiter_stays_inside", " x\ty ", ";", {"x\ty"}},
                      SplitCase{"tab_delimiter", "a\tb\t", "\t", {"a", "b"}},
                      SplitCase{"blank_delimiter", "a b  c", " ", {"a", "b", "", "c"}},
                      SplitCase{"longer_delimiter_stepped_over_whole", "x<>y<><>z<>", "<>", {"x", "y", "", "z"}},
                      SplitCase{"empty_delimiter_keeps_the_line", " a;b ", "", {"a;b"}},
                      SplitCase{"quotes_are_plain_text", "\"a;b\"", ";", {"\"a", "b\""}}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<QStringList> rowsOf(const StringGrid& grid, int firstRow = 1)
{
    std::vector<QStringList> rows;
    for (int row = firstRow; row < grid.rowCount(); ++row)
        rows.push_back(grid.rowCells(row));
    return rows;
}

TEST(StringGridDelimitedTest, LoadsRecordsSkippingEmptyLinesAndWidensToTheWidest)
{
    StringGrid grid(1, 1);
    const int added = appendDelimitedText(grid, "a;b\r\n\r\nc;d;e\nf\r   \r\n", u";");
    EXPECT_EQ(added, 4);
    EXPECT_EQ(grid.columnCount(), 3);
    EXPECT_EQ(rowsOf(grid), (std::vector<QStringList>{{"a", "b", ""}, {"c", "d", "e"}, {"f", "", ""}, {"", "", ""}}));
}

struct EncodingCase {
    const char* name;
    QByteArray bytes;
    QStringList firstRow;
};

class StringGridEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(StringGridEncodingTest, DecodesAsTextFilesAre)
{
    qunsetenv("SORVANTA_CODEPAGE");
    StringGrid grid(1, 1);
    EXPECT_EQ(appendDelimitedFileBytes(grid, GetParam().bytes, u";"), 2);
    EXPECT_EQ(grid.rowCells(1), GetParam().firstRow);
    EXPECT_EQ(grid.cell(0, 2), "z");
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, StringGridEncodingTest,
    ::testing::Values(EncodingCase{"utf8", "gr\xC3\xBC\xC3\x9F;x\r\nz\r\n", {QString::fromUtf8("grüß"), "x"}},
                      EncodingCase{"utf8_bom", "\xEF\xBB\xBF" "a;b\r\nz", {"a", "b"}},
                      EncodingCase{"windows_1252", "caf\xE9;\x80\r\nz", {QString::fromUtf8("café"), QString::fromUtf8("€")}},
                      EncodingCase{"utf16le", QByteArray("\xFF\xFE" "a\0;\0\xE9\0\r\0\n\0z\0", 14), {"a", QString::fromUtf8("é")}}),
    [](const auto& info) { return std::string(info.param.name); });

// A legacy file of a few megabytes is converted in pieces; lines ending with CR alone must not be cut.
TEST(StringGridDelimitedTest, LargeLegacyFileLoadsWholeAcrossPieces)
{
    QByteArray bytes;
    const int lines = 120000;
    for (int i = 0; i < lines; ++i)
        bytes += "caf\xE9" + QByteArray::number(i) + ";" + QByteArray(20, 'x') + (i % 2 ? "\r" : "\r\n");
    ASSERT_GT(bytes.size(), 3 << 20);
    StringGrid grid(1, 1);
    EXPECT_EQ(appendDelimitedFileBytes(grid, bytes, u";"), lines);
    EXPECT_EQ(grid.cell(0, 1), QString::fromUtf8("café0"));
    EXPECT_EQ(grid.cell(0, lines), QString::fromUtf8("café") + QString::number(lines - 1));
    EXPECT_EQ(grid.columnCount(), 2);
}

TEST(StringGridDelimitedTest, ProgressCanStopTheLoad)
{
    QByteArray text;
    for (int i = 0; i < 10000; ++i)
        text += "r" + QByteArray::number(i) + "\r\n";
    StringGrid grid(1, 1);
    std::vector<int> told;
    const int added = appendDelimitedText(grid, text, u";", [&](int linesRead) {
        told.push_back(linesRead);
        return linesRead < 8192;
    });
    EXPECT_EQ(told, (std::vector<int>{4096, 8192}));
    EXPECT_EQ(added, 8192);
    EXPECT_EQ(grid.cell(0, 8192), "r8191");

    StringGrid whole(1, 1);
    told.clear();
    appendDelimitedText(whole, text, u";", [&](int linesRead) {
        told.push_back(linesRead);
        return true;
    });
    EXPECT_EQ(told, (std::vector<int>{4096, 8192, 10000}));
}

TEST(StringGridDelimitedTest, WritesRowsJoinedWithCrLfAfterEach)
{
    StringGrid grid(3, 3);
    grid.setCell(0, 0, "Column#1");
    grid.setRowCells(1, {QString::fromUtf8("ä"), "", "c"});
    EXPECT_EQ(delimitedLines(grid, u";"), "\xC3\xA4;;c\r\n;;\r\n");
    EXPECT_EQ(delimitedLines(grid, u"<>", 2), "<><>\r\n");
}

// A first cell that starts with U+FEFF gets a byte-order mark before it, which the reader drops; a mark in
// any other cell is only text.
TEST(StringGridDelimitedTest, CellsStartingWithByteOrderMarkSurviveSaveAndLoad)
{
    const QString mark(QChar(0xFEFF));
    StringGrid grid(2, 3);
    grid.setRowCells(1, {mark + "a", mark});
    grid.setRowCells(2, {mark + "b", "c"});
    const QByteArray bytes = delimitedLines(grid, u";");
    EXPECT_EQ(bytes, "\xEF\xBB\xBF\xEF\xBB\xBF" "a;\xEF\xBB\xBF\r\n\xEF\xBB\xBF" "b;c\r\n");
    StringGrid back(1, 1);
    EXPECT_EQ(appendDelimitedFileBytes(back, bytes, u";"), 2);
    EXPECT_EQ(back.rowCells(1), (QStringList{mark + "a", mark}));
    EXPECT_EQ(back.cell(0, 2), mark + "b");
    EXPECT_EQ(back.rowCells(2), grid.rowCells(2));
    EXPECT_EQ(delimitedLines(grid, u";", 2), "\xEF\xBB\xBF\xEF\xBB\xBF" "b;c\r\n");   // first line written
}

// An empty three-column list saves as one line of two delimiters, which reads back as one record of two.
TEST(StringGridDelimitedTest, EmptyListRoundTrip)
{
    const StringGrid empty(3, 2);
    const QByteArray bytes = delimitedLines(empty, u";");
    EXPECT_EQ(bytes, ";;\r\n");
    StringGrid back(1, 1);
    EXPECT_EQ(appendDelimitedText(back, bytes, u";"), 1);
    EXPECT_EQ(back.columnCount(), 2);
    EXPECT_EQ(back.rowCells(1), (QStringList{"", ""}));
}

TEST(StringGridDelimitedTest, DeviceGetsTheSameBytesInBlocks)
{
    QByteArray text;
    for (int i = 0; i < 50000; ++i)
        text += "user" + QByteArray::number(i) + "@example.com;Name " + QByteArray::number(i) + ";x\r\n";
    StringGrid grid(1, 1);
    appendDelimitedText(grid, text, u";");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(writeDelimitedLines(buffer, grid, u";"));
    EXPECT_EQ(buffer.data(), text);
    EXPECT_EQ(delimitedLines(grid, u";"), text);
}

TEST(StringGridDelimitedTest, FailingDeviceIsReported)
{
    StringGrid grid(1, 2);
    grid.setCell(0, 1, "a");
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_FALSE(writeDelimitedLines(readOnly, grid, u";"));
}

}  // namespace
