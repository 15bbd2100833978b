// A wait-for-all group: work items enter before they start and leave when done; wait() returns
// once every entered item has left.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace tavrel::logging {

class DispatchGroup {
public:
    /// Counts one more unfinished item.
    void enter() noexcept;
    /// Marks one item finished; wakes the waiter when it was the last.
    void leave() noexcept;
    /// Returns when no item is unfinished. Spins briefly first, since the items the logging
    /// queue waits for usually end within microseconds.
    void wait() noexcept;
    /// Spins for at most `limit`; true when no item is unfinished by then.
    bool spinFor(std::chrono::nanoseconds limit) const noexcept;

private:
    // One atomic word is the whole state: leaving costs no lock, and a waiter that sleeps waits
    // on the word itself.
    std::atomic<std::uint32_t> outstanding_{0};
};

} // namespace tavrel::logging
