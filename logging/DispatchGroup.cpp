// Wait-for-all group.
#include "logging/DispatchGroup.hpp"

#include "logging/Spin.hpp"

namespace tavrel::logging {

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
    spinWhile([this] { return outstanding_.load(std::memory_order_acquire) != 0; });
    std::unique_lock lock(mutex_);
    allLeft_.wait(lock, [this] { return outstanding_.load(std::memory_order_acquire) == 0; });
}

} // namespace tavrel::logging
