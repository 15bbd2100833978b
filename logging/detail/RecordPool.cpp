// Record pool: each thread keeps a small cache of blocks and trades them with a shared stack in
// batches, so that the shared lock is taken once per batch, not once per record.
#include "logging/detail/RecordPool.hpp"

#include "logging/LogMessage.hpp"

#include <algorithm>
#include <array>
#include <mutex>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace tavrel::logging {

const std::size_t RecordPool::kBlockSize = sizeof(LogMessage);

namespace {

static_assert(alignof(LogMessage) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

// A block waiting in the pool is poisoned, so that the address sanitizer still reports a record
// used after its end.
void setWaiting(void* block, bool waiting) noexcept {
#if defined(__SANITIZE_ADDRESS__)
    if (waiting) {
        ASAN_POISON_MEMORY_REGION(block, RecordPool::kBlockSize);
    } else {
        ASAN_UNPOISON_MEMORY_REGION(block, RecordPool::kBlockSize);
    }
#else
    (void)block;
    (void)waiting;
#endif
}

void freeBlock(void* block) noexcept {
    setWaiting(block, false);
    ::operator delete(block);
}

struct SharedBlocks {
    std::mutex lock;
    std::vector<void*> blocks;
    SharedBlocks() { blocks.reserve(RecordPool::kRetainedBlocks); }
};

SharedBlocks& sharedBlocks() {
    static auto* shared = new SharedBlocks(); // lives to the end of the process
    return *shared;
}

// The calling thread's blocks. The most recently released blocks are handed out first: they are
// the likeliest to be in this processor's caches.
class ThreadCache {
public:
    ThreadCache();
    ~ThreadCache();
    ThreadCache(const ThreadCache&) = delete;
    ThreadCache& operator=(const ThreadCache&) = delete;

    void* take() noexcept {
        if (count_ == 0) {
            refill();
        }
        return count_ == 0 ? nullptr : blocks_[--count_];
    }

    void keep(void* block) noexcept {
        if (count_ == kCapacity) {
            giveBack(kBatch);
        }
        blocks_[count_++] = block;
    }

private:
    static constexpr std::size_t kCapacity = 64;
    static constexpr std::size_t kBatch = 32;

    void refill() noexcept {
        SharedBlocks& shared = sharedBlocks();
        const std::lock_guard lock(shared.lock);
        const std::size_t taken = std::min(kBatch, shared.blocks.size());
        std::copy(shared.blocks.end() - static_cast<std::ptrdiff_t>(taken), shared.blocks.end(),
                  blocks_.begin());
        shared.blocks.resize(shared.blocks.size() - taken);
        count_ = taken;
    }

    // Gives the `count` oldest blocks to the shared stack, or to the allocator when it is full.
    void giveBack(std::size_t count) noexcept {
        SharedBlocks& shared = sharedBlocks();
        std::size_t kept = 0;
        {
            const std::lock_guard lock(shared.lock);
            kept = std::min(count, RecordPool::kRetainedBlocks - shared.blocks.size());
            shared.blocks.insert(shared.blocks.end(), blocks_.begin(),
                                 blocks_.begin() + static_cast<std::ptrdiff_t>(kept));
        }
        for (std::size_t index = kept; index < count; ++index) {
            freeBlock(blocks_[index]);
        }
        std::copy(blocks_.begin() + static_cast<std::ptrdiff_t>(count),
                  blocks_.begin() + static_cast<std::ptrdiff_t>(count_), blocks_.begin());
        count_ -= count;
    }

    std::array<void*, kCapacity> blocks_{};
    std::size_t count_ = 0;
};

// A thread's cache is gone once its destructor has run at thread exit; records that thread
// makes or ends after that go straight to the allocator.
enum class CacheState : unsigned char { unmade, alive, gone };
thread_local CacheState tCacheState = CacheState::unmade; // NOLINT: per-thread state

ThreadCache::ThreadCache() {
    tCacheState = CacheState::alive;
}

ThreadCache::~ThreadCache() {
    giveBack(count_);
    tCacheState = CacheState::gone;
}

ThreadCache* threadCache() noexcept {
    if (tCacheState == CacheState::gone) {
        return nullptr;
    }
    thread_local ThreadCache cache;
    return &cache;
}

} // namespace

void* RecordPool::acquire() {
    ThreadCache* cache = threadCache();
    void* block = cache != nullptr ? cache->take() : nullptr;
    if (block == nullptr) {
        return ::operator new(kBlockSize);
    }
    setWaiting(block, false);
    return block;
}

void RecordPool::release(void* block) noexcept {
    if (block == nullptr) {
        return;
    }
    ThreadCache* cache = threadCache();
    if (cache == nullptr) {
        ::operator delete(block);
        return;
    }
    setWaiting(block, true);
    cache->keep(block);
}

} // namespace tavrel::logging
