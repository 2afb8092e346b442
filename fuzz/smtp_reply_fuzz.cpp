// libFuzzer target for the SMTP reply parser fed as a socket feeds it: the first byte sets the largest chunk
// (1 to 64 bytes), the rest is what the server sends. Whatever the chunks, the lines and the fault must be
// the ones of the same bytes received one at a time; a line never exceeds the buffer, and a fault always has
// a text.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 smtp_reply_fuzz (see scripts/fuzz).

#include "transport/smtp/smtp_reply_parser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Outcome {
    std::vector<SmtpReplyLine> lines;
    SmtpReplyParser::Error error = SmtpReplyParser::Error::None;
};

// Feeds bytes in chunks of at most chunk bytes, taking every line after each chunk; stops at the first fault.
Outcome parseInChunks(const uint8_t* data, size_t size, size_t chunk)
{
    Outcome outcome;
    SmtpReplyParser parser;
    size_t offset = 0;
    while (offset < size && parser.error() == SmtpReplyParser::Error::None) {
        const size_t count = std::min({chunk, size - offset, size_t(parser.freeSize())});
        if (count == 0)
            std::abort();   // the parser must free its buffer or fail before it fills
        std::memcpy(parser.freeSpace(), data + offset, count);
        parser.commit(qsizetype(count));
        offset += count;
        while (auto line = parser.nextLine()) {
            if (line->text.size() > SmtpReplyParser::BufferSize - 2 || line->code < 200 || line->code > 599)
                std::abort();
            outcome.lines.push_back(*line);
        }
    }
    outcome.error = parser.error();
    if ((outcome.error == SmtpReplyParser::Error::None) != parser.errorString().isEmpty())
        std::abort();
    return outcome;
}

bool same(const Outcome& a, const Outcome& b)
{
    if (a.error != b.error || a.lines.size() != b.lines.size())
        return false;
    for (size_t i = 0; i < a.lines.size(); ++i)
        if (a.lines[i].text != b.lines[i].text || a.lines[i].code != b.lines[i].code
            || a.lines[i].continuation != b.lines[i].continuation)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t chunk = 1 + data[0] % 64;
    if (!same(parseInChunks(data + 1, size - 1, chunk), parseInChunks(data + 1, size - 1, 1)))
        std::abort();
    return 0;
}
