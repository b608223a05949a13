// What the SDL event source asks of the key table (platform/sdl/key_table.cpp): the press a
// keyboard key or a controller button makes in the window. Only platform/ includes this.
#pragma once

#include "platform/keys.h"

namespace Platform {
// The key-down and the character the back end posts itself (not the text-input character), by SDL
// key code; a zero virtual key for keys the jukebox does not know.
Key_press Window_press_for_key(int sdl_keycode);
// The same for a game controller button (SDL_GameControllerButton).
Key_press Window_press_for_button(int button);
}  // namespace Platform
