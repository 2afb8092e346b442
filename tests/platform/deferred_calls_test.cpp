// Deferred calls: run later in the order queued, never inside the code that queued them, skipped when
// their context object is gone.

#include "platform/deferred_calls.h"

#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

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

// A call queued by a running call goes to the next batch, which still comes.
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
