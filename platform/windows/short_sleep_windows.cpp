// A short sleep on Windows: yielding until the moment, as the frame loop waited before; a timed wait
// there would wake on the next 1 ms tick or later.
#include <thread>

#include "platform/short_sleep.h"

namespace Platform {
void Sleep_until(std::chrono::steady_clock::time_point moment) {
    while (std::chrono::steady_clock::now() < moment) std::this_thread::yield();
}
}  // namespace Platform
