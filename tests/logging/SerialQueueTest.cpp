// Serial queues: order, one task at a time, synchronous turns, failures, and knowing which
// queue runs the code.
#include "logging/detail/SerialQueue.hpp"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
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
    std::vector<std::string> places;
    // From the outer worker; the inner queue is kept busy so that its sync is queued and runs
    // on the inner worker, which must still count the outer queue as current. A sync on a queue
    // the code already runs on runs inline instead of waiting on itself.
    inner.async([] { std::this_thread::sleep_for(20ms); });
    outer.async([&] {
        places.push_back(where());
        inner.sync([&] {
            places.push_back(where());
            outer.sync([&] { outer.sync([&] { places.push_back(where()); }); });
        });
    });
    outer.sync([] {});
    EXPECT_EQ(places, (std::vector<std::string>{"outer test.outer", "outer inner test.inner",
                                                "outer inner test.inner"}));
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
