// Volume levels (0..100, per cent of full volume) and the media volume in hundredths of a decibel.
// A level of 10 is -3000, a level of 1 is -6000; the scale is the player's, not acoustic decibels.
#pragma once

// Level to media volume: -10000 below level 0.01, else 3000 x log10(level / 100), truncated,
// and kept inside -10000..0 (levels from 0.01 to about 0.046 would fall below silence).
int Level_to_volume(double level);

// Media volume to level: 100 x 10^(volume / 3000).
double Volume_to_level(int volume);
