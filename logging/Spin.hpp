// Brief spinning before a thread sleeps: the logging queues hand work to each other every few
// microseconds, and waking a sleeping thread costs more than that.
#pragma once

#include <chrono>
#include <thread>

namespace tavrel::logging {

/// How long a waiting thread spins before it goes to sleep.
inline constexpr std::chrono::microseconds kSpinBeforeSleep{50};

/// Tells the processor that this is a spin-wait loop.
inline void cpuRelax() noexcept {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

/// Spins while `condition()` holds, for at most `limit`. The clock is read only every few
/// dozen rounds, and between readings a long spin yields the processor to other threads.
/// Returns whether the condition still holds.
template <class Condition>
bool spinWhile(Condition condition, std::chrono::nanoseconds limit = kSpinBeforeSleep) noexcept {
    constexpr int kRoundsPerClockRead = 64;
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        for (int round = 0; round < kRoundsPerClockRead; ++round) {
            if (!condition()) {
                return false;
            }
            cpuRelax();
        }
        if (std::chrono::steady_clock::now() >= until) {
            return condition();
        }
        std::this_thread::yield();
    }
}

} // namespace tavrel::logging
