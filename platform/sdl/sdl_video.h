// Shared by the SDL parts of every back end: starting SDL's video once, for the screen
// query, the window, the events and the message boxes. Only platform/ includes this.
#pragma once

#include <string>

namespace Platform {
// Set once video runs: shows a box through SDL (true for OK). Null until then. A back end that
// has boxes of its own may ignore it.
extern bool (*g_sdl_message_box)(const std::string& caption, const std::string& text, bool ok_cancel);

// Starts SDL's video (and event) subsystem on the first call; true when a video driver runs.
// Once it runs, message boxes are shown through SDL.
bool Ensure_video();
// What the back end does once SDL's video runs (Windows asks for 1 ms timer precision, so the
// blank clock's sleeps end on time). Called once, from Ensure_video.
void Backend_video_started();
// True for the drivers that draw into memory only (dummy, offscreen): no real monitor there.
bool Video_is_headless();
}  // namespace Platform
