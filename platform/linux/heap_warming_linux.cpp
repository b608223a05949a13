// Heap warming on glibc: the thread's arena grown by blocks below the mapping threshold (which the
// media back end holds at 128 KiB), the whole run of them advised onto huge pages and populated with
// one MADV_POPULATE_WRITE, then freed. A block allocated after them keeps the freed run apart from the
// arena's top, which would otherwise take it back and give its pages to the system at once.
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/heap_warming.h"

namespace Platform {

namespace {
constexpr std::size_t Block = 96 * 1024;
constexpr std::uintptr_t Page = 4096;
}  // namespace

Heap_warming::Heap_warming(std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    std::vector<void*> blocks;
    blocks.reserve(bytes / Block + 1);
    std::uintptr_t low = UINTPTR_MAX, high = 0;
    for (std::size_t taken = 0; taken < bytes; taken += Block) {
        void* block = std::malloc(Block);
        if (!block) break;
        blocks.push_back(block);
        const auto at = reinterpret_cast<std::uintptr_t>(block);
        low = std::min(low, at);
        high = std::max(high, at + Block);
    }
    guard_ = std::malloc(64);
    // The blocks follow each other in a fresh arena; where they do not, populating the span between
    // them touches only the arena's own memory, all of it in use or free.
    const std::uintptr_t begin = (low + Page - 1) & ~(Page - 1), end = high & ~(Page - 1);
    if (!blocks.empty() && end > begin && end - begin <= 2 * bytes + Block) {
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
    }
    for (void* block : blocks) std::free(block);
#else
    (void)bytes;
#endif
}

Heap_warming::~Heap_warming() { std::free(guard_); }

}  // namespace Platform
