// The frame pacing: the first frame at once, the next ones a scan-line-nudged period apart, and the
// sleep before a due frame always leaving the margin to wake in time.
#include "display/Frame_pacer.h"

#include <gtest/gtest.h>

TEST(Frame_pacer, FramesComeAPeriodApartAndTheSleepWakesBeforeTheNext) {
    Frame_pacer pacer;
    const double period = 16.7;
    EXPECT_TRUE(pacer.Due(0.0));
    EXPECT_EQ(pacer.Sleep_ms(0.0), 0);
    pacer.Schedule_next(100.0, period, 0);
    EXPECT_TRUE(pacer.Due(100.5)) << "the pass after the first presents it at once";
    pacer.Schedule_next(100.5, period, 0);  // blank near the top: a step a little shorter than the period
    EXPECT_FALSE(pacer.Due(100.5 + period - 0.2));
    EXPECT_TRUE(pacer.Due(100.5 + period));
    EXPECT_EQ(pacer.Sleep_ms(100.5), 15) << "about 1 ms before the frame is due, in whole ms";
    EXPECT_EQ(pacer.Sleep_ms(100.5 + period - 1.5), 0) << "less than the margin left: no sleep";

    pacer.Schedule_next(200.0, period, 800);  // the present drifted low: the step after the next is longer
    pacer.Schedule_next(200.0, period, 800);
    EXPECT_FALSE(pacer.Due(200.0 + period + 0.4));
    EXPECT_TRUE(pacer.Due(200.0 + period + 0.6));
}
