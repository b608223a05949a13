// The SDL surface behind a Platform::Surface, for the other SDL files of the back end.
#pragma once

#include <SDL.h>

#include <utility>
#include <vector>

#include "platform/surface.h"

namespace Platform {
struct Surface::Impl {
    SDL_Surface* surface = nullptr;
    // Per row, the runs [begin, end) of pixels that are not the key: a keyed copy copies only
    // these. Built on the first keyed copy from the surface, dropped by every write to it.
    std::vector<std::vector<std::pair<int, int>>> runs;
    bool runs_valid = false;
    ~Impl() { SDL_FreeSurface(surface); }
    void Changed() { runs_valid = false; }
};
inline SDL_Surface* Sdl(const Surface& s) { return s.impl()->surface; }
inline constexpr Uint32 Surface_format = SDL_PIXELFORMAT_RGB888;  // 32-bit XRGB
}  // namespace Platform
