// Where the explorer button puts glyph and caption.

#include "controls/explorer_button_layout.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>

#include <string>

namespace {

struct LayoutCase {
    const char* name;
    QSize button;
    QSize caption;
    QSize glyph;
    QRect expectedGlyph;
    QRect expectedCaption;
};

class ExplorerButtonLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ExplorerButtonLayoutTest, PlacesGlyphAboveCaption)
{
    const LayoutCase& c = GetParam();
    const ExplorerButtonRects rects = explorerButtonRects(c.button, c.caption, c.glyph);
    EXPECT_EQ(rects.glyph, c.expectedGlyph);
    EXPECT_EQ(rects.caption, c.expectedCaption);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ExplorerButtonLayoutTest, ::testing::Values(
    // top = (40 - (13 + 24 + 2)) / 2 = 0; glyph at (50 - 24) / 2, caption at (50 - 30) / 2 below the gap
    LayoutCase{"glyph_and_caption", {50, 40}, {30, 13}, {24, 24}, {13, 0, 24, 24}, {10, 26, 30, 13}},
    LayoutCase{"odd_sizes_round_down", {51, 41}, {31, 13}, {23, 23}, {14, 1, 23, 23}, {10, 26, 31, 13}},
    LayoutCase{"caption_only", {50, 40}, {30, 13}, {}, {}, {10, 13, 30, 13}},
    LayoutCase{"glyph_only_no_gap", {50, 40}, {}, {24, 24}, {13, 8, 24, 24}, {}},
    LayoutCase{"caption_cut_to_width_less_4", {50, 40}, {80, 13}, {24, 24}, {13, 0, 24, 24}, {2, 26, 46, 13}},
    // a content taller than the button starts above it by half the excess, truncated toward zero
    LayoutCase{"content_taller_than_button", {50, 20}, {30, 13}, {24, 24}, {13, -9, 24, 24}, {10, 17, 30, 13}},
    LayoutCase{"button_narrower_than_margin", {3, 40}, {30, 13}, {}, {}, {}},
    LayoutCase{"nothing", {50, 40}, {}, {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

TEST(FittedCaption, WholeWhenItFitsElseCutWithAnEllipsis)
{
    const QFont font;
    const QFontMetrics metrics(font);
    EXPECT_EQ(fittedCaption("&Close", font, 200), "&Close");

    const QString long_ = "A caption much too long for a small button";
    const QString cut = fittedCaption(long_, font, 50);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(cut), 46);

    EXPECT_TRUE(fittedCaption(long_, font, 2).length() <= 1);
}

}  // namespace
