// Deferred calls: run later in the order queued, never inside the code that queued them, skipped when
// their context object is gone.

#include "platform/deferred_calls.h"

#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

using sorvanta::test::pumpEvents;
using sorvanta::test::waitUntil;

TEST(DeferredCallsTest, RunLaterInOrderAndSkipGoneContexts)
{
    QObject context;
    auto doomed = std::make_unique<QObject>();
    std::vector<int> ran;
    DeferredCalls::post(&context, [&] { ran.push_back(1); });
    DeferredCalls::post(doomed.get(), [&] { ran.push_back(2); });
    DeferredCalls::post(&context, [&] { ran.push_back(3); });
    EXPECT_TRUE(ran.empty()) << "never inside post";
    doomed.reset();
    ASSERT_TRUE(waitUntil([&] { return ran.size() == 2; }));
    pumpEvents(10);
    EXPECT_EQ(ran, (std::vector<int>{1, 3}));
}

// A call queued by a running call runs after it, in a further round, which still comes.
TEST(DeferredCallsTest, CallQueuedByACallRunsInTheNextBatch)
{
    QObject context;
    std::vector<int> ran;
    DeferredCalls::post(&context, [&] {
        ran.push_back(1);
        DeferredCalls::post(&context, [&] { ran.push_back(3); });
        ran.push_back(2);
    });
    ASSERT_TRUE(waitUntil([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

// A chain of calls, each queuing the next, runs to its end in order without keeping other events of the
// loop (here a zero timer) waiting until the chain is over.
TEST(DeferredCallsTest, LongChainRunsWholeAndLetsOtherEventsIn)
{
    QObject context;
    constexpr int kLength = 1000;
    std::vector<int> ran;
    int ranWhenTimerFired = -1;
    std::function<void()> step = [&] {
        ran.push_back(int(ran.size()));
        if (int(ran.size()) < kLength)
            DeferredCalls::post(&context, step);
    };
    DeferredCalls::post(&context, step);
    QTimer::singleShot(0, &context, [&] { ranWhenTimerFired = int(ran.size()); });
    ASSERT_TRUE(waitUntil([&] { return int(ran.size()) == kLength; }));
    for (int i = 0; i < kLength; ++i)
        ASSERT_EQ(ran[size_t(i)], i);
    EXPECT_GE(ranWhenTimerFired, 0);
    EXPECT_LT(ranWhenTimerFired, kLength);
}
