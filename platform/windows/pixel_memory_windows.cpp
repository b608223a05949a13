// Pixel blocks as committed virtual memory: Windows hands out zeroed pages, committed at once.
#include <windows.h>

#include "platform/sdl/pixel_memory.h"

namespace Platform {

void* Take_pixel_block(std::size_t bytes) {
    return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void Give_back_pixel_block(void* block, std::size_t) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace Platform
