// Captions without their accelerator marks.

#include "controls/accelerator_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CaptionCase {
    const char* name;
    const char* caption;
    const char* plain;
};

class AcceleratorTextTest : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(AcceleratorTextTest, StripsMarks)
{
    EXPECT_EQ(captionWithoutAccelerators(QString::fromUtf8(GetParam().caption)), QString::fromUtf8(GetParam().plain));
}

INSTANTIATE_TEST_SUITE_P(Captions, AcceleratorTextTest, ::testing::Values(
    CaptionCase{"single_mark", "&Close", "Close"},
    CaptionCase{"mark_inside", "E&xit", "Exit"},
    CaptionCase{"double_shows_one", "Save && Exit", "Save & Exit"},
    CaptionCase{"double_then_mark", "&&&Go", "&Go"},
    CaptionCase{"mark_at_end", "OK&", "OK"},
    CaptionCase{"no_marks", "OK", "OK"},
    CaptionCase{"empty", "", ""},
    CaptionCase{"only_doubles", "&&&&", "&&"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
