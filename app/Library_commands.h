// The command-line entries "--rebuild-library" and "--list": start-up's library steps
// (library/Library_startup.h) without the display, and the listing. UI thread only.
#pragma once

#include <ostream>

namespace Library_commands {

// Shows the progress of long library operations as one updating line on standard error, at most ten
// updates a second; nothing when standard error is no terminal.
void Report_progress_on_stderr();

// "--rebuild-library" and/or "--list": start-up's library steps and a save (rebuild), then the listing
// on out (list). With list alone the library file is only read. Returns the process exit code.
int Run(bool rebuild, bool list, std::ostream& out);

}  // namespace Library_commands
