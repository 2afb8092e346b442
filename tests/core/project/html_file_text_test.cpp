// HTML files are read in the charset they declare: both meta forms, legacy Cyrillic, Polish and Japanese
// pages, lines already in UTF-8 (pages saved by older versions with the old declaration left in), a false
// Unicode declaration and names no converter knows.

#include "core/project/html_file_text.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

namespace {

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    QString text;
};

class HtmlFileTextTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(HtmlFileTextTest, ReadsTheDeclaredCharset)
{
    const QString path = sorvanta::test::writeTestFile("page.htm", GetParam().bytes);
    EXPECT_EQ(ReadHtmlFile(path), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, HtmlFileTextTest,
    ::testing::Values(
        DecodeCase{"koi8r_charset_form", "<meta charset=\"koi8-r\"><p>\xF0\xD2\xC9\xD7\xC5\xD4</p>",
                   u"<meta charset=\"koi8-r\"><p>Привет</p>"_qs},
        DecodeCase{"koi8r_http_equiv_form",
                   "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=KOI8-R\">\r\n\xF0\xD2\xC9\xD7\xC5\xD4\r\n",
                   u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=KOI8-R\">\r\nПривет\r\n"_qs},
        DecodeCase{"polish_windows_1250", "<meta charset=windows-1250>\xAF\xF3\xB3w",
                   u"<meta charset=windows-1250>Żółw"_qs},
        DecodeCase{"latin1_label_reads_as_1252", "<meta charset=iso-8859-1>\x80 caf\xE9",
                   u"<meta charset=iso-8859-1>€ café"_qs},
        DecodeCase{"shift_jis", "<meta charset=\"Shift_JIS\">\x93\xFA\x96\x7B", u"<meta charset=\"Shift_JIS\">日本"_qs},
        DecodeCase{"utf8_line_beside_legacy_meta",
                   "<meta charset=\"windows-1252\">\n\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
                   u"<meta charset=\"windows-1252\">\nПривет"_qs},
        DecodeCase{"false_utf8_declaration", "<meta charset=utf-8>caf\xE9", u"<meta charset=utf-8>café"_qs},
        DecodeCase{"unknown_charset", "<meta charset=x-klingon>caf\xE9", u"<meta charset=x-klingon>café"_qs}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HtmlFileTextTest, MissingFileSaysWhy)
{
    QString error;
    EXPECT_FALSE(ReadHtmlFile(sorvanta::test::testHome() + "none.htm", &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
