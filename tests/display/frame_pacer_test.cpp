// The frame pacing: the first frame at once, the next ones a scan-line-nudged period apart, and the
// sleep before a due frame always leaving the margin to wake in time; the wait of a paced loop.
#include "display/Frame_pacer.h"

#include <gtest/gtest.h>

#include <chrono>

#include "display/Frame_wait.h"
#include "platform/window.h"

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

namespace {
double Steady_ms() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
}  // namespace

// The wait between frames ends with the frame due, past the queue's whole milliseconds (the part a
// loop used to spin through), and ends at once for a message that is already there.
TEST(Frame_wait, EndsWithTheFrameDueOrAtOnceForAMessage) {
    Platform::Message_queue& queue = Platform::Message_queue::Instance();
    queue.Reset();
    for (const double ahead_ms : {0.3, 1.5, 4.2}) {
        Frame_pacer pacer;
        pacer.Schedule_next(Steady_ms(), ahead_ms + 0.1, 0);  // the step: ahead_ms
        pacer.Schedule_next(Steady_ms(), 16.7, 0);            // due ahead_ms from now
        Wait_for_frame(pacer, queue, Steady_ms);
        EXPECT_TRUE(pacer.Due(Steady_ms())) << ahead_ms;
        EXPECT_LE(pacer.Ms_until_due(Steady_ms()), 0) << ahead_ms;
    }

    Frame_pacer far;
    far.Schedule_next(Steady_ms(), 60000.1, 0);
    far.Schedule_next(Steady_ms(), 16.7, 0);  // due a minute from now
    queue.Post(Platform::Message{Platform::WM_NULL, 0, 0});
    Wait_for_frame(far, queue, Steady_ms);
    EXPECT_FALSE(far.Due(Steady_ms()));
    Platform::Message message;
    EXPECT_TRUE(queue.Peek(message)) << "the message waits for the loop";
    queue.Reset();
}
