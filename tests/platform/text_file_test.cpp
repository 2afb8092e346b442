// Text files: decoding by byte-order mark, UTF-8 validity and the legacy code page; line splitting; the
// CR LF writer; atomic writes that keep the old file when writing fails.

#include "platform/text_file.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>

#include <csignal>
#include <sys/resource.h>

namespace {

using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    QString text;
};

class DecodeTextTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTextTest, Decodes)
{
    qunsetenv("SORVANTA_CODEPAGE");
    EXPECT_EQ(decodeText(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, DecodeTextTest,
    ::testing::Values(DecodeCase{"ascii", "a;b\r\n", "a;b\r\n"},
                      DecodeCase{"utf8", "gr\xC3\xBC\xC3\x9F", QString::fromUtf8("grüß")},
                      DecodeCase{"utf8_bom_dropped", "\xEF\xBB\xBFx", "x"},
                      DecodeCase{"utf16le_with_mark", QByteArray("\xFF\xFEh\0\xE9\0", 6), QString::fromUtf8("hé")},
                      DecodeCase{"utf16_without_mark_is_not_utf16", QByteArray("h\0", 2), QString(QChar('h')) + QChar(0)},
                      DecodeCase{"invalid_utf8_is_1252", "caf\xE9 \x80", QString::fromUtf8("café €")},
                      DecodeCase{"truncated_utf8_is_1252", "ab\xC3", QString::fromUtf8("abÃ")},
                      DecodeCase{"four_byte_utf8", "\xF0\x9F\x98\x80", QString::fromUtf8("😀")},
                      DecodeCase{"overlong_utf8_is_1252", "\xC0\xAF", QString::fromUtf8("À¯")},
                      DecodeCase{"encoded_surrogate_is_1252", "\xED\xA0\x80", QString::fromUtf8("í €")},
                      DecodeCase{"beyond_unicode_is_1252", "\xF4\x90\x80\x80", QString::fromUtf8("ô€€")},
                      DecodeCase{"bom_then_invalid_line", "\xEF\xBB\xBF\xE9", QString::fromUtf8("é")},
                      DecodeCase{"second_bom_is_text", "\xEF\xBB\xBF\xEF\xBB\xBFx", QChar(0xFEFF) + QString("x")},
                      DecodeCase{"one_bad_line_spoils_only_itself",
                                 "caf\xC3\xA9\r\ncaf\xE9\ncaf\xC3\xA9\rcaf\xE9",
                                 QString::fromUtf8("café\r\ncafé\ncafé\rcafé")},
                      DecodeCase{"utf8_line_after_legacy_line", "\x80\n\xE2\x82\xAC", QString::fromUtf8("€\n€")},
                      DecodeCase{"empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Readers that stream (the list reader) get UTF-8 pieces that end at line ends; together they are the text.
TEST(TextFileTest, PiecesEndAtLineEndsAndMakeTheText)
{
    QByteArray bytes;
    for (int i = 0; i < 60000; ++i)
        bytes.append(i % 3 ? "line caf\xC3\xA9 " : "line caf\xE9 ").append(QByteArray::number(i)).append("\r\n");
    bytes.append(QByteArray(3 << 20, 'x'));   // a last line longer than a piece
    QByteArray joined;
    int pieces = 0;
    decodeTextPieces(bytes, [&](QByteArrayView piece) {
        if (joined.size() + piece.size() < 3 << 20) {
            EXPECT_TRUE(piece.endsWith('\n')) << pieces;
        }
        joined.append(piece);
        ++pieces;
        return true;
    });
    EXPECT_GT(pieces, 2);
    EXPECT_EQ(QString::fromUtf8(joined), decodeText(bytes));
    EXPECT_EQ(splitLines(decodeText(bytes))[1], QString::fromUtf8("line café 1"));
    EXPECT_EQ(splitLines(decodeText(bytes))[3], QString::fromUtf8("line café 3"));

    int calls = 0;
    decodeTextPieces(bytes, [&](QByteArrayView) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);   // false stops
}

// A text that starts with U+FEFF is written with a byte-order mark before it, so it reads back whole.
TEST(TextFileTest, LeadingByteOrderMarkCharacterSurvives)
{
    const QString path = testHome() + "mark.txt";
    const QStringList lines = {QString(QChar(0xFEFF)) + "a", "b"};
    ASSERT_TRUE(writeTextLines(path, lines));
    EXPECT_EQ(readFileBytes(path), "\xEF\xBB\xBF\xEF\xBB\xBF" "a\r\nb\r\n");
    EXPECT_EQ(splitLines(readTextFile(path).value()), lines);
    EXPECT_EQ(encodeLines({"a"}), "a\r\n");   // otherwise no mark
}

TEST(TextFileTest, LegacyCodePageFromTheEnvironment)
{
    qputenv("SORVANTA_CODEPAGE", "1251");
    EXPECT_EQ(decodeText("\xCF\xF0\xE8"), QString::fromUtf8("При"));
    qputenv("SORVANTA_CODEPAGE", "koi8-r");
    EXPECT_EQ(decodeText("\xF0\xD2\xC9"), QString::fromUtf8("При"));
    qputenv("SORVANTA_CODEPAGE", "no-such-page");
    EXPECT_EQ(decodeText("\xE9"), QString::fromUtf8("é"));
    qunsetenv("SORVANTA_CODEPAGE");
}

TEST(TextFileTest, SplitLinesAcceptsEveryLineEnd)
{
    EXPECT_EQ(splitLines("a\r\nb\rc\nd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), (QStringList{"a"}));
    EXPECT_EQ(splitLines("a\n\r\n\r"), (QStringList{"a", "", ""}));
    EXPECT_EQ(splitLines("\r\n"), (QStringList{""}));
    EXPECT_TRUE(splitLines("").isEmpty());
}

TEST(TextFileTest, WritesUtf8WithCrLfAfterEveryLineAndReadsItBack)
{
    const QString path = testHome() + "lines.txt";
    const QStringList lines = {QString::fromUtf8("grüß"), "", "last"};
    ASSERT_TRUE(writeTextLines(path, lines));
    EXPECT_EQ(readFileBytes(path), "gr\xC3\xBC\xC3\x9F\r\n\r\nlast\r\n");
    EXPECT_EQ(splitLines(readTextFile(path).value()), lines);
    EXPECT_EQ(encodeLines({}), "");
}

TEST(TextFileTest, MissingFileGivesAnError)
{
    QString error;
    EXPECT_FALSE(readTextFile(testHome() + "absent.txt", &error).has_value());
    EXPECT_FALSE(error.isEmpty());
}

// A file-size limit makes the write fail part way, as a full disk would, even for root.
TEST(TextFileTest, FailedWriteKeepsTheOldFile)
{
    const QString path = testHome() + "keep.txt";
    ASSERT_TRUE(writeFileAtomically(path, "old\r\n"));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    QString error;
    const bool written = writeFileAtomically(path, QByteArray(100000, 'x'), &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFileBytes(path), "old\r\n");
    EXPECT_EQ(QDir(testHome()).entryList(QDir::Files), QStringList{"keep.txt"});   // no temporary left
}

}  // namespace
