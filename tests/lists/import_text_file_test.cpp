// Text files for the import wizard: decoded by the program's text rules, or with "Dos" from the OEM page;
// fixed-width columns count characters of the decoded text; binary files and runaway lines are refused
// with a message.

#include "lists/import_splitters.h"
#include "lists/import_text_file.h"
#include "platform/code_page.h"
#include "platform/text_file.h"
#include "tests/lists/list_grids.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace {

using namespace sorvanta::test;

QStringList linesOf(const ImportTextFile& file)
{
    QStringList lines;
    for (int line = 0; line < file.text->lineCount(); ++line)
        lines.append(file.text->line(line));
    return lines;
}

TEST(ImportTextFileTest, DosDecodesFromTheOemPage)
{
    const QByteArray bytes("M\x81ller;Z\x81rich\r\n\xE1" "a\r\n");   // CP437: u-umlaut, sharp s
    const ImportTextFile dos = decodeImportText(bytes, true);
    ASSERT_TRUE(dos.ok);
    EXPECT_EQ(linesOf(dos), splitLines(codepage::toUnicode(bytes, codepage::oemCodePage())));
    if (codepage::oemCodePage() == 437) {
        EXPECT_EQ(linesOf(dos), (QStringList{QString::fromUtf8("Müller;Zürich"), QString::fromUtf8("ßa")}));
    }

    const ImportTextFile windows = decodeImportText(bytes, false);   // not UTF-8: the legacy page
    ASSERT_TRUE(windows.ok);
    EXPECT_EQ(windows.text->line(0), codepage::toUnicode("M\x81ller;Z\x81rich", legacyCodePage()));
}

TEST(ImportTextFileTest, Cp866TextDecodesByThatPage)
{
    const QString word = QString::fromUtf8("Привет;мир");
    const QByteArray bytes = codepage::fromUnicode(word, 866) + "\r\n";
    const ImportTextFile file = decodeImportText(bytes, true);
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(file.text->line(0), codepage::toUnicode(codepage::fromUnicode(word, 866), codepage::oemCodePage()));
    if (codepage::oemCodePage() == 866) {
        EXPECT_EQ(file.text->line(0), word);
    }
}

TEST(ImportTextFileTest, FixedWidthColumnsCountDecodedCharacters)
{
    const ImportTextFile utf8 = decodeImportText("Zo\xC3\xAB  Rome\r\n", false);
    ASSERT_TRUE(utf8.ok);
    EXPECT_EQ(splitFixedWidthLine(utf8.text->line(0), u"  1      "), (QStringList{QString::fromUtf8("Zoë"), "  Rome"}));

    // The widest line in UTF-16 units, as the grid's columns count them: five emoji are ten, not 20 bytes.
    const QByteArray emoji = "\xF0\x9F\x98\x80";
    const ImportTextFile mixed = decodeImportText("Zo\xC3\xAB  Rome\r\n" + emoji.repeated(5) + "\r\nM\xFCller\r\n", false);
    EXPECT_EQ(mixed.text->longestLine(), 10);
    EXPECT_EQ(mixed.text->line(1).size(), 10);

    const ImportTextFile dos = decodeImportText("M\x81ller Bonn\r\n", true);
    ASSERT_TRUE(dos.ok);
    const QStringList fields = splitFixedWidthLine(dos.text->line(0), u"     1     ");
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0].size(), 6);
    EXPECT_EQ(fields[1], " Bonn");
}

TEST(ImportTextFileTest, Utf16WithItsMarkIsText)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const char c : QByteArray("a;b\r\nc"))
        bytes += QByteArray(1, c) + QByteArray(1, '\0');
    const ImportTextFile file = decodeImportText(bytes, false);
    ASSERT_TRUE(file.ok) << file.error.toStdString();
    EXPECT_EQ(linesOf(file), (QStringList{"a;b", "c"}));
}

struct RefusedCase {
    const char* name;
    QByteArray bytes;
    bool dos;
};

class RefusedTextTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTextTest, GivesAMessageAndNoLines)
{
    const ImportTextFile file = decodeImportText(GetParam().bytes, GetParam().dos);
    EXPECT_FALSE(file.ok);
    EXPECT_FALSE(file.error.isEmpty());
    EXPECT_TRUE((file.text->lineCount() == 0));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedTextTest,
    ::testing::Values(
        RefusedCase{"binary", QByteArray("\x7F" "ELF\x02\x01\x01\0\0\0\0", 11), false},
        RefusedCase{"binary_as_dos", QByteArray("PK\x03\x04\0\0", 6), true},
        RefusedCase{"utf16_read_as_dos", QByteArray("\xFF\xFE" "a\0", 4), true},
        RefusedCase{"runaway_line", "a;b\r\n" + QByteArray(MaxLineBytes + 1, 'x') + "\r\nc\r\n", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImportTextFileTest, EmptyFileHasNoLinesAndUnreadableFileSaysWhy)
{
    const ImportTextFile empty = readImportTextFile(writeTestFile("empty.txt", ""), false);
    EXPECT_TRUE(empty.ok);
    EXPECT_TRUE((empty.text->lineCount() == 0));

    for (const QString& path : {testHome() + "missing.txt", unreadableFilePath()}) {
        const ImportTextFile file = readImportTextFile(path, false);
        EXPECT_FALSE(file.ok) << path.toStdString();
        EXPECT_FALSE(file.error.isEmpty());
    }
}

}  // namespace
