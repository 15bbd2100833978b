// Serial queues: order, synchronous turns, and knowing which queue runs the code.
#include "logging/SerialQueue.hpp"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using tavrel::logging::SerialQueue;

TEST(SerialQueue, RunsTasksInSubmissionOrderAndSyncAfterEarlierTasks) {
    SerialQueue queue("test.order");
    std::vector<int> seen; // touched only on the queue
    for (int i = 0; i < 1000; ++i) {
        queue.async([&seen, i] { seen.push_back(i); });
    }
    std::size_t countAtSync = 0;
    queue.sync([&] { countAtSync = seen.size(); });
    EXPECT_EQ(countAtSync, 1000U);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(seen[i], i);
    }
}

TEST(SerialQueue, KnowsWhichQueueRunsTheCode) {
    SerialQueue outer("test.outer");
    SerialQueue inner("test.inner");
    EXPECT_FALSE(outer.isCurrent());
    EXPECT_EQ(SerialQueue::current(), nullptr);

    bool onOuter = false;
    bool onInnerInsideOuter = false;
    bool outerStillCurrentInsideInner = false;
    std::string innermostLabel;
    outer.sync([&] {
        onOuter = outer.isCurrent() && !inner.isCurrent();
        inner.sync([&] {
            onInnerInsideOuter = inner.isCurrent();
            outerStillCurrentInsideInner = outer.isCurrent();
            innermostLabel = SerialQueue::current()->label();
        });
    });
    EXPECT_TRUE(onOuter);
    EXPECT_TRUE(onInnerInsideOuter);
    EXPECT_TRUE(outerStillCurrentInsideInner);
    EXPECT_EQ(innermostLabel, "test.inner");
    EXPECT_EQ(SerialQueue::current(), nullptr);

    std::atomic<bool> asyncOnQueue{false};
    outer.async([&] { asyncOnQueue = outer.isCurrent(); });
    outer.sync([] {});
    EXPECT_TRUE(asyncOnQueue);
}

TEST(SerialQueue, SyncFromTheQueueItselfRunsInlineWithoutDeadlock) {
    SerialQueue queue("test.reentrant");
    int depth = 0;
    queue.sync([&] { queue.sync([&] { queue.sync([&] { depth = 3; }); }); });
    EXPECT_EQ(depth, 3);

    std::atomic<bool> ranInline{false};
    queue.async([&] { queue.sync([&] { ranInline = true; }); });
    queue.sync([] {});
    EXPECT_TRUE(ranInline);
}

TEST(SerialQueue, NeverRunsTwoTasksAtOnceUnderMixedSubmission) {
    SerialQueue queue("test.exclusive");
    std::atomic<int> running{0};
    std::atomic<int> overlaps{0};
    int total = 0; // unguarded on purpose: the queue is the only guard
    auto work = [&] {
        if (running.fetch_add(1) != 0) {
            ++overlaps;
        }
        ++total;
        running.fetch_sub(1);
    };
    std::vector<std::thread> threads;
    threads.reserve(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if ((i + t) % 3 == 0) {
                    queue.sync(work);
                } else {
                    queue.async(work);
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    queue.sync([] {});
    EXPECT_EQ(overlaps.load(), 0);
    int seenTotal = 0;
    queue.sync([&] { seenTotal = total; });
    EXPECT_EQ(seenTotal, 8000);
}

TEST(SerialQueue, SyncPassesExceptionsToTheCallerAndKeepsWorking) {
    SerialQueue queue("test.errors");
    EXPECT_THROW(queue.sync([] { throw std::runtime_error("boom"); }), std::runtime_error);
    // Make the queue busy so the next sync goes through the worker rather than a borrowed turn.
    std::atomic<bool> release{false};
    queue.async([&] {
        while (!release) {
            std::this_thread::yield();
        }
    });
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        release = true;
    });
    EXPECT_THROW(queue.sync([] { throw std::logic_error("queued"); }), std::logic_error);
    releaser.join();
    bool ran = false;
    queue.sync([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(SerialQueue, DestructionRunsWhatIsAlreadyQueued) {
    std::atomic<int> ran{0};
    {
        SerialQueue queue("test.drain");
        for (int i = 0; i < 100; ++i) {
            queue.async([&] { ++ran; });
        }
    }
    EXPECT_EQ(ran.load(), 100);
}
