// When the HTML body counts as modified and how it is saved, with a fake page: only a ready page is ever
// written, a failed write or a silent page keeps it dirty, and only a successful save cleans it.

#include "core/editor/html_body_rules.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

class FakePage : public HtmlBodyDocument {
public:
    bool ready = true;
    bool isDirty = false;
    std::optional<QString> source = QStringLiteral("<html><body>hi</body></html>");
    int saves = 0;

    bool documentReady() const override { return ready; }
    bool dirty() override { return isDirty; }
    std::optional<QString> htmlSource() override { return source; }
    void markSaved() override { isDirty = false; ++saves; }
};

struct ModifiedCase {
    const char* name;
    bool ready, dirty, fileExists, modified;
};

class HtmlModifiedTest : public ::testing::TestWithParam<ModifiedCase> {};

TEST_P(HtmlModifiedTest, ReadyPageWithChangesOrWithoutItsFile)
{
    FakePage page;
    page.ready = GetParam().ready;
    page.isDirty = GetParam().dirty;
    EXPECT_EQ(HtmlBodyModified(page, GetParam().fileExists), GetParam().modified);
}

INSTANTIATE_TEST_SUITE_P(Rules, HtmlModifiedTest, ::testing::Values(
    ModifiedCase{"clean_with_file", true, false, true, false},
    ModifiedCase{"dirty", true, true, true, true},
    ModifiedCase{"no_file_yet", true, false, false, true},
    ModifiedCase{"not_loaded_and_dirty", false, true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HtmlSaveTest, SavedSourceIsWrittenWithCrLfAndCleansThePage)
{
    FakePage page;
    page.isDirty = true;
    page.source = "<html>\n<body>hi</body>\n</html>";
    EXPECT_EQ(SaveHtmlBody(page, testHome() + "a.htm"), HtmlSaveResult::Saved);
    EXPECT_EQ(readFileBytes(testHome() + "a.htm"), "<html>\r\n<body>hi</body>\r\n</html>\r\n");
    EXPECT_FALSE(page.isDirty);
}

TEST(HtmlSaveTest, UnloadedPageNeverOverwritesTheFile)
{
    writeFileBytes(testHome() + "a.htm", "the user's body");
    FakePage page;
    page.ready = false;
    page.isDirty = true;
    EXPECT_EQ(SaveHtmlBody(page, testHome() + "a.htm"), HtmlSaveResult::NotLoaded);
    EXPECT_EQ(readFileBytes(testHome() + "a.htm"), "the user's body");
}

TEST(HtmlSaveTest, SilentPageOrFailedWriteKeepsItDirty)
{
    writeFileBytes(testHome() + "a.htm", "old");
    FakePage silent;
    silent.isDirty = true;
    silent.source.reset();
    QString error;
    EXPECT_EQ(SaveHtmlBody(silent, testHome() + "a.htm", &error), HtmlSaveResult::Failed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(silent.isDirty);
    EXPECT_EQ(readFileBytes(testHome() + "a.htm"), "old");

    ASSERT_TRUE(QDir().mkpath(testHome() + "folder.htm"));
    FakePage page;
    page.isDirty = true;
    EXPECT_EQ(SaveHtmlBody(page, testHome() + "folder.htm", &error), HtmlSaveResult::Failed);
    EXPECT_TRUE(page.isDirty);
    EXPECT_EQ(page.saves, 0);
}

}  // namespace
