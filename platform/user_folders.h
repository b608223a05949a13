// The folders of the user and of the installed program that the jukebox home is made from: where
// per-user data lives, where the user keeps music, and the theme installed with the program.
// Each call reads the environment afresh; any thread.
#pragma once

#include <string>

namespace Platform {

// Where programs keep per-user data: $XDG_DATA_HOME, else $HOME/.local/share; "" when neither is set.
std::string User_data_folder();

// The user's music folder: what `xdg-user-dir MUSIC` names, else $HOME/Music ("" without HOME).
// It may not exist.
std::string User_music_folder();

// The theme pictures installed with the program (<prefix>/share/tavrix/pics beside <prefix>/bin), or
// the painted theme of the build tree when the program runs from there; "" when there is none.
std::string Installed_theme_folder();

}  // namespace Platform
