// Value profiles evaluated at chosen clock readings: the three-phase and two-phase plans,
// the linear snap, and held profiles.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "trace/Profile_registry.h"
#include "trace/VxProfile.h"
#include "trace/VxTrace.h"

// Reaches the private evaluation so that values can be checked at exact times.
class VxProfileTestAccess {
public:
    static double At(VxProfile& p, double t) { return p.Value_at(p.t0 + t); }
    static double T(VxProfile& p, int i) { return i == 0 ? p.t0 : i == 1 ? p.t1 : i == 2 ? p.t2 : p.t3; }
    static int Three_phase(VxProfile& p) { return p.three_phase; }
};
using A = VxProfileTestAccess;

TEST(Profile, ThreePhaseMoveAcceleratesCruisesDecelerates) {
    VxProfile p;
    p.Set_preset(2);
    p.Set_position(0);
    p.Set_destination(1200);
    p.Start();
    EXPECT_EQ(A::Three_phase(p), 1);
    EXPECT_NEAR(A::T(p, 1) - A::T(p, 0), 1.0, 1e-9);
    EXPECT_NEAR(A::T(p, 2) - A::T(p, 0), 2.0, 1e-9);
    EXPECT_NEAR(A::T(p, 3) - A::T(p, 0), 3.0, 1e-9);
    EXPECT_NEAR(A::At(p, 0.5), 75.0, 1e-6);
    EXPECT_NEAR(A::At(p, 1.0), 300.0, 1e-6);
    EXPECT_NEAR(A::At(p, 1.5), 600.0, 1e-6);
    EXPECT_NEAR(A::At(p, 2.5), 900.0 + 300.0 - 75.0, 1e-6);
    EXPECT_TRUE(p.Is_moving());
    EXPECT_DOUBLE_EQ(A::At(p, 3.01), 1200.0);
    EXPECT_FALSE(p.Is_moving());
}

TEST(Profile, TwoPhaseMovePassesMidpointAtT1AndDownwardMovesWork) {
    VxProfile p;
    p.Set_position(0);
    p.Set_destination(300);
    p.Start();
    EXPECT_EQ(A::Three_phase(p), 0);
    const double h = std::sqrt(0.5);
    EXPECT_NEAR(A::T(p, 1) - A::T(p, 0), h, 1e-9);
    EXPECT_NEAR(A::At(p, h), 150.0, 1e-6);
    EXPECT_NEAR(A::At(p, 2 * h - 1e-9), 300.0, 1e-4);

    VxProfile down;
    down.Set_position(300);
    down.Set_destination(0);
    down.Start();
    EXPECT_NEAR(A::At(down, h), 150.0, 1e-6);
    EXPECT_DOUBLE_EQ(A::At(down, 2 * h + 0.01), 0.0);
}

TEST(Profile, LinearMoveSnapsToDestinationATenthEarly) {
    VxProfile p;
    p.Set_preset(0);
    p.Set_form(1);
    p.Set_position(100);
    p.Set_destination(0);
    p.Start();
    EXPECT_NEAR(A::At(p, 1.0), 50.0, 1e-6);
    EXPECT_TRUE(p.Is_moving());
    EXPECT_DOUBLE_EQ(A::At(p, 1.9 + 1e-6), 0.0);
    EXPECT_FALSE(p.Is_moving());
    EXPECT_DOUBLE_EQ(A::At(p, 0.0), 100.0);
}

TEST(Profile, HeldProfileReportsPositionAndRegistrySeesRunningProfiles) {
    VxProfile p;
    p.Set_position(42);
    p.Set_destination(1000);
    EXPECT_DOUBLE_EQ(p.Value(), 42.0);
    EXPECT_FALSE(p.Is_moving());

    auto& reg = Profile_registry::Instance();
    reg.Add(&p);
    EXPECT_FALSE(reg.Any_running());
    p.Start();
    p.Value();
    EXPECT_TRUE(reg.Any_running());
    reg.Remove(&p);
    EXPECT_FALSE(reg.Any_running());
}
