// The request spacing. A sleep that ends early (a signal) is followed by another, so the spacing
// holds whatever the sleep does; the steady clock never runs back, so a clock change cannot stall it.
#include "net/Rate_limiter.h"

#include <chrono>
#include <cmath>
#include <thread>

Rate_limiter::Clock Rate_limiter::Steady_clock() {
    return {[] {
                return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
                    .count();
            },
            [](double ms) { std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms)); }};
}

void Rate_limiter::Wait_turn() {
    double now = clock_.now_ms();
    if (any_) {
        for (double left = last_ms_ + interval_ms_ - now; left > 0; left = last_ms_ + interval_ms_ - now) {
            // Whole milliseconds: a wait of a fraction each time could go on without end.
            clock_.sleep_ms(std::ceil(left));
            now = clock_.now_ms();
        }
    }
    any_ = true;
    last_ms_ = now;
}

void Rate_limiter::Set_clock(Clock clock) {
    clock_ = std::move(clock);
    any_ = false;
    last_ms_ = 0;
}

Rate_limiter& Music_brainz_limiter() {
    static Rate_limiter limiter(1000);
    return limiter;
}
