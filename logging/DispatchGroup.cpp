// Wait-for-all group.
#include "logging/DispatchGroup.hpp"

#include <chrono>

namespace tavrel::logging {

namespace {
constexpr std::chrono::microseconds kSpinBeforeSleep{50};
}

void DispatchGroup::enter() noexcept {
    outstanding_.fetch_add(1, std::memory_order_relaxed);
}

void DispatchGroup::leave() noexcept {
    // The whole leave happens under the lock: a waiter that saw the count reach zero takes the
    // lock once before it returns, so the group may be destroyed right after wait().
    std::lock_guard lock(mutex_);
    if (outstanding_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        allLeft_.notify_all();
    }
}

void DispatchGroup::wait() noexcept {
    const auto spinUntil = std::chrono::steady_clock::now() + kSpinBeforeSleep;
    while (outstanding_.load(std::memory_order_acquire) != 0 &&
           std::chrono::steady_clock::now() < spinUntil) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    std::unique_lock lock(mutex_);
    allLeft_.wait(lock, [this] { return outstanding_.load(std::memory_order_acquire) == 0; });
}

} // namespace tavrel::logging
