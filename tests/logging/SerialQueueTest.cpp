// Serial queues: order, one task at a time, synchronous turns, failures, and knowing which
// queue runs the code. One-shot timers on them share one thread: they fire in deadline order
// whatever order they were made in, and a cancelled timer or one whose owner is gone does nothing.
#include "logging/detail/SerialQueue.hpp"

#include "logging/detail/OneShotTimer.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using tavrel::logging::OneShotTimer;
using tavrel::logging::SerialQueue;

TEST(SerialQueue, RunsTasksOneAtATimeInSubmissionOrderAndSyncAfterEarlierTasks) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 2000;
    std::atomic<int> running{0};
    std::atomic<int> overlaps{0};
    std::vector<std::vector<int>> seen(kThreads); // unguarded on purpose: the queue is the guard
    std::atomic<int> syncsThatMissedEarlierTasks{0};
    {
        SerialQueue queue("test.order");
        std::vector<std::thread> threads;
        threads.reserve(kThreads);
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (int i = 0; i < kPerThread; ++i) {
                    auto work = [&, t, i] {
                        if (running.fetch_add(1) != 0) {
                            ++overlaps;
                        }
                        seen[t].push_back(i);
                        running.fetch_sub(1);
                    };
                    if (i % 3 != 0) {
                        queue.async(work);
                        continue;
                    }
                    queue.sync(work);
                    // Whether inline or queued, the sync ran after this thread's earlier tasks.
                    if (seen[t].size() != static_cast<std::size_t>(i) + 1) {
                        ++syncsThatMissedEarlierTasks;
                    }
                }
            });
        }
        for (auto& thread : threads) {
            thread.join();
        }
        // The last tasks are still queued: ending the queue runs them first.
    }
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(syncsThatMissedEarlierTasks.load(), 0);
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(seen[t].size(), static_cast<std::size_t>(kPerThread)) << "thread " << t;
        for (int i = 0; i < kPerThread; ++i) {
            ASSERT_EQ(seen[t][i], i) << "thread " << t;
        }
    }
}

TEST(SerialQueue, KnowsWhichQueuesRunTheCodeAndSyncsOnItselfInline) {
    SerialQueue outer("test.outer");
    SerialQueue inner("test.inner");
    EXPECT_FALSE(outer.isCurrent());
    EXPECT_EQ(SerialQueue::current(), nullptr);

    // The queues the code runs on, then the innermost one's label.
    const auto where = [&] {
        return std::string(outer.isCurrent() ? "outer " : "") +
               (inner.isCurrent() ? "inner " : "") + SerialQueue::current()->label();
    };
    std::string onOuter;
    std::string onInnerFromOuter;
    std::string onOuterAgain;
    std::atomic<bool> done{false};
    // From the outer worker; the inner queue is kept busy so that its sync is queued and runs
    // on the inner worker, which must still count the outer queue as current.
    inner.async([] { std::this_thread::sleep_for(20ms); });
    outer.async([&] {
        onOuter = where();
        inner.sync([&] {
            onInnerFromOuter = where();
            outer.sync([&] { outer.sync([&] { onOuterAgain = where(); }); });
        });
        done = true;
    });
    outer.sync([] {});
    EXPECT_TRUE(done);
    EXPECT_EQ(onOuter, "outer test.outer");
    EXPECT_EQ(onInnerFromOuter, "outer inner test.inner");
    // A sync on a queue the code already runs on runs inline instead of waiting on itself.
    EXPECT_EQ(onOuterAgain, "outer inner test.inner");
    EXPECT_EQ(SerialQueue::current(), nullptr);
}

TEST(SerialQueue, AFailingTaskLeavesTheQueueWorkingAndASyncOneFailsItsCaller) {
    SerialQueue queue("test.errors");
    queue.async([] { throw std::runtime_error("lost"); });
    queue.async([] { throw 42; });
    // On an idle queue (a turn on this thread) and on a busy one (queued for the worker).
    EXPECT_THROW(queue.sync([] { throw std::runtime_error("idle"); }), std::runtime_error);
    queue.async([] { std::this_thread::sleep_for(20ms); });
    EXPECT_THROW(queue.sync([] { throw std::logic_error("busy"); }), std::logic_error);
    std::atomic<bool> ran{false};
    queue.async([&] { ran = true; });
    queue.sync([] {});
    EXPECT_TRUE(ran);
}

TEST(OneShotTimer, TimersFireInDeadlineOrderAndCancelledOrOrphanedOnesDoNothing) {
    SerialQueue queue("test.timers");
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> fired;
    OneShotTimer::Clock::time_point firstFiredAt;
    const auto note = [&](const std::string& name) {
        return [&, name] {
            const std::lock_guard lock(mutex);
            if (fired.empty()) {
                firstFiredAt = OneShotTimer::Clock::now();
            }
            fired.push_back(name);
            changed.notify_all();
        };
    };
    auto owner = std::make_shared<int>(0);
    auto orphanOwner = std::make_shared<int>(0);
    // The timer thread first waits for a distant deadline; each later timer is due before the
    // ones already waiting, so the thread must wake for it.
    OneShotTimer distant(queue, OneShotTimer::Clock::now() + 1h, owner, note("distant"));
    std::this_thread::sleep_for(50ms);
    const auto now = OneShotTimer::Clock::now();
    OneShotTimer last(queue, now + 2s, owner, note("last"));
    OneShotTimer cancelled(queue, now + 300ms, owner, note("cancelled"));
    OneShotTimer orphaned(queue, now + 250ms, orphanOwner, note("orphaned"));
    OneShotTimer middle(queue, now + 200ms, owner, note("200"));
    OneShotTimer first(queue, now + 100ms, owner, note("100"));
    cancelled.cancel();
    orphanOwner.reset();

    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 10s, [&] { return fired.size() >= 3; }));
    EXPECT_GE(OneShotTimer::Clock::now(), now + 2s);
    EXPECT_EQ(fired, (std::vector<std::string>{"100", "200", "last"}));
    // Not held back until the deadline that was first when it was made, seconds later.
    EXPECT_LT(firstFiredAt, now + 2s);
}

TEST(OneShotTimer, DeadlinesAreCappedToStayFinite) {
    const auto now = OneShotTimer::Clock::now();
    const auto past = OneShotTimer::deadlineAfter(-5.0);
    EXPECT_GE(past, now);
    EXPECT_LE(past, OneShotTimer::Clock::now());
    const auto far = OneShotTimer::deadlineAfter(1e300);
    EXPECT_GT(far, now + std::chrono::hours(24 * 365 * 200));
    EXPECT_LT(far, OneShotTimer::Clock::time_point::max());
}
