// A one-shot timer on the wall clock whose work runs on a serial queue.
#pragma once

#include "logging/detail/SerialQueue.hpp"

#include <chrono>
#include <functional>
#include <memory>

namespace tavrel::logging {

class OneShotTimer {
public:
    using Clock = std::chrono::system_clock;

    /// Starts a timer that, at `deadline` on the wall clock (a clock set forward or back moves
    /// it), queues `work` on `queue` when `owner` still exists and the timer was not cancelled
    /// by then. The queue must outlive the timer.
    OneShotTimer(SerialQueue& queue, Clock::time_point deadline, std::weak_ptr<void> owner,
                 std::function<void()> work);

    /// The deadline `delaySeconds` from now, with the delay capped so that it stays finite.
    static Clock::time_point deadlineAfter(double delaySeconds) noexcept;

    /// Stops the timer: when it returns from the timer's queue, the work never runs; from
    /// elsewhere, work already queued may still run. Safe to call more than once.
    void cancel() noexcept;
    /// Cancels.
    ~OneShotTimer();

    OneShotTimer(const OneShotTimer&) = delete;
    OneShotTimer& operator=(const OneShotTimer&) = delete;

    /// What the timer thread keeps of one timer; opaque to callers.
    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace tavrel::logging
