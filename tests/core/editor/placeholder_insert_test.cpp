// Merge placeholders: their texts, where a drop on the subject or the plain editor puts them, and which
// control Insert writes into.

#include "core/editor/placeholder_insert.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Placeholders, ColumnAndChooserTexts)
{
    EXPECT_EQ(ColumnPlaceholder(0), "[Column#1]");
    EXPECT_EQ(ColumnPlaceholder(11), "[Column#12]");
    EXPECT_EQ(ChooserPlaceholder("Column#3"), "[Column#3]");
}

TEST(Placeholders, SubjectDropTakesOneCharacterPerFivePixels)
{
    EXPECT_EQ(SubjectDropPosition(52, 30), 10);
    EXPECT_EQ(SubjectDropPosition(4, 30), 0);
    EXPECT_EQ(SubjectDropPosition(500, 30), 30);   // past the text: at its end
    EXPECT_EQ(SubjectDropPosition(-20, 30), 0);
}

struct DropCase {
    const char* name;
    QStringList lines;
    int x;
    int y;
    QStringList expected;
};

class PlainDropTest : public ::testing::TestWithParam<DropCase> {};

TEST_P(PlainDropTest, InsertsAtLineYBy14AndCharacterXBy4)
{
    QStringList lines = GetParam().lines;
    InsertAtDropPoint(lines, GetParam().x, GetParam().y, "[P]");
    EXPECT_EQ(lines, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Drops, PlainDropTest,
    ::testing::Values(
        DropCase{"inside_a_line", {"Hello world"}, 20, 5, {"Hello[P] world"}},
        DropCase{"second_line", {"one", "two"}, 0, 14, {"one", "[P]two"}},
        DropCase{"past_the_end_pads_with_blanks", {"ab"}, 24, 0, {"ab    [P]"}},
        DropCase{"below_the_text_adds_lines", {"ab"}, 8, 30, {"ab", "", "  [P]"}},
        DropCase{"into_nothing", {}, 0, 0, {"[P]"}},
        DropCase{"negative_point_is_the_start", {"ab"}, -9, -9, {"[P]ab"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TargetCase {
    const char* name;
    InsertFocus focus;
    InsertTarget expected;
};

class InsertTargetTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(InsertTargetTest, FocusFirstThenTheShownPage)
{
    EXPECT_EQ(ChooseInsertTarget(GetParam().focus), GetParam().expected);
}

// Fields: subject focused, plain focused, plain page shown, html focused, html page shown.
INSTANTIATE_TEST_SUITE_P(
    Targets, InsertTargetTest,
    ::testing::Values(
        TargetCase{"subject_over_the_html_page", {true, false, false, false, true}, InsertTarget::Subject},
        TargetCase{"subject_over_the_plain_page", {true, false, true, false, false}, InsertTarget::Subject},
        TargetCase{"plain_editor_focused", {false, true, true, false, false}, InsertTarget::PlainEditor},
        TargetCase{"plain_page_shown", {false, false, true, false, false}, InsertTarget::PlainEditor},
        TargetCase{"html_page_shown", {false, false, false, false, true}, InsertTarget::HtmlEditor},
        TargetCase{"html_editor_focused", {false, false, false, true, true}, InsertTarget::HtmlEditor},
        TargetCase{"nothing", {false, false, false, false, false}, InsertTarget::None}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
