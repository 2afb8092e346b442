// The HTML page on an engine that loses the answer to the first run of every script (a module that wraps the
// real engine): the page still becomes ready, and every script is sent again and answered; a command that
// changes the page still runs once.

#include "core/editor/html_view.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"
#include "tests/support/web_engine_env.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using sorvanta::test::testHome;
using sorvanta::test::waitUntil;

// Every test runs in a process of its own; the tests of the real engine share this executable, so the lossy
// module is named only here, before the first page of the process is made.
class HtmlViewLostAnswerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sorvanta::test::prepareWebEngineForTests();
        qputenv("SORVANTA_HTML_ENGINE", SORVANTA_LOSSY_HTML_ENGINE);
    }
};

std::unique_ptr<HtmlView> readyPage(const QString& source)
{
    QString error;
    std::unique_ptr<HtmlView> view(HtmlView::create(nullptr, &error));
    EXPECT_TRUE(view) << error.toStdString();
    if (!view)
        return nullptr;
    view->show();
    QStringList failures;
    QObject::connect(view.get(), &HtmlView::loadFailed, [&](const QString& reason) { failures << reason; });
    view->loadSource(testHome(), source);
    EXPECT_TRUE(waitUntil([&] { return view->documentReady() || !failures.isEmpty(); }, 2 * HtmlView::LoadTimeoutMs));
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    return view->documentReady() ? std::move(view) : nullptr;
}

TEST_F(HtmlViewLostAnswerTest, ScriptsThatMayRunAgainAreAnsweredOnTheirSecondSending)
{
    std::unique_ptr<HtmlView> view = readyPage("<html><body><p>one</p><img src=\"a.png\"><img src=\"b.png\"></body></html>");
    ASSERT_TRUE(view);

    const std::optional<QStringList> sources = view->pictureSources();
    ASSERT_TRUE(sources);
    ASSERT_EQ(sources->size(), 2);
    EXPECT_TRUE(sources->at(0).endsWith("/a.png"));
    EXPECT_TRUE(view->setPictureSources({"pictures/a.png", "pictures/b.png"}));
    EXPECT_TRUE(view->setTitle(QString::fromUtf8("Рассылка 📬")));
    EXPECT_TRUE(view->setBackgroundColour("#FFEEDD"));
    EXPECT_EQ(view->queryCommandValue("bold"), "false");

    const std::optional<QString> source = view->htmlSource();
    ASSERT_TRUE(source);
    EXPECT_TRUE(source->contains(QString::fromUtf8("<title>Рассылка 📬</title>"))) << source->toStdString();
    EXPECT_TRUE(source->contains("src=\"pictures/b.png\"")) << source->toStdString();
    EXPECT_TRUE(source->contains("bgcolor=\"#FFEEDD\"", Qt::CaseInsensitive)) << source->toStdString();
    EXPECT_TRUE(view->dirty());
    view->markSaved();
    EXPECT_FALSE(view->dirty());
}

// Commands are sent again too, but run once: a bold toggled twice would be plain again, text typed twice doubled.
TEST_F(HtmlViewLostAnswerTest, CommandsThatChangeThePageRunOnceAndAnswer)
{
    std::unique_ptr<HtmlView> view = readyPage("<html><body><p id=\"p\">one</p></body></html>");
    ASSERT_TRUE(view);
    ASSERT_TRUE(view->runScript("var r = document.createRange(); r.selectNodeContents(document.getElementById('p'));"
                                " getSelection().removeAllRanges(); getSelection().addRange(r); true")
                    .value_or(false).toBool());
    EXPECT_TRUE(view->execCommand("bold"));
    EXPECT_TRUE(view->insertText(QString::fromUtf8("zwei ż")));
    EXPECT_TRUE(view->insertHtml("<i>drei</i>"));
    const std::optional<QString> source = view->htmlSource();
    ASSERT_TRUE(source);
    EXPECT_TRUE(source->contains(QString::fromUtf8("<b>zwei ż<i>drei</i></b>"))) << source->toStdString();
}

}  // namespace
