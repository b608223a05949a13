// A short sleep on Linux: the kernel's high-resolution timers.
#include <thread>

#include "platform/short_sleep.h"

namespace Platform {
void Sleep_until(std::chrono::steady_clock::time_point moment) { std::this_thread::sleep_until(moment); }
}  // namespace Platform
