// The DATA stream filter: line ends and dot-stuffing must not depend on where the blocks are cut.

#include "transport/mime/smtp_data_stream.h"

#include <gtest/gtest.h>

namespace {

struct StreamCase { const char* name; QByteArray input; QByteArray wire; };

class SmtpDataStreamTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(SmtpDataStreamTest, SameBytesWhereverTheBlocksAreCut)
{
    const StreamCase& c = GetParam();
    for (qsizetype cut = 0; cut <= c.input.size(); ++cut) {
        SmtpDataStream stream;
        stream.append(c.input.left(cut));
        QByteArray wire = stream.take();
        stream.append(c.input.mid(cut));
        stream.finish();
        wire += stream.take();
        EXPECT_EQ(wire, c.wire) << "cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, SmtpDataStreamTest, ::testing::Values(
    StreamCase{"crlf_kept", "a\r\nb\r\n", "a\r\nb\r\n"},
    StreamCase{"bare_lf", "a\nb\n", "a\r\nb\r\n"},
    StreamCase{"bare_cr", "a\rb\r", "a\r\nb\r\n"},
    StreamCase{"cr_cr_lf", "a\r\r\nb", "a\r\n\r\nb\r\n"},
    StreamCase{"leading_dot", ".a\r\n.\r\n", "..a\r\n..\r\n"},
    StreamCase{"dot_inside_line", "a.b\r\n", "a.b\r\n"},
    StreamCase{"dot_after_bare_lf", "x\n.y", "x\r\n..y\r\n"},
    StreamCase{"unfinished_line_ended", "abc", "abc\r\n"},
    StreamCase{"empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
