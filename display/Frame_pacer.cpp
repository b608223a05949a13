// The pacing rule of the frames: a step a little shorter than the period while the blank is near the top
// of the screen, a little longer once it drifted down, so the present locks onto the blank.
#include "display/Frame_pacer.h"

#include <cmath>

namespace {
constexpr double Wake_margin_ms = 1.0;
}  // namespace

void Frame_pacer::Schedule_next(double now_ms, double period_ms, int scan_line) {
    // The first pass has no step yet, so the one after it is due at once and presents the first frame.
    next_ms_ = now_ms + step_ms_;
    if (scan_line < 150)
        step_ms_ = period_ms - 0.1;
    else if (scan_line < 400)
        step_ms_ = period_ms - 1.0;
    else if (scan_line <= 700)
        step_ms_ = period_ms + 1.5;
    else
        step_ms_ = period_ms + 0.5;
}

int Frame_pacer::Sleep_ms(double now_ms) const {
    if (next_ms_ < 0) return 0;
    const double left = next_ms_ - now_ms - Wake_margin_ms;
    return left < 1.0 ? 0 : static_cast<int>(std::floor(left));
}
