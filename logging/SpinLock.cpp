// Spin lock.
#include "logging/SpinLock.hpp"

#include "logging/Spin.hpp"

#include <thread>

namespace tavrel::logging {

void SpinLock::lock() noexcept {
    for (int spins = 0; locked_.exchange(true, std::memory_order_acquire); ++spins) {
        while (locked_.load(std::memory_order_relaxed)) {
            // The holder may have been preempted; give it the processor after a short spin.
            if (++spins > 64) {
                std::this_thread::yield();
            } else {
                cpuRelax();
            }
        }
    }
}

} // namespace tavrel::logging
