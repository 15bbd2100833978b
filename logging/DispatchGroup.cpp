// Wait-for-all group.
#include "logging/DispatchGroup.hpp"

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
    std::unique_lock lock(mutex_);
    allLeft_.wait(lock, [this] { return outstanding_ == 0; });
}

} // namespace tavrel::logging
