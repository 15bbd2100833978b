// One-shot timer: a thread waits on a condition variable until the deadline by the system
// clock (an absolute CLOCK_REALTIME wait), then queues the work. The work checks on its queue
// that the timer was not cancelled meanwhile.
#include "logging/OneShotTimer.hpp"

#include <algorithm>

namespace tavrel::logging {

namespace {
// The longest delay a timer accepts, in seconds; keeps the sum with the current time finite.
constexpr double kMaximumDelaySeconds = 9223372036.0;
} // namespace

OneShotTimer::Clock::time_point OneShotTimer::deadlineAfter(double delaySeconds) noexcept {
    using namespace std::chrono;
    const auto now = Clock::now();
    // The clock's range ends near the year 2262; stay a day short of it.
    const double room = duration<double>(Clock::time_point::max() - now - hours(24)).count();
    const double delay = std::clamp(delaySeconds, 0.0, std::min(kMaximumDelaySeconds, room));
    return now + duration_cast<Clock::duration>(duration<double>(delay));
}

OneShotTimer::OneShotTimer(SerialQueue& queue, Clock::time_point deadline,
                           std::weak_ptr<void> owner, std::function<void()> work)
    : state_(std::make_shared<State>()) {
    thread_ = std::thread([state = state_, &queue, deadline, owner = std::move(owner),
                           work = std::move(work)]() mutable {
        {
            std::unique_lock lock(state->mutex);
            while (!state->cancelled && Clock::now() < deadline) {
                state->wake.wait_until(lock, deadline);
            }
            if (state->cancelled) {
                return;
            }
        }
        queue.async([state, owner = std::move(owner), work = std::move(work)] {
            {
                std::lock_guard lock(state->mutex);
                if (state->cancelled) {
                    return;
                }
            }
            if (owner.expired()) {
                return;
            }
            work();
        });
    });
}

void OneShotTimer::cancel() noexcept {
    {
        std::lock_guard lock(state_->mutex);
        state_->cancelled = true;
    }
    state_->wake.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

OneShotTimer::~OneShotTimer() {
    cancel();
}

} // namespace tavrel::logging
