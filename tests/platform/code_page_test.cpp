// Code pages: the locale's ANSI and OEM pages, the iconv names, conversions both ways with substitution.

#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace {

struct PageCase {
    const char* name;
    int codePage;
    QByteArray bytes;
    const char* utf8;
};

class CodePageConversionTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(CodePageConversionTest, ConvertsBothWays)
{
    const PageCase& c = GetParam();
    ASSERT_TRUE(codepage::isSupported(c.codePage));
    EXPECT_EQ(codepage::toUnicode(c.bytes, c.codePage), QString::fromUtf8(c.utf8));
    EXPECT_EQ(codepage::fromUnicode(QString::fromUtf8(c.utf8), c.codePage), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CodePageConversionTest,
    ::testing::Values(PageCase{"windows_1252", 1252, "caf\xE9 \x80", "café €"},
                      PageCase{"windows_1251", 1251, "\xCF\xF0\xE8", "При"},
                      PageCase{"oem_437", 437, "\x82\xC9", "é╔"},
                      PageCase{"oem_866", 866, "\x8F\xE0\xA8", "При"},
                      PageCase{"oem_850", 850, "\x90", "É"},
                      PageCase{"koi8_r", 20866, "\xF0\xD2\xC9", "При"},
                      PageCase{"latin_2", 28592, "\xB1", "ą"},
                      PageCase{"utf8", 65001, "\xE2\x82\xAC", "€"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodePageTest, UnconvertibleCharactersAreSubstituted)
{
    EXPECT_EQ(codepage::fromUnicode(QString::fromUtf8("aПb€"), 437), "a?b?");
    EXPECT_EQ(codepage::fromUnicode(QString::fromUtf8("x😀y"), 1252, '_'), "x_y");   // one mark per character
    EXPECT_EQ(codepage::toUnicode("a\x81z", 1251), QString::fromUtf8("aЃz"));
    EXPECT_EQ(codepage::toUnicode("a\x98z", 1251), QString::fromUtf8("a\uFFFDz"));    // unassigned in 1251
    EXPECT_EQ(codepage::toUnicode("\x81\x8D\x8F\x90\x9D", 1252), QString::fromUtf8("\u0081\u008D\u008F\u0090\u009D"));
}

TEST(CodePageTest, NamesAndNumbers)
{
    EXPECT_EQ(codepage::iconvName(1252), "CP1252");
    EXPECT_EQ(codepage::iconvName(65001), "UTF-8");
    EXPECT_TRUE(codepage::iconvName(12345).isEmpty());
    EXPECT_FALSE(codepage::isSupported(12345));
    EXPECT_EQ(codepage::codePageFromName("1251"), 1251);
    EXPECT_EQ(codepage::codePageFromName("cp866"), 866);
    EXPECT_EQ(codepage::codePageFromName("Windows-1250"), 1250);
    EXPECT_EQ(codepage::codePageFromName("iso-8859-5"), 28595);
    EXPECT_EQ(codepage::codePageFromName("utf8"), 65001);
    EXPECT_EQ(codepage::codePageFromName(""), 0);
    EXPECT_EQ(codepage::codePageFromName("klingon"), 0);
}

TEST(CodePageTest, LocaleCodesetsAndLanguagesMapToPages)
{
    const std::pair<const char*, int> codesets[] = {{"UTF-8", 65001}, {"utf8", 65001}, {"ISO-8859-1", 28591},
                                                    {"ISO-8859-15", 28605}, {"ISO-8859-12", 1252},
                                                    {"KOI8-R", 20866}, {"CP1251", 1251}, {"CP1259", 1252},
                                                    {"ANSI_X3.4-1968", 1252}, {"", 1252}};
    for (const auto& [codeset, page] : codesets)
        EXPECT_EQ(codepage::codePageOfCodeset(codeset), page) << codeset;
    const std::pair<const char*, int> languages[] = {{"ru", 866}, {"uk", 866}, {"be", 866}, {"de", 850},
                                                     {"fr", 850}, {"pl", 852}, {"cs", 852}, {"en", 437},
                                                     {"ja", 437}, {"", 437}};
    for (const auto& [language, page] : languages)
        EXPECT_EQ(codepage::oemCodePageOfLanguage(language), page) << language;
}

// The test process runs in a UTF-8 locale without a language (C.UTF-8) or in one the table knows.
TEST(CodePageTest, LocalePagesAreStableAndKnown)
{
    const int ansi = codepage::ansiCodePage();
    EXPECT_TRUE(codepage::isSupported(ansi)) << ansi;
    EXPECT_EQ(codepage::ansiCodePage(), ansi);
    EXPECT_TRUE(codepage::isSupported(codepage::oemCodePage()));
    if (qgetenv("LANG").startsWith("C.") && qEnvironmentVariableIsEmpty("LC_ALL")) {
        EXPECT_EQ(ansi, 65001);
        EXPECT_EQ(codepage::oemCodePage(), 437);
    }
}

}  // namespace
