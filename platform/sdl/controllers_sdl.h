// Game controllers on SDL, for the window's event source: every controller SDL's mapping database
// knows is opened when it is plugged in (also those present at start) and closed when it goes.
// UI thread (the thread that pumps SDL's events). Only platform/ includes this.
#pragma once

#include <SDL.h>

#include "platform/keys.h"

namespace Platform {
// Starts SDL's controller subsystem; without it (no joystick support) the jukebox runs on keys alone.
void Start_controllers();
// True when the event was a controller's; press is then the button's key (zero virtual key: nothing to post).
bool Handle_controller_event(const SDL_Event& event, Key_press& press);
}  // namespace Platform
