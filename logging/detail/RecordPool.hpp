// Memory for log records, recycled between the threads that make records and the logging
// thread that ends them. Freeing memory that another thread allocated takes the allocator's
// arena lock, which the two threads would otherwise fight over for every record.
#pragma once

#include <cstddef>

namespace tavrel::logging {

class RecordPool {
public:
    /// Size of every block: one log record.
    static const std::size_t kBlockSize;
    /// Blocks kept for reuse across all threads; a burst beyond that goes back to the allocator.
    static constexpr std::size_t kRetainedBlocks = 4096;

    /// A block of kBlockSize bytes; throws std::bad_alloc when none can be had.
    static void* acquire();
    /// Takes back a block that acquire() gave; any thread may give it back.
    static void release(void* block) noexcept;
};

} // namespace tavrel::logging
