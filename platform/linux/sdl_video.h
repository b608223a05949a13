// Shared by the SDL parts of the Linux back end: starting SDL's video once, for the screen
// query, the window, the events and the message boxes. Only platform/linux includes this.
#pragma once

namespace Platform {
// Starts SDL's video (and event) subsystem on the first call; true when a video driver runs.
// Once it runs, message boxes are shown through SDL.
bool Ensure_video();
// True for the drivers that draw into memory only (dummy, offscreen): no real monitor there.
bool Video_is_headless();
}  // namespace Platform
