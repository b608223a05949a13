// The keys the jukebox knows, by name: one table in the back end maps keyboard keys, media keys and
// game controller buttons onto the Windows virtual keys and characters the modes act on. The window's
// input and the script's "key NAME" both go through it, so a scripted key is the real mapping.
#pragma once

#include <optional>
#include <string>

namespace Platform {

// One press as the window's messages: WM_KEYDOWN with the virtual key (0: none, a character only),
// then WM_CHAR with the character where one follows (0: none).
struct Key_press {
    unsigned virtual_key = 0;
    unsigned character = 0;
};

// The press a name stands for: a name of the table (Left, Return, BackSpace, space, F1, AudioPlay,
// AudioNext, AudioPrev, PadA, PadB, PadStart, PadUp, PadDown, PadLeft, PadRight, PadLeftShoulder,
// PadRightShoulder, ...) or one printable character as typed ("a", "A", "7", "+"). Empty for an
// unknown name. Any thread.
std::optional<Key_press> Key_named(const std::string& name);

}  // namespace Platform
