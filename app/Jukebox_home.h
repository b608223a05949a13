// The jukebox home: which folder it is (--home, the working folder when that is a home's run/, or the
// user's data folder), making a new one, and entering its run/ folder before anything is written.
// Called once from main on the only thread there is then; errors are for stderr (no home, no log).
#pragma once

#include <string>

namespace Jukebox_home {

enum class Origin {
    option,          // --home DIR
    working_folder,  // started in <home>/run
    user_data,       // $XDG_DATA_HOME/tavrix
};

struct Choice {
    std::string folder;  // the home, without a trailing separator
    Origin origin = Origin::user_data;
};

// True for a folder named "run" that holds the settings file or whose parent holds pics/ or music/.
bool Is_run_folder(const std::string& folder);
// True for a folder that holds run/.
bool Is_home(const std::string& folder);

// The search in its order; false with a reason when no home can be named (no HOME, no XDG_DATA_HOME).
bool Find(const std::string& option_home, Choice& choice, std::string& error);

// Whether the start needs the theme pictures: the window does, the library commands do not.
enum class Theme { needed, not_needed };

// Makes the home when it is new (run/, covers/, files/, pics linked to the installed theme, the user's
// music folder for the first settings), checks that run/ can be written and makes it the working folder.
// A folder that exists, is not a home and is not empty is refused and left untouched. False with a
// reason; notes (a repaired pictures link) go to stderr.
bool Enter(const Choice& choice, Theme theme, std::string& error);

}  // namespace Jukebox_home
