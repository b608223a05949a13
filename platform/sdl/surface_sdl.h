// The SDL surface behind a Platform::Surface, for the other SDL files of the back end.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "platform/sdl/pixel_memory.h"
#include "platform/surface.h"

namespace Platform {
struct Surface::Impl {
    SDL_Surface* surface = nullptr;
    // The runs [begin, end) of pixels that are not the key, row after row; row y's are
    // runs[row_start[y]] up to runs[row_start[y + 1]]. A keyed copy copies only these. Built on the
    // first keyed copy from the surface, stale after every write to it and rebuilt in the same two
    // blocks, so a surface redrawn all day holds two allocations of its largest size, not one per row.
    std::vector<std::pair<int, int>> runs;
    std::vector<int> row_start;
    bool runs_valid = false;
    // Pixels in a block of their own (Take_pixel_block: a large surface's, and a loaded bitmap's copy,
    // see Load_bmp), which SDL borrows (SDL_PREALLOC) and this gives back; null when SDL allocated them.
    void* pixel_block = nullptr;
    std::size_t pixel_bytes = 0;
    ~Impl() {
        SDL_FreeSurface(surface);
        Give_back_pixel_block(pixel_block, pixel_bytes);
    }
    void Changed() { runs_valid = false; }
};
inline SDL_Surface* Sdl(const Surface& s) { return s.impl()->surface; }
inline constexpr Uint32 Surface_format = SDL_PIXELFORMAT_RGB888;  // 32-bit XRGB
}  // namespace Platform
