// The charset a message goes in: the project's when it holds every text, else UTF-8; "us-ascii" holds ASCII
// only, and the Unicode charsets hold what they can write.

#include "transport/mime/message_charset.h"

#include <gtest/gtest.h>

namespace {

struct ChoiceCase {
    const char* name;
    TMimeChar charset;
    const char* charsetName;
    QStringList texts;
    bool fallback;
};

class MessageCharsetTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(MessageCharsetTest, KeepsTheCharsetOnlyWhenEveryTextFits)
{
    const ChoiceCase& c = GetParam();
    const MessageCharset chosen = messageCharsetFor(c.charset, c.charsetName, c.texts);
    EXPECT_EQ(chosen.utf8Fallback, c.fallback);
    EXPECT_EQ(chosen.charset, c.fallback ? TMimeChar::UTF_8 : c.charset);
    EXPECT_EQ(chosen.name, c.fallback ? QStringLiteral("UTF-8") : QString::fromLatin1(c.charsetName));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MessageCharsetTest,
    ::testing::Values(
        ChoiceCase{"latin1_letters_fit", TMimeChar::ISO_8859_1, "iso-8859-1", {"Gr\u00fc\u00dfe", ""}, false},
        ChoiceCase{"one_text_of_many_lacks", TMimeChar::ISO_8859_1, "iso-8859-1", {"ok", "a", "\u20ac"}, true},
        ChoiceCase{"lone_surrogate_never_fits_a_table", TMimeChar::CP1252, "windows-1252",
                   {QString(QChar(0xD800))}, true},
        ChoiceCase{"us_ascii_holds_ascii_only", TMimeChar::ISO_8859_1, "US-ASCII", {"caf\u00e9"}, true},
        ChoiceCase{"us_ascii_plain_text", TMimeChar::ISO_8859_1, "us-ascii", {"cafe"}, false},
        ChoiceCase{"ucs2_lacks_astral_planes", TMimeChar::UCS_2, "Unicode-1-1-UCS-2",
                   {QString::fromUcs4(U"\U0001F600", 1)}, true},
        ChoiceCase{"utf7_holds_everything", TMimeChar::UTF_7, "utf-7", {QString::fromUcs4(U"\U0001F600", 1)}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
