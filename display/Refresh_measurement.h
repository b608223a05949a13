// The refresh measurement's rule, fed one blank-to-blank time at a time, so that frames that are
// shown anyway can measure the refresh instead of the first frame waiting for ten blanks.
#pragma once

// Five attempts of two measurements each; an attempt is stable when its two differ by less than
// 2 ms. The result is the fifth attempt's second measurement, provided any attempt was stable.
class Refresh_measurement {
public:
    enum class State { Measuring, Stable, Unstable };

    // One more blank-to-blank time in ms; the state once the ten measurements are in.
    State Add(double blank_to_blank_ms);
    State Get_state() const { return state_; }
    double Result_ms() const { return last_; }  // meaningful once Stable

private:
    int count_ = 0;
    double first_ = 0, last_ = 0;
    bool any_stable_ = false;
    State state_ = State::Measuring;
};
