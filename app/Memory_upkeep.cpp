// The once-a-minute hand-back of the heap's free pages, timed on the trace's clock the caller reads.
#include "app/Memory_upkeep.h"

#include "platform/memory.h"

namespace {
constexpr double Period_ms = 60'000;
}

void Give_back_memory_when_due(double now_ms, bool anything_moving) {
    static double last_ms = now_ms;  // the first minute is the start-up's own
    if (anything_moving || now_ms - last_ms < Period_ms) return;
    last_ms = now_ms;
    Platform::Give_back_free_memory();
}
