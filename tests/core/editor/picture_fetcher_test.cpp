// The web pictures' fetcher against a loopback HTTP server: pictures saved under their own or their type's
// name, redirects followed up to the limit and only to web addresses, and every bound (time-out, announced
// and streamed size, status, text pages, refused connections); several pictures in turn with a name clash,
// and Stop in the middle of one.

#include "core/editor/picture_fetcher.h"
#include "tests/support/closed_port.h"
#include "tests/support/http_test_server.h"
#include "tests/support/resource_meter.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QDir>
#include <functional>

namespace {

using Error = PictureFetcher::Error;
using sorvanta::test::HttpRoute;
using sorvanta::test::HttpTestServer;
using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;

constexpr int kSilentTimeoutMs = 600;

QString folder()
{
    return testHome() + "Mailing";
}

// Runs the fetcher to its end; false when it never finished. The wait outlasts every case's own time-out, so
// that a slow fetch ends with the fetcher's answer, not with the test's.
bool fetchAll(PictureFetcher& fetcher, const QList<QUrl>& addresses)
{
    bool done = false;
    QObject::connect(&fetcher, &PictureFetcher::finished, [&] { done = true; });
    fetcher.start(addresses, folder());
    return sorvanta::test::waitUntil([&] { return done; }, 60000);
}

struct FetchCase {
    const char* name;
    std::function<void(HttpTestServer&)> serve;
    QString path;        // asked of the server
    Error error;
    QString savedName;   // under the picture folder, when saved
    QByteArray bytes;
    QString errorString;   // when not empty: the exact reason
    int timeoutMs = 20000;
};

class PictureFetcherTest : public ::testing::TestWithParam<FetchCase> {};

TEST_P(PictureFetcherTest, SavesOrFailsWithItsReason)
{
    const FetchCase& c = GetParam();
    HttpTestServer server;
    c.serve(server);
    PictureFetcher fetcher;
    fetcher.setTimeout(c.timeoutMs);
    bool finished = false;
    const sorvanta::test::ResourceUse use = sorvanta::test::measureResources(
        [&] { finished = fetchAll(fetcher, {QUrl(server.url(c.path))}); });
    ASSERT_TRUE(finished);
    EXPECT_LT(use.peakGrowthBytes, 64 * sorvanta::test::kMegabyte * sorvanta::test::sanitizerAllowance());
    ASSERT_EQ(fetcher.results().size(), 1);
    const PictureFetcher::Result& result = fetcher.results().first();
    EXPECT_EQ(result.error, c.error) << result.errorString.toStdString();
    EXPECT_EQ(result.address, QUrl(server.url(c.path)));
    if (!c.errorString.isEmpty()) {
        EXPECT_EQ(result.errorString, c.errorString);
    }
    if (c.error != Error::None) {
        EXPECT_TRUE(result.path.isEmpty());
        EXPECT_FALSE(result.errorString.isEmpty());
        EXPECT_TRUE(QDir(folder()).isEmpty()) << "a failed picture leaves no file";
        return;
    }
    EXPECT_EQ(result.path, folder() + "/" + c.savedName);
    EXPECT_EQ(readFileBytes(result.path), c.bytes);
}

const QByteArray kPng("\x89PNG\r\n\x1a\n picture", 17);

INSTANTIATE_TEST_SUITE_P(
    Web, PictureFetcherTest,
    ::testing::Values(
        FetchCase{"saved_under_its_name", [](HttpTestServer& s) { s.route("/img/a.png", HttpRoute::ok("image/png", kPng)); },
                  "/img/a.png", Error::None, "a.png", kPng, {}},
        FetchCase{"name_without_extension_takes_the_type",
                  [](HttpTestServer& s) { s.route("/show?id=3", HttpRoute::ok("image/jpeg; q=1", "jpeg")); },
                  "/show?id=3", Error::None, "show.jpg", "jpeg", {}},
        FetchCase{"percent_encoded_name",
                  [](HttpTestServer& s) { s.route("/caf%C3%A9%20logo.gif", HttpRoute::ok("image/gif", "gif")); },
                  "/caf%C3%A9%20logo.gif", Error::None, u"café logo.gif"_qs, "gif", {}},
        FetchCase{"five_redirects_are_followed",
                  [](HttpTestServer& s) {
                      for (int i = 1; i <= 5; ++i)
                          s.route(QString("/r%1").arg(i), HttpRoute::redirect(i < 5 ? QString("/r%1").arg(i + 1).toLatin1()
                                                                                  : QByteArray("/final.png")));
                      s.route("/final.png", HttpRoute::ok("image/png", kPng));
                  },
                  "/r1", Error::None, "r1.png", kPng, {}},
        FetchCase{"redirect_loop", [](HttpTestServer& s) { s.route("/loop", HttpRoute::redirect("/loop")); }, "/loop",
                  Error::TooManyRedirects, {}, {}, "more than 5 redirects"},
        FetchCase{"redirect_to_a_file",
                  [](HttpTestServer& s) { s.route("/away.png", HttpRoute::redirect("file:///etc/passwd")); }, "/away.png",
                  Error::RedirectNotWeb, {}, {}, {}},
        FetchCase{"not_found", [](HttpTestServer&) {}, "/gone.png", Error::HttpStatus, {}, {}, "HTTP 404 Not Found"},
        FetchCase{"server_error", [](HttpTestServer& s) { s.route("/e.png", HttpRoute::failing(503, "Service Unavailable")); },
                  "/e.png", Error::HttpStatus, {}, {}, "HTTP 503 Service Unavailable"},
        FetchCase{"never_answers",
                  [](HttpTestServer& s) { s.route("/slow.png", HttpRoute::silent()); },
                  "/slow.png", Error::TimedOut, {}, {}, "not fetched within 1 second(s)", kSilentTimeoutMs},
        FetchCase{"announced_too_large",
                  [](HttpTestServer& s) { s.route("/big.png", HttpRoute::stalled(kPng, 30 * 1024 * 1024)); },
                  "/big.png", Error::TooLarge, {}, {}, "30 MB, more than 20 MB"},
        FetchCase{"streamed_too_large",
                  [](HttpTestServer& s) {
                      HttpRoute stream = HttpRoute::ok("image/png", {});
                      stream.kind = HttpRoute::Kind::Stream;
                      stream.streamBytes = 21 * 1024 * 1024;
                      s.route("/endless.png", stream);
                  },
                  "/endless.png", Error::TooLarge, {}, {}, "more than 20 MB"},
        FetchCase{"page_instead_of_picture",
                  [](HttpTestServer& s) { s.route("/login.png", HttpRoute::ok("text/html; charset=utf-8", "<html>")); },
                  "/login.png", Error::NotAPicture, {}, {}, "the server sent a page (text/html), not a picture"},
        FetchCase{"empty_answer", [](HttpTestServer& s) { s.route("/none.png", HttpRoute::ok("image/png", {})); },
                  "/none.png", Error::NotAPicture, {}, {}, "the server sent nothing"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PictureFetcherRunTest, RefusedConnectionIsANetworkError)
{
    PictureFetcher fetcher;
    fetcher.setTimeout(5000);
    ASSERT_TRUE(fetchAll(fetcher, {QUrl(QString("http://127.0.0.1:%1/a.png").arg(sorvanta::test::closedPort()))}));
    EXPECT_EQ(fetcher.results().first().error, Error::Network);
    EXPECT_FALSE(fetcher.results().first().errorString.isEmpty());
}

TEST(PictureFetcherRunTest, FetchesInTurnAndStopEndsTheRest)
{
    HttpTestServer server;
    server.route("/one/a.png", HttpRoute::ok("image/png", "first"));
    server.route("/two/a.png", HttpRoute::ok("image/png", "second"));
    server.route("/again/a.png", HttpRoute::ok("image/png", "first"));
    server.route("/stall.png", HttpRoute::stalled(QByteArray(1000, 'p')));
    server.route("/after.png", HttpRoute::ok("image/png", "never"));
    PictureFetcher fetcher;
    fetcher.setTimeout(20000);
    QList<int> announced;
    QObject::connect(&fetcher, &PictureFetcher::fetching, [&](int index, int count, const QUrl&) {
        EXPECT_EQ(count, 5);
        announced << index;
    });
    bool done = false;
    QObject::connect(&fetcher, &PictureFetcher::finished, [&] { done = true; });
    fetcher.start({QUrl(server.url("/one/a.png")), QUrl(server.url("/two/a.png")), QUrl(server.url("/again/a.png")),
                   QUrl(server.url("/stall.png")), QUrl(server.url("/after.png"))},
                  folder());
    ASSERT_TRUE(sorvanta::test::waitUntil([&] { return server.requests().contains("/stall.png"); }));
    sorvanta::test::pumpEvents(50);   // the first half of the body is in
    fetcher.stop();
    ASSERT_TRUE(sorvanta::test::waitUntil([&] { return done; }));
    EXPECT_FALSE(fetcher.isRunning());
    EXPECT_EQ(announced, QList<int>({0, 1, 2, 3}));
    const QList<PictureFetcher::Result>& results = fetcher.results();
    ASSERT_EQ(results.size(), 5);
    EXPECT_EQ(results[0].path, folder() + "/a.png");
    EXPECT_EQ(results[1].path, folder() + "/a-1.png");   // another picture of the same name
    EXPECT_EQ(results[2].path, folder() + "/a.png");     // the same bytes again: the same file
    EXPECT_EQ(results[3].error, Error::Stopped);
    EXPECT_EQ(results[4].error, Error::Stopped);
    EXPECT_FALSE(server.requests().contains("/after.png"));
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList({"a-1.png", "a.png"}));
    EXPECT_EQ(readFileBytes(folder() + "/a.png"), "first");
    EXPECT_EQ(readFileBytes(folder() + "/a-1.png"), "second");
}

}  // namespace
