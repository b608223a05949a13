// The screen the jukebox's window lives on: its size in pixels and its colour depth.
#pragma once

namespace Platform {

struct Screen_info {
    int width = 1024;
    int height = 768;
    int bits_per_pixel = 32;
};

// Connects to the display for a window run: false when there is none, because no display is set or
// the one set cannot be reached. Never settles for a driver that draws into memory only (dummy,
// offscreen): those serve headless runs, which do not call this. Fails within a second for a local display.
bool Open_display();

// The desktop's screensaver (and display sleep): held off while the jukebox plays, allowed otherwise.
// Allowed until the first call. UI thread; without a display nothing is held, but the state is kept.
enum class Screensaver { allowed, held_off };
void Set_screensaver(Screensaver state);
Screensaver Screensaver_state();

// True when a desktop is there to show the window: on Linux an X11 or Wayland display is named;
// on Windows there always is one.
bool Display_available();
// Makes the display back end draw into memory only, for runs without a display (unless a video
// driver was chosen in the environment). Before the first window or screen query.
void Use_memory_display();

// The primary screen. Before a display back end is up this is a fixed default of 1024x768x32.
Screen_info Screen();

}  // namespace Platform
