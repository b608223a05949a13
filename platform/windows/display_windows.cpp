// Whether a desktop is there on Windows: a program always runs on one, though under Wine without
// an X server its windows show nowhere; SDL's dummy driver then gives the window a surface in memory.
#include <windows.h>
// The system headers below need the declarations of the ones above.
#include <mmsystem.h>

#include <cstdlib>

#include "platform/screen.h"
#include "platform/sdl/sdl_video.h"

namespace Platform {

bool Display_available() { return true; }

bool Open_display() { return Ensure_video() && !Video_is_headless(); }

void Use_memory_display() {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (!chosen || !*chosen) _putenv_s("SDL_VIDEODRIVER", "dummy");
}

// Windows' sleeps last whole timer ticks (15.6 ms by default); the blank clock needs 1 ms.
// The precision stays asked for until the process ends.
void Backend_video_started() { timeBeginPeriod(1); }

}  // namespace Platform
