// Charset names, the single-byte tables (checked against iconv) and the conversions between charsets.

#include "transport/mime/charsets.h"

#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <iconv.h>

namespace {

constexpr TMimeChar kSingleByte[] = {
    TMimeChar::ISO_8859_1, TMimeChar::ISO_8859_2, TMimeChar::ISO_8859_3, TMimeChar::ISO_8859_4, TMimeChar::ISO_8859_5,
    TMimeChar::ISO_8859_6, TMimeChar::ISO_8859_7, TMimeChar::ISO_8859_8, TMimeChar::ISO_8859_9, TMimeChar::ISO_8859_10,
    TMimeChar::CP1250,     TMimeChar::CP1251,     TMimeChar::CP1252,     TMimeChar::CP1253,     TMimeChar::CP1254,
    TMimeChar::CP1255,     TMimeChar::CP1256,     TMimeChar::CP1257,     TMimeChar::CP1258,     TMimeChar::KOI8_R,
};

constexpr const char* kIconvNames[] = {
    "ISO-8859-1", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5", "ISO-8859-6", "ISO-8859-7",
    "ISO-8859-8", "ISO-8859-9", "ISO-8859-10", "CP1250", "CP1251", "CP1252", "CP1253", "CP1254",
    "CP1255", "CP1256", "CP1257", "CP1258", "KOI8-R"};

// glibc iconv as the independent oracle: the character of one byte, U+FFFD where iconv refuses it.
QString iconvDecode(char byte, const char* charset)
{
    iconv_t handle = iconv_open("UTF-16LE", charset);
    if (handle == iconv_t(-1))
        return QStringLiteral("no iconv");
    char16_t out[4] = {};
    char* in = &byte;
    size_t inLeft = 1;
    char* outBytes = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    const size_t result = iconv(handle, &in, &inLeft, &outBytes, &outLeft);
    iconv(handle, nullptr, nullptr, &outBytes, &outLeft);   // CP1255 and CP1258 hold a letter for combining
    iconv_close(handle);
    if (result == size_t(-1) || outLeft == sizeof out)
        return QString(QChar(0xFFFD));
    return QString(reinterpret_cast<const QChar*>(out), qsizetype((sizeof out - outLeft) / 2));
}

std::string hex(const QByteArray& bytes)
{
    return bytes.toHex(' ').toStdString();
}

TEST(Charsets, SingleByteTablesAgreeWithIconv)
{
    for (size_t i = 0; i < std::size(kSingleByte); ++i) {
        for (int byte = 0; byte < 256; ++byte) {
            const QByteArray one(1, char(byte));
            QString expected = iconvDecode(char(byte), kIconvNames[i]);
            const bool greek1987Gap = kSingleByte[i] == TMimeChar::ISO_8859_7 && (byte == 0xA4 || byte == 0xA5 || byte == 0xAA);
            if (greek1987Gap)
                expected = QString(QChar(0xFFFD));
            EXPECT_EQ(decodeFromCharset(one, kSingleByte[i]), expected)
                << CharsetName(kSingleByte[i]).toStdString() << " byte " << byte;
        }
    }
}

TEST(Charsets, SingleByteTablesRoundTripThroughUtf8)
{
    for (const TMimeChar charset : kSingleByte) {
        for (int byte = 0; byte < 256; ++byte) {
            const QByteArray one(1, char(byte));
            const QByteArray utf8 = ConvertCharset(one, charset, TMimeChar::UTF_8);
            const bool undefined = decodeFromCharset(one, charset) == QString(QChar(0xFFFD));
            EXPECT_EQ(ConvertCharset(utf8, TMimeChar::UTF_8, charset), undefined ? QByteArray("_") : one)
                << CharsetName(charset).toStdString() << " byte " << byte;
        }
    }
}

struct ConversionCase {
    const char* name;
    QByteArray input;
    TMimeChar from;
    TMimeChar to;
    QByteArray output;
};

class ConvertCharsetTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ConvertCharsetTest, Converts)
{
    const ConversionCase& c = GetParam();
    EXPECT_EQ(hex(ConvertCharset(c.input, c.from, c.to)), hex(c.output));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConvertCharsetTest,
    ::testing::Values(
        ConversionCase{"e_acute_to_utf8", "\xE9", TMimeChar::CP1252, TMimeChar::UTF_8, "\xC3\xA9"},
        ConversionCase{"missing_letter_between_8bit", "a\xE9", TMimeChar::CP1252, TMimeChar::ISO_8859_5, "a_"},
        ConversionCase{"euro_to_latin1", "\xE2\x82\xAC", TMimeChar::UTF_8, TMimeChar::ISO_8859_1, "_"},
        ConversionCase{"euro_to_cp1252", "\xE2\x82\xAC", TMimeChar::UTF_8, TMimeChar::CP1252, "\x80"},
        ConversionCase{"cyrillic_cp1251_to_koi8", "\xC0\xE1", TMimeChar::CP1251, TMimeChar::KOI8_R, "\xE1\xC2"},
        ConversionCase{"undefined_source_byte", "\x81", TMimeChar::CP1252, TMimeChar::UTF_8, "\xEF\xBF\xBD"},
        ConversionCase{"stray_continuation", "a\x80z", TMimeChar::UTF_8, TMimeChar::UCS_2,
                       QByteArray("\0a\xFF\xFD\0z", 6)},
        ConversionCase{"truncated_sequence", "\xE2\x82", TMimeChar::UTF_8, TMimeChar::UCS_2, "\xFF\xFD"},
        ConversionCase{"overlong_slash", "\xC0\xAF", TMimeChar::UTF_8, TMimeChar::UCS_2, "\xFF\xFD"},
        ConversionCase{"astral_utf8_to_ucs4", "\xF0\x9F\x98\x80", TMimeChar::UTF_8, TMimeChar::UCS_4,
                       QByteArray("\0\x01\xF6\x00", 4)},
        ConversionCase{"astral_ucs4_to_utf8", QByteArray("\0\x01\xF6\x00", 4), TMimeChar::UCS_4, TMimeChar::UTF_8,
                       "\xF0\x9F\x98\x80"},
        ConversionCase{"astral_to_ucs2", "\xF0\x9F\x98\x80", TMimeChar::UTF_8, TMimeChar::UCS_2, QByteArray("\0_", 2)},
        ConversionCase{"astral_to_8bit", "\xF0\x9F\x98\x80", TMimeChar::UTF_8, TMimeChar::CP1252, "_"},
        ConversionCase{"surrogate_pair_ucs2_to_utf8", QByteArray("\xD8\x3D\xDE\x00", 4), TMimeChar::UCS_2, TMimeChar::UTF_8,
                       "\xF0\x9F\x98\x80"},
        ConversionCase{"ucs2_to_latin1", QByteArray("\0A\0\xE9", 4), TMimeChar::UCS_2, TMimeChar::ISO_8859_1, "A\xE9"},
        ConversionCase{"utf7_plus_minus", "Hi+-", TMimeChar::UTF_7, TMimeChar::UTF_8, "Hi+"},
        ConversionCase{"utf7_run_to_utf8", "a+BBAEEQ-b", TMimeChar::UTF_7, TMimeChar::UTF_8, "a\xD0\x90\xD0\x91" "b"},
        ConversionCase{"utf7_run_ended_by_blank", "+AOk x", TMimeChar::UTF_7, TMimeChar::ISO_8859_1, "\xE9 x"},
        ConversionCase{"cyrillic_to_utf7", "\xD0\x90\xD1\x91", TMimeChar::UTF_8, TMimeChar::UTF_7, "+BBAEUQ-"},
        ConversionCase{"latin1_letter_to_utf7_is_encoded", "caf\xE9", TMimeChar::ISO_8859_1, TMimeChar::UTF_7,
                       "caf+AOk-"},
        ConversionCase{"plus_to_utf7", "1+1", TMimeChar::ISO_8859_1, TMimeChar::UTF_7, "1+-1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Charsets, Utf7EncodingOfTwoCyrillicLettersIsSixBase64Characters)
{
    const QByteArray utf7 = encodeInCharset(QStringLiteral("\u0416\u0416"), TMimeChar::UTF_7);
    ASSERT_EQ(utf7.size(), 8);
    EXPECT_TRUE(utf7.startsWith('+') && utf7.endsWith('-'));
    EXPECT_EQ(decodeFromCharset(utf7, TMimeChar::UTF_7), QStringLiteral("\u0416\u0416"));
}

TEST(Charsets, UnicodeTextRoundTripsThroughEveryUnicodeCharset)
{
    const QString text = QStringLiteral("plain + caf\u00E9 \u20AC \u0416 \U0001F600 end");
    for (const TMimeChar charset : {TMimeChar::UTF_8, TMimeChar::UCS_4, TMimeChar::UTF_7})
        EXPECT_EQ(decodeFromCharset(encodeInCharset(text, charset), charset), text) << CharsetName(charset).toStdString();
    EXPECT_EQ(encodeInCharset(text, TMimeChar::UTF_8), text.toUtf8());
    // UCS-2 holds the basic plane only.
    const QString basic = QStringLiteral("plain + caf\u00E9 \u20AC \u0416 _ end");
    EXPECT_EQ(decodeFromCharset(encodeInCharset(text, TMimeChar::UCS_2), TMimeChar::UCS_2), basic);
}

// Above U+FFFF, UTF-7 writes the UTF-16 surrogate pair in base64 (RFC 2152): U+1F600 is D83D DE00.
TEST(Charsets, Utf7EncodesCharactersBeyondTheBasicPlaneAsSurrogatePairs)
{
    EXPECT_EQ(encodeInCharset(QStringLiteral("\U0001F600"), TMimeChar::UTF_7), "+2D3eAA-");
    EXPECT_EQ(encodeInCharset(QStringLiteral("a\u00E9\U00010348b"), TMimeChar::UTF_7), "a+AOnYAN9I-b");
    EXPECT_EQ(decodeFromCharset("+2D3eAA-", TMimeChar::UTF_7), QStringLiteral("\U0001F600"));
}

struct NameCase {
    const char* name;
    TMimeChar charset;
};

TEST(Charsets, CharsetFromName)
{
    const NameCase cases[] = {
        {"iso-8859-15", TMimeChar::ISO_8859_1}, {"unicode-1-1-utf-8", TMimeChar::UTF_8},
        {"ISO-8859-10", TMimeChar::ISO_8859_10}, {"iso-8859-2", TMimeChar::ISO_8859_2},
        {"iso-8859-9", TMimeChar::ISO_8859_9},  {"windows-1250", TMimeChar::CP1250},
        {"x-cp1258", TMimeChar::CP1258},        {"koi8-r", TMimeChar::KOI8_R},
        {"utf-7", TMimeChar::UTF_7},            {"utf-8", TMimeChar::UTF_8},
        {"Unicode-1-1-UCS-4", TMimeChar::UCS_4}, {"Unicode-1-1-UCS-2", TMimeChar::UCS_2},
        {"unicode", TMimeChar::UCS_2},          {"us-ascii", TMimeChar::ISO_8859_1},
        {"", TMimeChar::ISO_8859_1},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(CharsetFromName(c.name), c.charset) << c.name;
}

TEST(Charsets, CharsetNameRoundTripsThroughCharsetFromName)
{
    for (int value = 0; value <= int(TMimeChar::UTF_7); ++value)
        EXPECT_EQ(CharsetFromName(CharsetName(TMimeChar(value))), TMimeChar(value)) << value;
    EXPECT_EQ(CharsetName(TMimeChar::ISO_8859_10), "ISO-8859-10");
    EXPECT_EQ(CharsetName(TMimeChar::CP1257), "WINDOWS-1257");
    EXPECT_EQ(CharsetName(TMimeChar::UCS_2), "Unicode-1-1-UCS-2");
}

TEST(Charsets, CharsetOfCodePage)
{
    const std::pair<int, TMimeChar> cases[] = {
        {65001, TMimeChar::UTF_8},       {1250, TMimeChar::CP1250},     {1251, TMimeChar::CP1251},
        {1258, TMimeChar::CP1258},       {28591, TMimeChar::ISO_8859_1}, {28595, TMimeChar::ISO_8859_5},
        {28600, TMimeChar::ISO_8859_10}, {20866, TMimeChar::KOI8_R},    {437, TMimeChar::CP1251},
        {28605, TMimeChar::CP1251},
    };
    for (const auto& [page, charset] : cases)
        EXPECT_EQ(charsetOfCodePage(page), charset) << page;
    EXPECT_EQ(CurrentCharset(), charsetOfCodePage(codepage::ansiCodePage()));
}

TEST(Charsets, NeedsConversion)
{
    EXPECT_FALSE(NeedsConversion("plain ASCII ~\x7F"));
    EXPECT_TRUE(NeedsConversion("caf\xE9"));
    EXPECT_FALSE(NeedsConversion(""));
}

}  // namespace
