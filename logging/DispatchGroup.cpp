// Wait-for-all group.
#include "logging/DispatchGroup.hpp"

#include "logging/Spin.hpp"

namespace tavrel::logging {

void DispatchGroup::enter() noexcept {
    outstanding_.fetch_add(1, std::memory_order_relaxed);
}

void DispatchGroup::leave() noexcept {
    if (outstanding_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        outstanding_.notify_all();
    }
}

bool DispatchGroup::spinFor(std::chrono::nanoseconds limit) const noexcept {
    return !spinWhile([this] { return outstanding_.load(std::memory_order_acquire) != 0; }, limit);
}

void DispatchGroup::wait() noexcept {
    spinWhile([this] { return outstanding_.load(std::memory_order_acquire) != 0; });
    for (std::uint32_t left = outstanding_.load(std::memory_order_acquire); left != 0;
         left = outstanding_.load(std::memory_order_acquire)) {
        outstanding_.wait(left, std::memory_order_acquire);
    }
}

} // namespace tavrel::logging
