// Heap warming: a burst of small allocations made while it lasts finds its memory in place (far fewer
// page faults than the same burst without it, each burst on a fresh thread), and the blocks hold what
// is written into them.
#include "platform/heap_warming.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#include <sys/resource.h>

namespace {

constexpr std::size_t Blocks = 60000, Block_bytes = 120;

// The calling thread's minor page faults while it makes the burst (and, when warm, warms first).
long Faults_of_burst(bool warm, bool& contents_kept) {
    long faults = -1;
    std::thread([&] {
        rusage before{}, after{};
        getrusage(RUSAGE_THREAD, &before);
        std::vector<std::unique_ptr<char[]>> blocks;
        blocks.reserve(Blocks);
        {
            std::unique_ptr<Platform::Heap_warming> warming;
            if (warm) warming = std::make_unique<Platform::Heap_warming>(Blocks * (Block_bytes + 16));
            for (std::size_t i = 0; i < Blocks; ++i) {
                blocks.emplace_back(new char[Block_bytes]);
                std::memset(blocks.back().get(), static_cast<int>(i & 0x7F), Block_bytes);
            }
        }
        getrusage(RUSAGE_THREAD, &after);
        faults = after.ru_minflt - before.ru_minflt;
        contents_kept = true;
        for (std::size_t i = 0; i < Blocks; ++i)
            if (blocks[i][0] != static_cast<char>(i & 0x7F) ||
                blocks[i][Block_bytes - 1] != static_cast<char>(i & 0x7F))
                contents_kept = false;
    }).join();
    return faults;
}

}  // namespace

TEST(Heap_warming, ABurstOfSmallAllocationsFindsItsMemoryInPlace) {
#ifndef MADV_POPULATE_WRITE
    GTEST_SKIP() << "the system headers know no MADV_POPULATE_WRITE";
#else
    bool cold_kept = false, warm_kept = false;
    const long cold = Faults_of_burst(false, cold_kept);
    const long warm = Faults_of_burst(true, warm_kept);
    EXPECT_TRUE(cold_kept);
    EXPECT_TRUE(warm_kept);
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer brings its own allocator, whose blocks lie apart with guard zones between them: the
    // warming lays out glibc's arena, so only the contents are this build's question.
    GTEST_SKIP() << "the address sanitizer's allocator is not the one the warming lays memory out for";
#endif
    if (cold < 1000) GTEST_SKIP() << "the burst made only " << cold << " page faults without warming";
    EXPECT_LT(warm, cold / 4) << "cold " << cold << ", warm " << warm;
#endif
}
#endif
