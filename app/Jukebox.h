// Running the jukebox window: the application's start-up and loop, with an optional input script.
#pragma once

#include <string>

namespace Jukebox {
// Returns the process exit code; a script that cannot be read is reported on stderr with code 2.
int Run(const std::string& script_path);
}  // namespace Jukebox
