// The charset an HTML body declares is rewritten to the one it is sent in: both meta forms, any quoting and
// case, a tag over two lines; text outside meta tags and meta tags without a charset stay as they are.

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

}  // namespace
