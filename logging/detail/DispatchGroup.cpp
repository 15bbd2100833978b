// Wait-for-all group.
#include "logging/detail/DispatchGroup.hpp"

#include "logging/detail/Spin.hpp"

namespace tavrel::logging {

void DispatchGroup::enter() {
    const std::lock_guard lock(mutex_);
    ++outstanding_;
}

void DispatchGroup::leave() {
    const std::lock_guard lock(mutex_);
    if (--outstanding_ == 0) {
        // Under the lock: the waiter may end the group as soon as it sees none outstanding.
        allLeft_.notify_all();
    }
}

void DispatchGroup::wait() {
    spinWhile([this] { return outstanding_.load(std::memory_order_acquire) != 0; });
    // Taken even when the spin saw none outstanding: the last item may not have let go of the
    // lock yet, and the group may end as soon as this returns.
    std::unique_lock lock(mutex_);
    allLeft_.wait(lock, [this] { return outstanding_ == 0; });
}

} // namespace tavrel::logging
