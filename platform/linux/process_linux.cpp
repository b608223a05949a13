// Ending the process: the C library's exit, so that stdio buffers are flushed.
#include <cstdio>
#include <cstdlib>

#include "platform/process.h"

namespace Platform {
[[noreturn]] void Exit_process(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}
}  // namespace Platform
