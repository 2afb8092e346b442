// Shared helpers: SplitText and JoinPath as tables, the charset part, zero padding and ReadTextFile's decoding.

#include "core/base/text_helpers.h"

#include "platform/string_list.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

struct SplitCase {
    const char* name;
    char separator;
    QString text;
    QStringList items;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, CutsAndTrims)
{
    StringList list;
    list.add(QStringLiteral("left over"));
    SplitText(QChar::fromLatin1(GetParam().separator), GetParam().text, list);
    EXPECT_EQ(list.toStringList(), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Items, SplitTextTest,
    ::testing::Values(SplitCase{"blanks_trimmed", ';', " a ; b ", {"a", "b"}},
                      SplitCase{"separator_alone", ';', ";", {""}},
                      SplitCase{"empty_text", ';', "", {}},
                      SplitCase{"empty_inner_item", ';', "a;;b", {"a", "", "b"}},
                      SplitCase{"leading_separator", ';', ";a", {"", "a"}},
                      SplitCase{"one_trailing_separator", ';', "a;b;", {"a", "b"}},
                      SplitCase{"trailing_separator_then_blank", ';', "a;b; ", {"a", "b", ""}},
                      SplitCase{"two_trailing_separators", ';', "a;;", {"a", ""}},
                      SplitCase{"control_characters_trimmed", '^', "\tx\r^y\x01", {"x", "y"}},
                      SplitCase{"no_separator", ',', "  whole text ", {"whole text"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct JoinCase {
    const char* name;
    QString folder;
    QString file;
    char separator;
    QString joined;
};

void PrintTo(const JoinCase& c, std::ostream* os) { *os << c.name; }

class JoinPathTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinPathTest, OneSeparatorBetween)
{
    const JoinCase& c = GetParam();
    EXPECT_EQ(JoinPath(c.folder, c.file, QChar::fromLatin1(c.separator)), c.joined);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, JoinPathTest,
    ::testing::Values(JoinCase{"both_have_separator", "C:\\dir\\", "\\file.txt", '\\', "C:\\dir\\file.txt"},
                      JoinCase{"forward_slashes_converted", "C:/dir", "file.txt", '\\', "C:\\dir\\file.txt"},
                      JoinCase{"name_has_separator", "C:\\dir", "\\file.txt", '\\', "C:\\dir\\file.txt"},
                      JoinCase{"unix_folder", "/home/me", "list.txt", '/', "/home/me/list.txt"},
                      JoinCase{"unix_folder_with_slash", "/home/me/", "/list.txt", '/', "/home/me/list.txt"},
                      JoinCase{"empty_folder", "", "/list.txt", '/', "list.txt"},
                      JoinCase{"empty_name", "/home/me", "", '/', "/home/me"},
                      JoinCase{"name_only_separators", "/home/me", "//", '/', "/home/me/"},
                      JoinCase{"inner_backslashes_converted", "a\\b", "c\\d", '/', "a/b/c/d"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CharsetPartTest, TextAfterFirstComma)
{
    EXPECT_EQ(CharsetPart("English(en),iso-8859-1"), "iso-8859-1");
    EXPECT_EQ(CharsetPart("a,b,c"), "b,c");
    EXPECT_EQ(CharsetPart("utf-8"), "utf-8");
    EXPECT_EQ(CharsetPart(""), "");
}

TEST(ZeroPadTest, PadsToWidthWithoutCutting)
{
    EXPECT_EQ(ZeroPad(7, 0), "7");
    EXPECT_EQ(ZeroPad(7, 2), "07");
    EXPECT_EQ(ZeroPad(2026, 2), "2026");
    EXPECT_EQ(ZeroPad(0, 3), "000");
}

TEST(ProgramFolderTest, IsTheHomeWithTrailingSlash)
{
    EXPECT_EQ(ProgramFolder(), testHome());
}

QString writeFile(const QByteArray& bytes)
{
    return writeTestFile("text.txt", bytes);
}

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    QString text;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class ReadTextFileTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(ReadTextFileTest, Decodes)
{
    QString text = "unchanged";
    ASSERT_TRUE(ReadTextFile(writeFile(GetParam().bytes), text));
    EXPECT_EQ(text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ReadTextFileTest,
    ::testing::Values(DecodeCase{"utf16_with_mark", QByteArray("\xFF\xFEH\0i\0", 6), "Hi"},
                      // Only FF FE marks UTF-16: a legacy file whose second byte is high stays 8-bit text.
                      DecodeCase{"latin1_high_second_byte", "B\xE9zier\r\n", QString::fromUtf8("Bézier\r\n")},
                      DecodeCase{"utf8_mark_dropped", "\xEF\xBB\xBF" "caf\xC3\xA9", QString::fromUtf8("café")},
                      DecodeCase{"utf8", "\xD0\x96", QString::fromUtf8("Ж")},
                      DecodeCase{"windows_1252", "\x80 5", QString::fromUtf8("€ 5")},
                      DecodeCase{"empty_file_leaves_text", "", "unchanged"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadTextFileErrors, MissingFileAnswersFalseAndKeepsText)
{
    QString text = "unchanged";
    EXPECT_FALSE(ReadTextFile(testHome() + "missing.txt", text));
    EXPECT_EQ(text, "unchanged");
}

}  // namespace
