// Spacing of the requests to one web service: at most one per interval, as its rules ask.
// The clock is replaceable, so tests see every wait without waiting; user-interface thread only.
#pragma once

#include <functional>

class Rate_limiter {
public:
    // What the limiter reads and how it waits: milliseconds on a steady clock, and a sleep.
    struct Clock {
        std::function<double()> now_ms;
        std::function<void(double ms)> sleep_ms;
    };
    static Clock Steady_clock();

    explicit Rate_limiter(double interval_ms, Clock clock = Steady_clock())
        : interval_ms_(interval_ms), clock_(std::move(clock)) {}

    // Blocks until a request may go (the first at once), then counts one as gone.
    void Wait_turn();
    // Replaces the clock and forgets the last request (tests).
    void Set_clock(Clock clock);

private:
    double interval_ms_;
    Clock clock_;
    bool any_ = false;
    double last_ms_ = 0;
};

// MusicBrainz asks for at most one request a second from one program.
Rate_limiter& Music_brainz_limiter();
