// A lock for critical sections of a few instructions, such as a push onto a queue: taking it
// never puts the thread to sleep, and it yields the processor when the holder seems preempted.
#pragma once

#include <atomic>

namespace tavrel::logging {

class SpinLock {
public:
    void lock() noexcept;
    void unlock() noexcept { locked_.store(false, std::memory_order_release); }

private:
    std::atomic<bool> locked_{false};
};

} // namespace tavrel::logging
