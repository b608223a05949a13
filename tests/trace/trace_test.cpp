// The trace files' exact form, the marker switch, and the clock.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "trace/VxTrace.h"

namespace {
bool g_logging = true;
bool Logging() { return g_logging; }
}  // namespace

TEST(Trace, FilesBeginWithStartLinesAndEveryLineStartsWithLineFeed) {
    TestSupport::Scratch_dir dir;
    VxTrace::Set_logging_switch(&Logging);
    g_logging = true;
    auto& t = VxTrace::Instance();
    t.Enter("DB::Load");
    t.Write("hello");
    t.Write_value("count", 12);
    t.Write_value("level", 0.5);
    t.Leave("DB::Load");
    t.Write_error("Error : boom");
    EXPECT_EQ(TestSupport::Read_file("log.txt"),
              "\nStarting VxTrace \n\n> **(DB::Load)**\nhello\ncount:12\nlevel:0.500000\n< --(DB::Load)--");
    EXPECT_EQ(TestSupport::Read_file("error.txt"), "\nStarting Error VxTrace \n\nError : boom");
}

TEST(Trace, SwitchOffSuppressesOnlyMarkers) {
    TestSupport::Scratch_dir dir;
    VxTrace::Set_logging_switch(&Logging);
    g_logging = false;
    auto& t = VxTrace::Instance();
    {
        VxTraceScope scope("Play_audio");
        t.Write("line");
    }
    g_logging = true;
    { VxTraceScope scope("Quit"); }
    EXPECT_EQ(TestSupport::Read_file("log.txt"), "\nStarting VxTrace \n\nline\n> **(Quit)**\n< --(Quit)--");
}

TEST(Trace, ClockStartsNearZeroAndSecondsAreMilliseconds) {
    double first = VxTrace::Time_ms();
    EXPECT_GE(first, 0.0);
    EXPECT_LT(first, 1000.0);
    double ms = VxTrace::Time_ms();
    double s = VxTrace::Time_s();
    EXPECT_NEAR(s, ms * 0.001, 0.01);
    EXPECT_GE(VxTrace::Time_ms(), ms);
}
