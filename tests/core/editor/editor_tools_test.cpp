// The editor's list tools without a window: the follow-up of each tool code, the e-mail column check and the
// verification, which keeps the account's SMTP server name whatever the verification window does to it.

#include "core/editor/editor_tools.h"

#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "platform/string_grid.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct FollowUpCase {
    const char* name;
    ToolCode code;
    bool changed;
    bool retitle;
    bool writeBack;
    bool markModified;
    bool postCount;
    bool emailColumnFirst = false;
};

class ToolFollowUpTest : public ::testing::TestWithParam<FollowUpCase> {};

TEST_P(ToolFollowUpTest, ByCodeAndReport)
{
    const FollowUpCase& c = GetParam();
    const ToolFollowUp followUp = FollowUpOfTool(c.code, c.changed);
    EXPECT_EQ(followUp.retitleList, c.retitle);
    EXPECT_EQ(followUp.listEditorWriteBack, c.writeBack);
    EXPECT_EQ(followUp.markModified, c.markModified);
    EXPECT_EQ(followUp.postRecordCount, c.postCount);
    EXPECT_EQ(followUp.emailColumnFirst, c.emailColumnFirst);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ToolFollowUpTest,
    ::testing::Values(
        FollowUpCase{"address_book_import_changed", ToolImportAddressBook, true, true, false, false, false, true},
        FollowUpCase{"address_book_import_nothing", ToolImportAddressBook, false, false, false, false, false},
        FollowUpCase{"wizard_changed", ToolImportWizard, true, true, false, false, false},
        FollowUpCase{"wizard_nothing", ToolImportWizard, false, false, false, false, false},
        FollowUpCase{"list_editor_saved", ToolEditList, true, false, true, false, true},
        FollowUpCase{"list_editor_cancelled_still_counts", ToolEditList, false, false, false, false, true},
        FollowUpCase{"filter_always_modifies", ToolFilterList, false, false, false, true, true},
        FollowUpCase{"verify_deleted_rows", ToolVerifyList, true, false, false, true, true},
        FollowUpCase{"verify_nothing", ToolVerifyList, false, false, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EditorTools, EmailColumnMustBeAColumnOfTheList)
{
    EXPECT_TRUE(EmailColumnDefined(0, 1));
    EXPECT_TRUE(EmailColumnDefined(2, 3));
    EXPECT_FALSE(EmailColumnDefined(-1, 3));
    EXPECT_FALSE(EmailColumnDefined(3, 3));
}

class VerificationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* server : {"smtp.one.test", "smtp.two.test"}) {
            auto account = std::make_unique<tAccountObj>();
            account->SMTPServer = QString::fromLatin1(server);
            Accounts.Add(std::move(account));
        }
        saved = ProjectIniInfo;
    }
    void TearDown() override
    {
        Accounts.Clear();
        ProjectIniInfo = saved;
        setToolFunction(ToolVerifyList, nullptr);
    }
    TIniInfo saved;
};

TEST_F(VerificationTest, CleansTheColumnRunsTheToolAndRestoresTheServerName)
{
    ProjectIniInfo.NConnect = 1;
    StringGrid grid(2, 2);
    grid.setCell(1, 1, "\"Ann\" <ann@example.com>");
    QString seenCell;
    setToolFunction(ToolVerifyList, [&](ToolRequest& request) {
        seenCell = request.listGrid->cell(request.emailColumn, 1);
        Accounts.Items(1)->SMTPServer = "changed.by.the.verification";
        return true;
    });
    ToolRequest request;
    request.listGrid = &grid;
    request.emailColumn = 1;
    EXPECT_TRUE(RunVerification(request));
    EXPECT_EQ(seenCell, "ann@example.com");
    EXPECT_EQ(Accounts.Items(1)->SMTPServer, "smtp.two.test");
}

TEST_F(VerificationTest, AnAccountIndexOutOfRangeBecomesTheFirstAccount)
{
    ProjectIniInfo.NConnect = 7;
    setToolFunction(ToolVerifyList, [](ToolRequest&) {
        Accounts.Items(0)->SMTPServer = "changed";
        return false;
    });
    StringGrid grid;
    ToolRequest request;
    request.listGrid = &grid;
    EXPECT_FALSE(RunVerification(request));
    EXPECT_EQ(ProjectIniInfo.NConnect, 0);
    EXPECT_EQ(Accounts.Items(0)->SMTPServer, "smtp.one.test");
}

}  // namespace
