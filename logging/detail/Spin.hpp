// Brief spinning before a thread sleeps: the logging queues hand work to each other every few
// microseconds, and waking a sleeping thread costs more than that.
#pragma once

#include <chrono>
#include <thread>

namespace tavrel::logging {

/// How long a waiting thread spins before it goes to sleep.
inline constexpr std::chrono::microseconds kSpinBeforeSleep{50};

/// Spins while `condition()` holds, for at most kSpinBeforeSleep; the caller then sleeps in the
/// kernel. The clock is read every few dozen rounds, and between readings the spinner yields the
/// processor, which the thread it waits for may need. Returns whether the condition still holds.
template <class Condition>
bool spinWhile(Condition condition) noexcept {
    constexpr int kRoundsPerClockRead = 64;
    const auto until = std::chrono::steady_clock::now() + kSpinBeforeSleep;
    for (;;) {
        for (int round = 0; round < kRoundsPerClockRead; ++round) {
            if (!condition()) {
                return false;
            }
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        }
        if (std::chrono::steady_clock::now() >= until) {
            return condition();
        }
        std::this_thread::yield();
    }
}

} // namespace tavrel::logging
