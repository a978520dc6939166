#include "engine/call_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "engine/auto_reset_event.h"

using namespace std::chrono_literals;

TEST(CallThread, RunsCallsAndPostsInOrderOnOneThread) {
    CallThread calls;
    auto order = std::make_shared<std::vector<int>>();
    std::thread::id first;
    calls.Post([order, &first] {
        first = std::this_thread::get_id();
        order->push_back(1);
    });
    std::thread::id second;
    ASSERT_TRUE(calls.Call(
        [order, &second] {
            second = std::this_thread::get_id();
            order->push_back(2);
        },
        5s));
    EXPECT_EQ(*order, (std::vector<int>{1, 2}));
    EXPECT_EQ(first, second);
    EXPECT_NE(first, std::this_thread::get_id());
}

// A call that hangs is given up at its limit; later calls are refused at once, and served again
// once it has returned. A call given up before it started never runs.
TEST(CallThread, AHungCallIsGivenUpAndRefusesOthersUntilItReturns) {
    CallThread calls;
    auto release = std::make_shared<std::promise<void>>();
    auto released = std::make_shared<std::shared_future<void>>(release->get_future().share());
    auto started = std::make_shared<std::atomic<bool>>(false);
    EXPECT_FALSE(calls.Call(
        [released, started] {
            started->store(true);
            released->wait();
        },
        50ms));
    EXPECT_TRUE(started->load());
    EXPECT_TRUE(calls.Stuck());

    auto ran = std::make_shared<std::atomic<int>>(0);
    EXPECT_FALSE(calls.Call([ran] { ++*ran; }, 5s));  // refused without waiting for the limit
    release->set_value();
    while (calls.Stuck()) std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(calls.Call([ran] { ++*ran; }, 5s));
    EXPECT_EQ(ran->load(), 1);

    // Queued behind a slow post and given up before it began: it is dropped.
    auto slow = std::make_shared<std::promise<void>>();
    auto slowDone = std::make_shared<std::shared_future<void>>(slow->get_future().share());
    calls.Post([slowDone] { slowDone->wait(); });
    EXPECT_FALSE(calls.Call([ran] { ++*ran; }, 30ms));
    EXPECT_FALSE(calls.Stuck());
    slow->set_value();
    ASSERT_TRUE(calls.Call([] {}, 5s));
    EXPECT_EQ(ran->load(), 1);
}

TEST(CallThread, DestructionRunsWhatWasPostedAndDoesNotWaitForAHungCall) {
    auto ran = std::make_shared<std::atomic<bool>>(false);
    auto never = std::make_shared<std::promise<void>>();
    auto hang = std::make_shared<std::shared_future<void>>(never->get_future().share());
    {
        CallThread calls;
        calls.Post([ran] { ran->store(true); });
        ASSERT_TRUE(calls.Call([] {}, 5s));
        EXPECT_TRUE(ran->load());
        EXPECT_FALSE(calls.Call([hang] { hang->wait(); }, 10ms));
    }  // returns after CallThread::kCloseLimit at most; the hung call keeps its own thread
    never->set_value();
}

// Set() between waits counts once; a Set() from another thread wakes a sleeping waiter.
TEST(AutoResetEvent, ReleasesOneWaitPerSignalAndWakesASleeper) {
    AutoResetEvent event;
    EXPECT_FALSE(event.WaitFor(1ms));
    event.Set();
    event.Set();
    EXPECT_TRUE(event.WaitFor(0ms));
    EXPECT_FALSE(event.WaitFor(1ms));
    event.Set();
    event.Reset();
    EXPECT_FALSE(event.WaitFor(1ms));

    std::atomic<int> woken{0};
    std::thread waiter([&] {
        for (int i = 0; i < 100; ++i)
            if (event.WaitFor(10s)) ++woken;
    });
    for (int i = 0; i < 100; ++i) {
        event.Set();
        while (woken.load() <= i) std::this_thread::yield();
    }
    waiter.join();
    EXPECT_EQ(woken.load(), 100);
}
