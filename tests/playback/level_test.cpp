// The level scale of the player against the media volume in hundredths of a decibel.
#include <gtest/gtest.h>

#include "playback/Audio_level.h"

TEST(AudioLevel, LevelsMapToHundredthsOfADecibelAndBack) {
    EXPECT_EQ(Level_to_volume(100), 0);
    EXPECT_EQ(Level_to_volume(10), -3000);
    EXPECT_EQ(Level_to_volume(1), -6000);
    EXPECT_EQ(Level_to_volume(75), -374);  // truncated, not rounded
    EXPECT_EQ(Level_to_volume(0.0099), -10000);
    EXPECT_EQ(Level_to_volume(0), -10000);
    EXPECT_EQ(Level_to_volume(-5), -10000);
    // Between 0.01 and about 0.046 the formula falls below silence; the volume stays in range.
    EXPECT_EQ(Level_to_volume(0.02), -10000);
    EXPECT_EQ(Level_to_volume(0.01), -10000);
    EXPECT_EQ(Level_to_volume(150), 0);

    EXPECT_DOUBLE_EQ(Volume_to_level(0), 100.0);
    EXPECT_NEAR(Volume_to_level(-3000), 10.0, 1e-9);
    EXPECT_NEAR(Volume_to_level(-10000), 0.0464, 1e-4);  // below the 0.05 that counts as silent
    EXPECT_NEAR(Volume_to_level(Level_to_volume(75)), 75.0, 0.1);
}
