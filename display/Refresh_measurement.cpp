// The refresh measurement's attempts: pairs of blank-to-blank times, compared within each pair.
// No clock is read here; the callers say where the times come from.
#include "display/Refresh_measurement.h"

#include <cmath>

namespace {
constexpr int Attempts = 5;
constexpr double Stable_within_ms = 2.0;
}  // namespace

Refresh_measurement::State Refresh_measurement::Add(double blank_to_blank_ms) {
    if (state_ != State::Measuring) return state_;
    if (count_ % 2 == 0) {
        first_ = blank_to_blank_ms;
    } else {
        last_ = blank_to_blank_ms;
        if (std::fabs(first_ - last_) < Stable_within_ms) any_stable_ = true;
    }
    if (++count_ == 2 * Attempts) state_ = any_stable_ ? State::Stable : State::Unstable;
    return state_;
}
