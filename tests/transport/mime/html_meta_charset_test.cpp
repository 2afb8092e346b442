// The charset an HTML body declares is rewritten to the one it is sent in: both meta forms, any quoting and
// case, a tag over two lines; text outside meta tags and meta tags without a charset stay as they are. A page
// saved as UTF-8 gets one <meta charset="utf-8"> in place of whatever it declared, and the declared name is
// found for reading.

#include "transport/mime/html_meta_charset.h"

#include <gtest/gtest.h>

namespace {

struct MetaCase {
    const char* name;
    QStringList html;
    QStringList sent;
};

class MetaCharsetTest : public ::testing::TestWithParam<MetaCase> {};

TEST_P(MetaCharsetTest, NamesTheCharsetSent)
{
    EXPECT_EQ(withMetaCharset(GetParam().html, "windows-1252"), GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(
    Html, MetaCharsetTest,
    ::testing::Values(
        MetaCase{"html5_double_quotes", {"<meta charset=\"utf-8\">"}, {"<meta charset=\"windows-1252\">"}},
        MetaCase{"html5_single_quotes", {"<META CHARSET='UTF-8' />"}, {"<META CHARSET='windows-1252' />"}},
        MetaCase{"html5_unquoted", {"<meta charset=utf-8>"}, {"<meta charset=windows-1252>"}},
        MetaCase{"http_equiv",
                 {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset = koi8-r\">"},
                 {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset = windows-1252\">"}},
        MetaCase{"tag_over_two_lines",
                 {"<p>a</p><meta http-equiv=\"Content-Type\"", "content=\"text/html;charset=utf-8\"><p>b</p>"},
                 {"<p>a</p><meta http-equiv=\"Content-Type\"", "content=\"text/html;charset=windows-1252\"><p>b</p>"}},
        MetaCase{"text_outside_meta_stays", {"<p>charset=utf-8</p>", "<meta name=\"x\" content=\"y\">"},
                 {"<p>charset=utf-8</p>", "<meta name=\"x\" content=\"y\">"}},
        MetaCase{"no_meta", {"<p>plain</p>", ""}, {"<p>plain</p>", ""}},
        MetaCase{"line_holding_a_break", {"<meta charset=\"utf-8\">\n<p>x</p>", "<p>y</p>"},
                 {"<meta charset=\"windows-1252\">\n<p>x</p>", "<p>y</p>"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct SavedCase {
    const char* name;
    QString html;
    QString saved;
};

class Utf8MetaTest : public ::testing::TestWithParam<SavedCase> {};

TEST_P(Utf8MetaTest, DeclaresUtf8Once)
{
    EXPECT_EQ(withUtf8CharsetMeta(GetParam().html), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    Html, Utf8MetaTest,
    ::testing::Values(
        SavedCase{"charset_form", "<head><meta charset=\"windows-1252\"><title>t</title></head>",
                  "<head><meta charset=\"utf-8\"><title>t</title></head>"},
        SavedCase{"http_equiv_form",
                  "<head><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=koi8-r\"></head>",
                  "<head><meta charset=\"utf-8\"></head>"},
        SavedCase{"tag_over_lines", "<head><meta http-equiv=\"content-type\"\ncontent=\"text/html;charset=cp1251\" />x",
                  "<head><meta charset=\"utf-8\">x"},
        SavedCase{"both_forms_one_kept",
                  "<head><meta charset=\"koi8-r\"><meta http-equiv=\"Content-Type\" content=\"text/html; "
                  "charset=koi8-r\"><meta name=\"author\" content=\"A\"></head>",
                  "<head><meta charset=\"utf-8\"><meta name=\"author\" content=\"A\"></head>"},
        SavedCase{"none_gets_one_in_head", "<html><head lang=\"ru\"><title>t</title></head><body>charset=x</body>",
                  "<html><head lang=\"ru\"><meta charset=\"utf-8\"><title>t</title></head><body>charset=x</body>"},
        SavedCase{"no_head_no_meta", "<p>plain</p>", "<p>plain</p>"},
        SavedCase{"header_tag_is_not_head", "<header>x</header>", "<header>x</header>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeclaredCharsetTest, FirstDeclarationOfEitherForm)
{
    EXPECT_EQ(declaredCharset("<html><head><meta charset='KOI8-R'>"), "KOI8-R");
    EXPECT_EQ(declaredCharset("<meta http-equiv=Content-Type content=\"text/html; charset=windows-1252\">"
                              "<meta charset=utf-8>"),
              "windows-1252");
    EXPECT_EQ(declaredCharset("<p>charset=koi8-r</p>"), "");
    EXPECT_EQ(declaredCharset(QByteArray(70 * 1024, ' ') + "<meta charset=koi8-r>"), "");   // past the head
}

}  // namespace
