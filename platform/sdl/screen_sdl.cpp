// The screen size and colour depth on Linux, from SDL's current display mode. When no video
// driver can start, the fixed default of 1024x768x32 stands.
#include <SDL.h>

#include "platform/screen.h"
#include "platform/sdl/sdl_video.h"

namespace Platform {
Screen_info Screen() {
    static const Screen_info info = [] {
        Screen_info s;
        SDL_DisplayMode mode{};
        if (!Ensure_video() || SDL_GetCurrentDisplayMode(0, &mode) != 0) return s;
        if (mode.w > 0 && mode.h > 0) {
            s.width = mode.w;
            s.height = mode.h;
        }
        // Windows counts a 32-bit XRGB screen as 32 bits per pixel; SDL counts its 24 used bits.
        if (mode.format != SDL_PIXELFORMAT_UNKNOWN) s.bits_per_pixel = SDL_BYTESPERPIXEL(mode.format) * 8;
        return s;
    }();
    return info;
}
}  // namespace Platform
