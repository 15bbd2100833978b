// One-shot timer. One thread serves every timer of the process: it waits on a condition
// variable until the earliest deadline by the system clock (an absolute CLOCK_REALTIME wait),
// then queues that timer's work, so starting a timer, as every log file roll does, makes no
// thread. The work checks on its queue that the timer was not cancelled meanwhile.
#include "logging/detail/OneShotTimer.hpp"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace tavrel::logging {

namespace {
// The longest delay a timer accepts, in seconds; keeps the sum with the current time finite.
constexpr double kMaximumDelaySeconds = 9223372036.0;
} // namespace

struct OneShotTimer::State {
    SerialQueue* queue = nullptr;
    std::weak_ptr<void> owner;
    std::function<void()> work;
    std::atomic<bool> cancelled{false}; // read on the queue
    // Where the timer waits in the schedule; none once it has fired or was cancelled.
    std::optional<std::multimap<Clock::time_point, std::shared_ptr<State>>::iterator> scheduled;
};

namespace {

class TimerThread {
public:
    using Schedule =
        std::multimap<OneShotTimer::Clock::time_point, std::shared_ptr<OneShotTimer::State>>;

    static TimerThread& shared() {
        static auto* timers = new TimerThread(); // lives, with its thread, to the end
        return *timers;
    }

    void schedule(OneShotTimer::Clock::time_point deadline,
                  const std::shared_ptr<OneShotTimer::State>& state) {
        const std::lock_guard lock(mutex_);
        const auto position = schedule_.emplace(deadline, state);
        state->scheduled = position;
        if (position == schedule_.begin()) {
            wake_.notify_one();
        }
    }

    void cancel(OneShotTimer::State& state) noexcept {
        const std::lock_guard lock(mutex_);
        state.cancelled.store(true, std::memory_order_release);
        if (state.scheduled) {
            schedule_.erase(*state.scheduled);
            state.scheduled.reset();
        }
    }

private:
    TimerThread() : thread_([this] { run(); }) {}

    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (schedule_.empty()) {
                wake_.wait(lock);
                continue;
            }
            const auto first = schedule_.begin();
            // A copy: a cancel while this thread waits takes the entry out of the schedule.
            const OneShotTimer::Clock::time_point deadline = first->first;
            if (OneShotTimer::Clock::now() < deadline) {
                wake_.wait_until(lock, deadline);
                continue;
            }
            std::shared_ptr<OneShotTimer::State> state = std::move(first->second);
            schedule_.erase(first);
            state->scheduled.reset();
            // Queued under the lock: a cancel that has returned has kept the work from here.
            try {
                state->queue->async([state] {
                    if (state->cancelled.load(std::memory_order_acquire) ||
                        state->owner.expired()) {
                        return;
                    }
                    state->work();
                });
            } catch (...) {
                // Out of memory: this firing is lost, as a timer that cannot be queued must be.
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    Schedule schedule_;
    std::thread thread_;
};

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
    state_->queue = &queue;
    state_->owner = std::move(owner);
    state_->work = std::move(work);
    TimerThread::shared().schedule(deadline, state_);
}

void OneShotTimer::cancel() noexcept {
    TimerThread::shared().cancel(*state_);
}

OneShotTimer::~OneShotTimer() {
    cancel();
}

} // namespace tavrel::logging
