// Asynchronous host lookup: answered later on the GUI thread; a replaced, cancelled or destroyed lookup's
// answer is dropped. Only "localhost" is looked up, so nothing leaves the machine.

#include "platform/host_lookup.h"

#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QThread>

#include <memory>
#include <vector>

using sorvanta::test::pumpEvents;
using sorvanta::test::waitUntil;

namespace {

TEST(HostLookupTest, AnswersLaterOnTheCallingThread)
{
    HostLookup lookup;
    int error = -1;
    QStringList addresses;
    QThread* thread = nullptr;
    lookup.start(QStringLiteral("localhost"), [&](int e, const QStringList& a) {
        error = e;
        addresses = a;
        thread = QThread::currentThread();
    });
    EXPECT_TRUE(lookup.isPending());
    EXPECT_EQ(error, -1);
    ASSERT_TRUE(waitUntil([&] { return error != -1; }));
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(addresses.contains(QStringLiteral("127.0.0.1"))) << addresses.join(' ').toStdString();
    EXPECT_EQ(addresses.removeDuplicates(), 0);
    EXPECT_EQ(thread, QThread::currentThread());
    EXPECT_FALSE(lookup.isPending());
}

TEST(HostLookupTest, ReplacedCancelledAndDestroyedLookupsStaySilent)
{
    std::vector<int> answers;
    HostLookup replaced;
    replaced.start(QStringLiteral("localhost"), [&](int, const QStringList&) { answers.push_back(1); });
    replaced.start(QStringLiteral("localhost"), [&](int, const QStringList&) { answers.push_back(2); });
    HostLookup cancelled;
    cancelled.start(QStringLiteral("localhost"), [&](int, const QStringList&) { answers.push_back(3); });
    EXPECT_TRUE(cancelled.cancel());
    EXPECT_FALSE(cancelled.cancel());
    auto destroyed = std::make_unique<HostLookup>();
    destroyed->start(QStringLiteral("localhost"), [&](int, const QStringList&) { answers.push_back(4); });
    destroyed.reset();
    ASSERT_TRUE(waitUntil([&] { return !answers.empty(); }));
    pumpEvents(200);
    EXPECT_EQ(answers, std::vector<int>{2});
}

}  // namespace
