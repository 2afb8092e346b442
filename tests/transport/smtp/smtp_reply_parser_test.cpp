// SmtpReplyParser: good and bad replies, fed whole and one byte at a time; the line cap of the buffer.

#include "transport/smtp/smtp_reply_parser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct Parsed {
    std::vector<std::string> lines;    // "code text" as seen, "-" marking continuation lines
    SmtpReplyParser::Error error = SmtpReplyParser::Error::None;
};

// Feeds input in pieces of at most chunk bytes, collecting the lines as they complete.
Parsed parse(const QByteArray& input, qsizetype chunk)
{
    SmtpReplyParser parser;
    Parsed parsed;
    for (qsizetype at = 0; at < input.size() && parsed.error == SmtpReplyParser::Error::None;) {
        const qsizetype count = std::min({chunk, input.size() - at, parser.freeSize()});
        std::memcpy(parser.freeSpace(), input.constData() + at, size_t(count));
        parser.commit(count);
        at += count;
        while (const auto line = parser.nextLine())
            parsed.lines.push_back(std::to_string(line->code) + (line->continuation ? "-" : " ") + line->text.toStdString());
        parsed.error = parser.error();
    }
    return parsed;
}

struct ReplyCase {
    const char* name;
    QByteArray input;
    std::vector<std::string> lines;
    SmtpReplyParser::Error error;
};

void PrintTo(const ReplyCase& c, std::ostream* os)
{
    *os << c.name;
}

class SmtpReplyParserTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(SmtpReplyParserTest, ParsesOrRejectsWholeAndBytewise)
{
    for (const qsizetype chunk : {qsizetype(4096), qsizetype(1)}) {
        const Parsed parsed = parse(GetParam().input, chunk);
        EXPECT_EQ(parsed.lines, GetParam().lines) << "chunk " << chunk;
        EXPECT_EQ(parsed.error, GetParam().error) << "chunk " << chunk;
    }
}

using E = SmtpReplyParser::Error;

INSTANTIATE_TEST_SUITE_P(Replies, SmtpReplyParserTest, ::testing::Values(
    ReplyCase{"single", "250 ok\r\n", {"250 250 ok"}, E::None},
    ReplyCase{"code_alone", "250\r\n", {"250 250"}, E::None},
    ReplyCase{"continuation", "250-a\r\n250 b\r\n", {"250-250-a", "250 250 b"}, E::None},
    ReplyCase{"two_replies", "220 hi\r\n250 ok\r\n", {"220 220 hi", "250 250 ok"}, E::None},
    ReplyCase{"leading_blanks", "  250 ok\r\n", {"250   250 ok"}, E::None},
    ReplyCase{"incomplete_waits", "250 o", {}, E::None},
    ReplyCase{"bare_lf_is_not_a_line_end", "250 a\n250 b", {}, E::None},
    ReplyCase{"letter_in_code", "2x0 ready\r\n", {}, E::MalformedLine},
    ReplyCase{"two_digits", "25 ok\r\n", {}, E::MalformedLine},
    ReplyCase{"four_digits", "2500 ok\r\n", {}, E::MalformedLine},
    ReplyCase{"code_out_of_range", "650 ok\r\n", {}, E::MalformedLine},
    ReplyCase{"empty_line", "\r\n", {}, E::MalformedLine},
    ReplyCase{"codes_disagree", "250-one\r\n251 two\r\n", {"250-250-one"}, E::CodesDisagree},
    ReplyCase{"line_after_fault_ignored", "xyz\r\n250 ok\r\n", {}, E::MalformedLine}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SmtpReplyParserLimitTest, LineOf4094CharactersFitsButALongerOneIsRefused)
{
    const QByteArray longest = "250 " + QByteArray(4090, 'a');
    EXPECT_EQ(parse(longest + "\r\n", 4096).lines.size(), 1u);
    EXPECT_EQ(parse(longest + "a\r\n", 4096).error, E::LineTooLong);
    EXPECT_EQ(parse("250-" + QByteArray(4996, 'x'), 1000).error, E::LineTooLong);
}

TEST(SmtpReplyParserLimitTest, EndlessContinuationIsCut)
{
    QByteArray input;
    for (int i = 0; i <= SmtpReplyParser::MaxLinesPerReply; ++i)
        input += "250-more\r\n";
    const Parsed parsed = parse(input, 4096);
    EXPECT_EQ(parsed.error, E::TooManyLines);
    EXPECT_EQ(int(parsed.lines.size()), SmtpReplyParser::MaxLinesPerReply);
}

TEST(SmtpReplyParserLimitTest, ErrorTextNamesTheLineAndResetStartsOver)
{
    SmtpReplyParser parser;
    const QByteArray bad = "hello there\r\n250 ok\r\n";
    std::memcpy(parser.freeSpace(), bad.constData(), size_t(bad.size()));
    parser.commit(bad.size());
    EXPECT_FALSE(parser.nextLine());
    EXPECT_EQ(parser.errorString(), "Malformed reply line 'hello there'");
    parser.reset();
    EXPECT_EQ(parser.error(), E::None);
    EXPECT_EQ(parser.freeSize(), SmtpReplyParser::BufferSize);
}

}  // namespace
