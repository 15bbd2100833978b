// Background queue.
#include "logging/detail/BackgroundQueue.hpp"

namespace tavrel::logging {

SerialQueue& BackgroundQueue::shared() {
    static auto* queue = new SerialQueue("logging.background"); // lives to the end of the process
    return *queue;
}

} // namespace tavrel::logging
