// WCAG contrast against published reference ratios (black on white 21:1, the grey that just reaches 4.5:1 on
// white), and the choice between a form's fixed colour and the palette's on light and dark palettes. The
// window walk's contrast check relies on the same function, so its figures are pinned here independently.

#include "platform/widgets/colour_contrast.h"
#include "tests/support/dark_palette.h"

#include <gtest/gtest.h>

namespace {

struct RatioCase {
    const char* name;
    QColor first;
    QColor second;
    double ratio;
};

class ContrastRatioTest : public ::testing::TestWithParam<RatioCase> {};

TEST_P(ContrastRatioTest, MatchesTheReferenceFigure)
{
    const RatioCase& c = GetParam();
    EXPECT_NEAR(contrastRatio(c.first, c.second), c.ratio, 0.01);
    EXPECT_NEAR(contrastRatio(c.second, c.first), c.ratio, 0.01) << "the order of the colours does not matter";
}

INSTANTIATE_TEST_SUITE_P(
    Colours, ContrastRatioTest,
    ::testing::Values(RatioCase{"black_on_white", Qt::black, Qt::white, 21.0},
                      RatioCase{"same_colour", QColor(0, 128, 128), QColor(0, 128, 128), 1.0},
                      RatioCase{"grey_767676_on_white", QColor(0x76, 0x76, 0x76), Qt::white, 4.54},
                      RatioCase{"navy_on_white", QColor(0, 0, 128), Qt::white, 16.0},
                      RatioCase{"navy_on_dark_grey", QColor(0, 0, 128), QColor(53, 53, 53), 1.30},
                      RatioCase{"silver_on_white", QColor(192, 192, 192), Qt::white, 1.82}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadableColourTest, FixedColourStaysOnlyWhereItReads)
{
    const QColor navy(0, 0, 128);
    EXPECT_EQ(readableOr(navy, Qt::white, Qt::black), navy);
    EXPECT_EQ(readableOr(navy, QColor(35, 35, 35), QColor(230, 230, 230)), QColor(230, 230, 230));
    // Just below 4.5:1 is not enough.
    EXPECT_EQ(readableOr(QColor(0x77, 0x77, 0x77), Qt::white, Qt::black), QColor(Qt::black));
}

TEST(ReadableColourTest, SilverBoxOnlyUnderDarkText)
{
    QPalette light;
    light.setColor(QPalette::Text, Qt::black);
    light.setColor(QPalette::Window, QColor(239, 239, 239));
    EXPECT_EQ(readableSilver(light, QPalette::Text), QColor(192, 192, 192));
    const QPalette dark = sorvanta::test::darkDesktopPalette();
    EXPECT_EQ(readableSilver(dark, QPalette::Text), dark.color(QPalette::Window));
}

}  // namespace
