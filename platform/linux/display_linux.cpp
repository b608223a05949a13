// The display on Linux: whether an X11 or Wayland display is named, connecting to it for a window
// run, and SDL's dummy driver, which gives the window a surface in memory when there is none.
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/screen.h"
#include "platform/sdl/sdl_video.h"

namespace Platform {

bool Display_available() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

void Use_memory_display() { setenv("SDL_VIDEODRIVER", "dummy", 0); }

bool Open_display() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const bool memory_driver = driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
    if (memory_driver || (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !(driver && *driver))) return false;
    // An X display alone: only X is tried, so a display that cannot be reached is not followed by
    // attempts at every other driver.
    if (set("DISPLAY") && !set("WAYLAND_DISPLAY") && !(driver && *driver)) setenv("SDL_VIDEODRIVER", "x11", 0);
    if (!Ensure_video()) return false;
    if (Video_is_headless()) {
        // SDL fell back to drawing into memory: a window nobody sees, which is no display.
        SDL_VideoQuit();
        return false;
    }
    return true;
}

// Linux sleeps are precise already.
void Backend_video_started() {}

}  // namespace Platform
