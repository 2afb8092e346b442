// Glyph pictures: the shading table at each boundary, the grey glyph and the disabled look of odd bitmaps.

#include "controls/glyph_shading.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const QColor highlight(255, 255, 255);
const QColor shadow(128, 128, 128);
const QColor light(230, 230, 230);
const QColor dark(100, 100, 100);

struct ShadeCase {
    const char* name;
    TExplorerButtonShadingType type;
    int sum;
    ShadeClass expected;
};

class ShadeClassTest : public ::testing::TestWithParam<ShadeCase> {};

TEST_P(ShadeClassTest, ClassesByBrightness)
{
    EXPECT_EQ(shadeClass(GetParam().sum, GetParam().type), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, ShadeClassTest, ::testing::Values(
    ShadeCase{"light_white_above_205", stLight, 206, ShadeClass::White},
    ShadeCase{"light_205_highlight", stLight, 205, ShadeClass::Highlight},
    ShadeCase{"light_highlight_above_127", stLight, 128, ShadeClass::Highlight},
    ShadeCase{"light_127_shadow", stLight, 127, ShadeClass::Shadow},
    ShadeCase{"light_69_shadow", stLight, 69, ShadeClass::Shadow},
    ShadeCase{"light_black_at_68", stLight, 68, ShadeClass::Black},
    ShadeCase{"light_250_white", stLight, 250, ShadeClass::White},
    ShadeCase{"medium_white_above_553", stMedium, 554, ShadeClass::White},
    ShadeCase{"medium_553_highlight", stMedium, 553, ShadeClass::Highlight},
    ShadeCase{"medium_highlight_above_231", stMedium, 232, ShadeClass::Highlight},
    ShadeCase{"medium_231_shadow", stMedium, 231, ShadeClass::Shadow},
    ShadeCase{"medium_58_shadow", stMedium, 58, ShadeClass::Shadow},
    ShadeCase{"medium_black_at_57", stMedium, 57, ShadeClass::Black},
    ShadeCase{"medium_250_highlight", stMedium, 250, ShadeClass::Highlight},
    ShadeCase{"dark_white_above_335", stDark, 336, ShadeClass::White},
    ShadeCase{"dark_335_highlight", stDark, 335, ShadeClass::Highlight},
    ShadeCase{"dark_highlight_above_274", stDark, 275, ShadeClass::Highlight},
    ShadeCase{"dark_274_shadow", stDark, 274, ShadeClass::Shadow},
    ShadeCase{"dark_176_shadow", stDark, 176, ShadeClass::Shadow},
    ShadeCase{"dark_black_at_175", stDark, 175, ShadeClass::Black},
    ShadeCase{"dark_250_shadow", stDark, 250, ShadeClass::Shadow},
    ShadeCase{"extremes_white", stDark, 765, ShadeClass::White},
    ShadeCase{"extremes_black", stLight, 0, ShadeClass::Black}),
    [](const auto& info) { return std::string(info.param.name); });

// A 3 x 2 opaque bitmap: a magenta key in the corner and once more, then colours of known sums.
QImage keyedBitmap(QImage::Format format = QImage::Format_RGB32)
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 255));
    image.setPixel(1, 0, qRgb(250, 0, 0));      // 250
    image.setPixel(2, 0, qRgb(255, 255, 255));  // 765
    image.setPixel(0, 1, qRgb(0, 0, 0));        // 0
    image.setPixel(1, 1, qRgb(255, 0, 255));    // the key again
    image.setPixel(2, 1, qRgb(100, 100, 60));   // 260
    return image.convertToFormat(format);
}

TEST(ShadedGlyph, KeyColourStaysClearAndOtherPixelsTakeTheirClass)
{
    const QImage grey = shadedGlyph(keyedBitmap(), stMedium, highlight, shadow);
    ASSERT_EQ(grey.size(), QSize(3, 2));
    EXPECT_EQ(grey.pixel(0, 0), qRgba(0, 0, 0, 0));
    EXPECT_EQ(grey.pixel(1, 1), qRgba(0, 0, 0, 0));
    EXPECT_EQ(grey.pixel(1, 0), highlight.rgba());
    EXPECT_EQ(grey.pixel(2, 0), QColor(Qt::white).rgba());
    EXPECT_EQ(grey.pixel(0, 1), QColor(Qt::black).rgba());
    EXPECT_EQ(grey.pixel(2, 1), highlight.rgba());

    const QImage darkGrey = shadedGlyph(keyedBitmap(), stDark, highlight, shadow);
    EXPECT_EQ(darkGrey.pixel(1, 0), shadow.rgba());
    EXPECT_EQ(darkGrey.pixel(2, 1), shadow.rgba());
}

TEST(ShadedGlyph, PictureWithAlphaKeepsItsEdges)
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(1, 0, qRgba(250, 0, 0, 128));
    const QImage grey = shadedGlyph(image, stLight, highlight, shadow);
    EXPECT_EQ(grey.pixel(0, 0), qRgba(0, 0, 0, 0));
    EXPECT_EQ(grey.pixel(1, 0), qRgba(255, 255, 255, 128));
}

TEST(ShadedGlyph, OtherFormatsAreShadedAlike)
{
    const QImage expected = shadedGlyph(keyedBitmap(), stLight, highlight, shadow);
    for (const QImage::Format format : {QImage::Format_Indexed8, QImage::Format_RGB888, QImage::Format_RGB16}) {
        const QImage converted = keyedBitmap(format);
        EXPECT_EQ(shadedGlyph(converted, stLight, highlight, shadow), expected) << int(format);
    }
}

TEST(ShadedGlyph, OddBitmapsGiveNoCrash)
{
    EXPECT_TRUE(shadedGlyph(QImage(), stMedium, highlight, shadow).isNull());
    EXPECT_TRUE(embossedGlyph(QImage(), light, dark).isNull());
    EXPECT_TRUE(transparentGlyph(QImage()).isNull());

    QImage single(1, 1, QImage::Format_RGB32);
    single.fill(Qt::red);
    EXPECT_EQ(shadedGlyph(single, stMedium, highlight, shadow).pixel(0, 0), qRgba(0, 0, 0, 0));
    EXPECT_EQ(embossedGlyph(single, light, dark).size(), QSize(2, 2));

    QImage mono(9, 1, QImage::Format_Mono);
    mono.fill(0);
    mono.setPixel(8, 0, 1);
    const QImage grey = shadedGlyph(mono, stMedium, highlight, shadow);
    ASSERT_EQ(grey.size(), QSize(9, 1));
    EXPECT_EQ(qAlpha(grey.pixel(7, 0)), 0);
    EXPECT_EQ(qAlpha(grey.pixel(8, 0)), 255);
}

TEST(EmbossedGlyph, HighlightOnePixelDownRightUnderShadowInPlace)
{
    QImage image(3, 3, QImage::Format_RGB32);
    image.fill(Qt::white);             // the key
    image.setPixel(1, 1, qRgb(10, 200, 30));
    const QImage embossed = embossedGlyph(image, light, dark);
    ASSERT_EQ(embossed.size(), QSize(4, 4));
    EXPECT_EQ(embossed.pixel(1, 1), dark.rgba());
    EXPECT_EQ(embossed.pixel(2, 2), light.rgba());
    EXPECT_EQ(qAlpha(embossed.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(embossed.pixel(2, 1)), 0);
    EXPECT_EQ(qAlpha(embossed.pixel(3, 3)), 0);
}

}  // namespace
