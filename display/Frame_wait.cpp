// The two-stage wait of a paced frame loop: whole milliseconds on the queue, the rest asleep.
#include "display/Frame_wait.h"

#include <chrono>

#include "display/Frame_pacer.h"
#include "platform/short_sleep.h"
#include "platform/window.h"

void Wait_for_frame(const Frame_pacer& pacer, Platform::Message_queue& queue, double (*now_ms)()) {
    if (const int sleep_ms = pacer.Sleep_ms(now_ms()))
        if (queue.Wait(sleep_ms)) return;  // a message: it is handled before the frame
    // A hair more than what is left, so that the frame is due on return, not equal to its time.
    const double left_ms = pacer.Ms_until_due(now_ms());
    if (left_ms > 0)
        Platform::Sleep_until(std::chrono::steady_clock::now() +
                              std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                  std::chrono::duration<double, std::milli>(left_ms + 0.02)));
}
