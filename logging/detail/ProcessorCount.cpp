// Processor count from the C++ runtime.
#include "logging/detail/ProcessorCount.hpp"

#include <thread>

namespace tavrel::logging {

unsigned processorCount() noexcept {
    const unsigned count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : count;
}

} // namespace tavrel::logging
