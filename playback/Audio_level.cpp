// The two level conversions of the audio player.
#include "playback/Audio_level.h"

#include <algorithm>
#include <cmath>

#include "platform/media.h"

int Level_to_volume(double level) {
    if (!(level >= 0.01)) return Platform::Volume_silence;  // also NaN
    const double volume = 3000.0 * std::log10(level / 100.0);
    return std::clamp(static_cast<int>(volume), Platform::Volume_silence, Platform::Volume_full);
}

double Volume_to_level(int volume) { return 100.0 * std::pow(10.0, volume / 3000.0); }
