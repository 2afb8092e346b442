// Field coding of the settings file's block layout: escapes, the number reader and the field splitter.

#include "core/settings/settings_fields.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct EscapeCase {
    const char* name;
    QString text;
    QString escaped;
};

void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }

class EscapeFieldTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeFieldTest, EscapesAndReadsBack)
{
    EXPECT_EQ(EscapeField(GetParam().text), GetParam().escaped);
    EXPECT_EQ(UnescapeField(GetParam().escaped), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EscapeFieldTest,
    ::testing::Values(EscapeCase{"plain", "smtp.example.com", "smtp.example.com"},
                      EscapeCase{"caret", "a^b", "a%5Eb"},
                      EscapeCase{"percent", "100%", "100%25"},
                      EscapeCase{"percent_before_hex_digits", "%41", "%2541"},
                      EscapeCase{"line_break", "a\r\nb", "a%0D%0Ab"},
                      EscapeCase{"blanks_at_ends", " pass word ", "%20pass word%20"},
                      EscapeCase{"non_ascii", QString::fromUtf8("Jürgen"), QString::fromUtf8("Jürgen")},
                      EscapeCase{"empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnescapeFieldTest, OnlyUpperCaseHexPairsDecode)
{
    EXPECT_EQ(UnescapeField("%41"), "A");          // as old files hold it
    EXPECT_EQ(UnescapeField("%5e"), "%5e");        // lower-case digits stay
    EXPECT_EQ(UnescapeField("%4"), "%4");          // too short
    EXPECT_EQ(UnescapeField("50%"), "50%");
    EXPECT_EQ(UnescapeField("%G1%5E"), "%G1^");
    EXPECT_EQ(UnescapeField("%%5E"), "%^");
}

struct NumberCase {
    const char* name;
    QString field;
    int value;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

class ReadNumberFieldTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumberFieldTest, ReadsAsVal)
{
    EXPECT_EQ(readNumberField(GetParam().field), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ReadNumberFieldTest,
    ::testing::Values(NumberCase{"decimal", "25", 25},
                      NumberCase{"negative", "-12", -12},
                      NumberCase{"plus", "+7", 7},
                      NumberCase{"leading_blanks", "  42", 42},
                      NumberCase{"stops_early_drops_sign", "-12x", 12},
                      NumberCase{"no_digits", "abc", 0},
                      NumberCase{"empty", "", 0},
                      NumberCase{"dollar_hex", "$1F", 31},
                      NumberCase{"x_hex", "x10", 16},
                      NumberCase{"zero_x_hex", "0x1a", 26},
                      NumberCase{"negative_hex", "-$10", -16},
                      NumberCase{"lowest", "-2147483648", -2147483647 - 1},
                      NumberCase{"overflow_keeps_digits_before", "99999999999", 999999999}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitFieldsTest, TrailingEmptyFieldCounts)
{
    EXPECT_EQ(splitFields("a^ b ^"), QStringList({"a", "b", ""}));
    EXPECT_EQ(splitFields("^^"), QStringList({"", "", ""}));
    EXPECT_EQ(splitFields(""), QStringList({""}));
}

TEST(FlagFieldTest, OnlyOneIsTrue)
{
    EXPECT_EQ(flagField(true), "1");
    EXPECT_EQ(flagField(false), "");
    EXPECT_TRUE(readFlagField("1"));
    EXPECT_FALSE(readFlagField("01"));
    EXPECT_FALSE(readFlagField("true"));
    EXPECT_FALSE(readFlagField(""));
}

TEST(TextFieldTest, ShortTextsCutAt255)
{
    const QString text(300, 'x');
    EXPECT_EQ(textField(text).size(), 255);
    EXPECT_EQ(textField(text, TextLength::Long).size(), 300);
    EXPECT_EQ(readTextField(text).size(), 255);
    EXPECT_EQ(readTextField(text, TextLength::Long).size(), 300);
    // The cut applies to the text, before escaping: 255 carets become 765 characters on the line.
    EXPECT_EQ(readTextField(textField(QString(300, '^'))), QString(255, '^'));
}

}  // namespace
