// Toolbar colour texts and font sizes, and the ".hcr" custom-colour form: round trips, old files' colour
// numbers and lines that are not ours.

#include "core/editor/html_colours.h"

#include <gtest/gtest.h>

namespace {

TEST(HtmlColoursTest, ColourTextIsHashAndUpperCaseRedGreenBlue)
{
    EXPECT_EQ(HtmlColourText(QColor(255, 0, 0)), "#FF0000");
    EXPECT_EQ(HtmlColourText(QColor(0x0a, 0xbc, 0x01)), "#0ABC01");
    EXPECT_EQ(HtmlColourText(QColor(Qt::white)), "#FFFFFF");
}

TEST(HtmlColoursTest, SizeIndexAndValue)
{
    EXPECT_EQ(FontSizeValue(0), 1);   // "8"
    EXPECT_EQ(FontSizeValue(6), 7);   // "36"
    const std::pair<QString, int> cases[] = {{"1", 0}, {"7", 6}, {"3", 2}, {"", -1}, {"0", -1}, {"8", -1},
                                             {"x", -1}, {"-2", -1}, {" 4 ", 3}};
    for (const auto& [value, index] : cases)
        EXPECT_EQ(FontSizeIndex(value), index) << value.toStdString();
}

TEST(HtmlColoursTest, CustomColoursRoundTripInTheOldColourNumbers)
{
    QList<QColor> colours;
    for (int slot = 0; slot < CustomColourCount; ++slot)
        colours << QColor(slot * 16, 255 - slot, slot);
    const QString text = CustomColoursText(colours);
    EXPECT_TRUE(text.startsWith("ColorA=00FF00\r\nColorB=01FE10\r\n")) << text.toStdString();   // blue, green, red
    EXPECT_TRUE(text.endsWith("ColorP=0FF0F0\r\n"));
    EXPECT_EQ(text.count("\r\n"), CustomColourCount);
    EXPECT_EQ(ParseCustomColours(text, {}), colours);
}

TEST(HtmlColoursTest, MissingSlotsAreWrittenWhite)
{
    EXPECT_TRUE(CustomColoursText({QColor(1, 2, 3)}).startsWith("ColorA=030201\r\nColorB=FFFFFF\r\n"));
}

TEST(HtmlColoursTest, ParsingTakesValidLinesAndKeepsTheRest)
{
    QList<QColor> current(CustomColourCount, QColor(Qt::black));
    const QList<QColor> parsed = ParseCustomColours(
        "colorb = 0000ff\n[Custom]\nColorC=GGGGGG\nColorQ=000000\nColorD=1000000\nColorE=\nColorF=FF\r\nColor=12\n",
        current);
    EXPECT_EQ(parsed[1], QColor(255, 0, 0));
    EXPECT_EQ(parsed[5], QColor(255, 0, 0));
    for (int slot : {0, 2, 3, 4, 6, 15})
        EXPECT_EQ(parsed[slot], QColor(Qt::black)) << slot;
    EXPECT_EQ(parsed.size(), CustomColourCount);
}

}  // namespace
