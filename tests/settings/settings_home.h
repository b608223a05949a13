// A jukebox home for the settings tests: <scratch>/run is the working folder and <scratch>/music
// the default music folder. Starts run in a child process, so one test can start several times.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace Settings_test {

class Home {
public:
    Home();
    const std::string& Root() const { return scratch_.Path(); }

private:
    TestSupport::Scratch_dir scratch_;
};

// Builds the settings object in a child process (headless) and returns its exit code.
int Start_in_child();

// Lines of dialogs.txt in the working folder ("caption\ttext").
std::vector<std::string> Dialog_lines();

}  // namespace Settings_test
