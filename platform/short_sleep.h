// Sleeping to a moment a millisecond or two away: the last stretch of a paced frame loop before its
// frame, which the message queue's whole-millisecond waits cannot cover. Linux's timers wake within
// about 0.1 ms of the moment; Windows' are 1 ms at best (timeBeginPeriod), which there could cost the
// frame its blank, so the thread yields the processor until the moment instead.
// Any thread; returns at the moment or after it.
#pragma once

#include <chrono>

namespace Platform {
void Sleep_until(std::chrono::steady_clock::time_point moment);
}  // namespace Platform
