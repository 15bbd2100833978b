// One-shot timers share one thread: they fire in deadline order whatever order they were made
// in, and a cancelled timer or one whose owner is gone does nothing.
#include "logging/detail/OneShotTimer.hpp"

#include "logging/detail/SerialQueue.hpp"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using tavrel::logging::OneShotTimer;
using tavrel::logging::SerialQueue;

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
