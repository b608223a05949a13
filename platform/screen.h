// The screen the jukebox's window lives on: its size in pixels and its colour depth.
#pragma once

namespace Platform {

struct Screen_info {
    int width = 1024;
    int height = 768;
    int bits_per_pixel = 32;
};

// The primary screen. Before a display back end is up this is a fixed default of 1024x768x32.
Screen_info Screen();

}  // namespace Platform
