// The editor's close question: when it is asked (changes or changed options) and what each answer and the
// save's outcome do.

#include "core/editor/editor_close_question.h"

#include "platform/widgets/message_box.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CloseCase {
    const char* name;
    bool modified;
    bool optionsChanged;
    int answer;
    bool saveSucceeds;
    bool asked;
    bool saved;
    bool mayClose;
};

class CloseQuestionTest : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseQuestionTest, AsksAndDecides)
{
    const CloseCase& c = GetParam();
    bool asked = false;
    bool saved = false;
    CloseQuestion question;
    question.ask = [&] {
        asked = true;
        return c.answer;
    };
    question.save = [&] {
        saved = true;
        return c.saveSucceeds;
    };
    EXPECT_EQ(EditorMayClose(c.modified, c.optionsChanged, question), c.mayClose);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(saved, c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, CloseQuestionTest,
    ::testing::Values(
        CloseCase{"unchanged_closes_without_asking", false, false, IDCANCEL, true, false, false, true},
        CloseCase{"modified_cancel_keeps", true, false, IDCANCEL, true, true, false, false},
        CloseCase{"modified_no_closes_unsaved", true, false, IDNO, true, true, false, true},
        CloseCase{"modified_yes_saved_closes", true, false, IDYES, true, true, true, true},
        CloseCase{"modified_yes_save_refused_keeps", true, false, IDYES, false, true, true, false},
        CloseCase{"options_changed_alone_asks", false, true, IDNO, true, true, false, true},
        CloseCase{"options_changed_cancel_keeps", false, true, IDCANCEL, true, true, false, false},
        CloseCase{"options_changed_yes_saves", false, true, IDYES, true, true, true, true},
        CloseCase{"both_yes_save_refused_keeps", true, true, IDYES, false, true, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
