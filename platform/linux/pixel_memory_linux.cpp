// Pixel blocks as private anonymous maps populated at once (MAP_POPULATE): the kernel clears and
// maps every page in the one call instead of one trap per page at the first write.
#include <sys/mman.h>

#include "platform/sdl/pixel_memory.h"

namespace Platform {

void* Take_pixel_block(std::size_t bytes) {
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

void Give_back_pixel_block(void* block, std::size_t bytes) {
    if (block) munmap(block, bytes);
}

}  // namespace Platform
