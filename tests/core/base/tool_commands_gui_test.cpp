// The tool table: a registered tool runs with its request; a tool not built yet is announced and changes nothing.

#include "core/base/tool_commands.h"
#include "tests/core/modal_dialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(ToolCommands, RunsTheRegisteredToolAndAnnouncesAMissingOne)
{
    sorvanta::test::MessageBoxRecorder boxes;
    ToolRequest request;
    request.emailColumn = 3;
    EXPECT_FALSE(runTool(ToolVerifyList, request));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "\"Verify List\" is not available yet.");

    int seenColumn = -1;
    setToolFunction(ToolVerifyList, [&](ToolRequest& r) {
        seenColumn = r.emailColumn;
        return true;
    });
    EXPECT_TRUE(runTool(ToolVerifyList, request));
    EXPECT_EQ(seenColumn, 3);
    EXPECT_EQ(boxes.boxes.size(), 1u);
    setToolFunction(ToolVerifyList, nullptr);
}

}  // namespace
