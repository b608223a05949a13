// The terminal question for every back end: the C runtime answers it on each of them.
// Windows spells the call with an underscore.
#include "platform/terminal.h"

#include <cstdio>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Platform {
bool Stderr_is_terminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}
}  // namespace Platform
