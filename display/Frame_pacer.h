// When the next frame is due: the frame code presents what it composed before and composes the next
// once the due time has come, and the step to the following one is nudged by where the scan line is.
#pragma once

// Plain arithmetic on times in ms from one clock; the user-interface thread owns it (as it owns the frame).
class Frame_pacer {
public:
    // Whether a frame is due at now_ms.
    bool Due(double now_ms) const { return next_ms_ < now_ms; }
    // Called when a due frame is taken: schedules the next one from the period and the scan line read at
    // that moment, so that presents settle just after the blank.
    void Schedule_next(double now_ms, double period_ms, int scan_line);

    // How long a loop with nothing else to do may block before the next frame is due, keeping about 1 ms to
    // wake in time; 0 when that is less than a millisecond. The sleep is whole milliseconds.
    int Sleep_ms(double now_ms) const;
    // The time left until the next frame is due; zero or less when it is due (or none was scheduled).
    double Ms_until_due(double now_ms) const { return next_ms_ < 0 ? 0 : next_ms_ - now_ms; }

private:
    double next_ms_ = -1;  // the first pass is due at once
    double step_ms_ = 0;
};
