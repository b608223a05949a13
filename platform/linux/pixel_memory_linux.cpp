// Pixel blocks as private anonymous maps, every page in place before the block is handed out. Where
// the kernel has them, a block is laid on huge pages (2 MiB) and populated in one call
// (MADV_POPULATE_WRITE): on a virtual machine each small page populated costs about as much as
// clearing it, and a start-up that fills some 40 MB of pictures spent a fifth of its processor time
// on them. Elsewhere the whole map is populated at once (MAP_POPULATE), one call instead of a trap
// per page at the first write.
#include <sys/mman.h>

#include <cerrno>
#include <cstdint>

#include "platform/sdl/pixel_memory.h"

namespace Platform {

namespace {

constexpr std::size_t Huge_page = 2 * 1024 * 1024;

void* Populated_map(std::size_t bytes) {
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

// A map of bytes starting on a huge-page boundary, so that every whole 2 MiB of it can be one page;
// the slack taken to find the boundary is given back at once. Null when the system has no room.
void* Aligned_map(std::size_t bytes) {
    const std::size_t span = bytes + Huge_page;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + Huge_page - 1) & ~(Huge_page - 1);
    if (aligned > start) munmap(raw, aligned - start);
    const std::uintptr_t end = start + span, used_end = aligned + bytes;
    if (end > used_end) munmap(reinterpret_cast<void*>(used_end), end - used_end);
    return reinterpret_cast<void*>(aligned);
}

}  // namespace

void* Take_pixel_block(std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    if (bytes >= Huge_page) {
        if (void* block = Aligned_map(bytes)) {
            madvise(block, bytes, MADV_HUGEPAGE);  // advice: without huge pages the block is simply smaller pages
            if (madvise(block, bytes, MADV_POPULATE_WRITE) == 0) return block;
            // A kernel before 5.14 does not know the request; a failure to populate is met below as before.
            munmap(block, bytes);
        }
    }
#endif
    return Populated_map(bytes);
}

void Give_back_pixel_block(void* block, std::size_t bytes) {
    if (block) munmap(block, bytes);
}

}  // namespace Platform
