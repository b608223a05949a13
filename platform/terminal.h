// Whether the program's standard error is a terminal: progress lines that rewrite themselves are for
// a person watching, not for a log file or a pipe. Any thread.
#pragma once

namespace Platform {
bool Stderr_is_terminal();
}  // namespace Platform
