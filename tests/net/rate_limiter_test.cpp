// The request spacing on a clock of the test's own: every wait it asks for is seen, none is waited.
#include "net/Rate_limiter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// A clock that moves only when the limiter sleeps or the test says so.
struct Fake_clock {
    double now = 5000;
    std::vector<double> sleeps;
    Rate_limiter::Clock Clock() {
        return {[this] { return now; },
                [this](double ms) {
                    sleeps.push_back(ms);
                    now += ms;
                }};
    }
};
}  // namespace

TEST(Rate_limiter, TheFirstRequestGoesAtOnceAndEachLaterOneAtLeastAnIntervalAfterThePrevious) {
    Fake_clock clock;
    Rate_limiter limiter(1000, clock.Clock());
    limiter.Wait_turn();
    EXPECT_TRUE(clock.sleeps.empty());
    limiter.Wait_turn();
    limiter.Wait_turn();
    EXPECT_EQ(clock.sleeps, (std::vector<double>{1000, 1000}));
    // A request that took 300 ms leaves 700 to wait; one after a long pause waits nothing.
    clock.now += 300;
    limiter.Wait_turn();
    clock.now += 2500;
    limiter.Wait_turn();
    EXPECT_EQ(clock.sleeps, (std::vector<double>{1000, 1000, 700}));
}

TEST(Rate_limiter, ASleepThatEndsEarlyIsFollowedByAnother) {
    Fake_clock clock;
    int sleeps = 0;
    // A sleep interrupted after a quarter of what was asked.
    Rate_limiter limiter(1000, {[&] { return clock.now; },
                                [&](double ms) {
                                    ++sleeps;
                                    clock.now += ms / 4;
                                }});
    limiter.Wait_turn();
    const double first = clock.now;
    limiter.Wait_turn();
    EXPECT_GE(clock.now - first, 1000);
    EXPECT_GT(sleeps, 1);
}

TEST(Rate_limiter, TheMusicBrainzLimiterAllowsOneRequestASecond) {
    Fake_clock clock;
    Music_brainz_limiter().Set_clock(clock.Clock());
    for (int i = 0; i < 4; ++i) Music_brainz_limiter().Wait_turn();
    EXPECT_EQ(clock.sleeps, (std::vector<double>{1000, 1000, 1000}));
    Music_brainz_limiter().Set_clock(Rate_limiter::Steady_clock());
}
