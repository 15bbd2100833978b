// The record pool hands out distinct whole blocks, also in a burst beyond what it retains, and
// takes them back from any thread.
#include "logging/detail/RecordPool.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

using tavrel::logging::RecordPool;

TEST(RecordPool, ABurstBeyondWhatIsRetainedGetsDistinctWholeBlocksBackFromAnotherThread) {
    for (int round = 0; round < 2; ++round) { // the second round is served from the pool
        std::vector<void*> taken;
        for (std::size_t index = 0; index < RecordPool::kRetainedBlocks * 2; ++index) {
            void* block = RecordPool::acquire();
            std::fill_n(static_cast<unsigned char*>(block), RecordPool::kBlockSize, 0xAB);
            taken.push_back(block);
        }
        EXPECT_EQ(std::set<void*>(taken.begin(), taken.end()).size(), taken.size()) << round;
        std::thread([&] { std::for_each(taken.begin(), taken.end(), RecordPool::release); }).join();
    }
}
