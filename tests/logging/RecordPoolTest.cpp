// The record pool hands blocks ended on one thread back to the threads that make records.
#include "logging/RecordPool.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

using tavrel::logging::RecordPool;

TEST(RecordPool, BlocksEndedOnAnotherThreadAreReusedOnceThatThreadIsDone) {
    // Fewer than the pool retains, more than one thread keeps for itself.
    constexpr std::size_t kBlocks = 1000;
    std::vector<void*> blocks;
    for (std::size_t index = 0; index < kBlocks; ++index) {
        blocks.push_back(RecordPool::acquire());
    }
    const std::set<void*> first(blocks.begin(), blocks.end());
    ASSERT_EQ(first.size(), kBlocks);

    std::thread ender([&] {
        for (void* block : blocks) {
            RecordPool::release(block);
        }
    });
    ender.join();

    std::vector<void*> again;
    for (std::size_t index = 0; index < kBlocks; ++index) {
        again.push_back(RecordPool::acquire());
    }
    // Every block the ending thread gave back, including those its own cache held when it
    // ended, comes back before the allocator is asked for a new one.
    EXPECT_TRUE(std::all_of(again.begin(), again.end(),
                            [&](void* block) { return first.count(block) == 1; }));
    EXPECT_EQ(std::set<void*>(again.begin(), again.end()).size(), kBlocks);
    for (void* block : again) {
        RecordPool::release(block);
    }
}

TEST(RecordPool, ABurstBeyondWhatIsRetainedIsStillServedAndReturned) {
    const std::size_t blocks = RecordPool::kRetainedBlocks * 2;
    std::vector<void*> taken;
    for (std::size_t index = 0; index < blocks; ++index) {
        void* block = RecordPool::acquire();
        ASSERT_NE(block, nullptr);
        // The whole block is writable.
        std::fill_n(static_cast<unsigned char*>(block), RecordPool::kBlockSize, 0xAB);
        taken.push_back(block);
    }
    EXPECT_EQ(std::set<void*>(taken.begin(), taken.end()).size(), blocks);
    for (void* block : taken) {
        RecordPool::release(block);
    }
}
