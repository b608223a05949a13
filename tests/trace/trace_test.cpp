// The trace files' exact form, where they live whichever thread writes first, the buffering
// (nothing lost on exit, on a crash, or when nobody flushes), the rotation, the marker switch and the clock.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "platform/process.h"
#include "tests/support/child_process.h"
#include "tests/support/test_support.h"
#include "trace/VxTrace.h"

namespace {
bool g_logging = true;
bool Logging() { return g_logging; }

// Polls until the file holds the text or ten seconds passed; the flusher has no deadline to meet here.
bool Eventually_holds(const std::string& file, const std::string& text) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < give_up) {
        if (TestSupport::Read_file(file).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Under AddressSanitizer the handler before ours is the sanitizer's: ours writes the lines and hands the
// signal on, and the sanitizer reports it and ends the process with an exit code instead of the signal.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitizer_ends_crashes = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool Sanitizer_ends_crashes = true;
#else
constexpr bool Sanitizer_ends_crashes = false;
#endif
#else
constexpr bool Sanitizer_ends_crashes = false;
#endif

// The crashes a child dies of: the fatal signals on Linux; on Windows an access violation (a
// structured exception) and abort, the two ways a Windows program crashes.
#ifdef _WIN32
constexpr int Access_violation = -1;
const int Crashes[] = {Access_violation, SIGABRT};
void Crash(int how) {
    if (how == Access_violation) *static_cast<volatile int*>(nullptr) = 1;
    std::abort();
}
#else
const int Crashes[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE};
void Crash(int how) { std::raise(how); }
#endif
}  // namespace

TEST(Trace, FilesBeginWithTwoLineFeedsAndEveryLineStartsWithOne) {
    TestSupport::Scratch_dir dir;
    VxTrace::Set_logging_switch(&Logging);
    g_logging = true;
    TestSupport::Open_trace_here();
    auto& t = VxTrace::Instance();
    t.Enter("DB::Load");
    t.Write("hello");
    t.Write_value("count", 12);
    t.Write_value("level", 0.5);
    t.Leave("DB::Load");
    t.Write_error("Error : boom");
    EXPECT_EQ(TestSupport::Read_trace("log.txt"),
              "\n\nStarting VxTrace \n\n> **(DB::Load)**\nhello\ncount:12\nlevel:0.500000\n< --(DB::Load)--");
    // An error line reaches its file without anybody flushing.
    EXPECT_EQ(TestSupport::Read_file("error.txt"), "\n\nStarting Error VxTrace \n\nError : boom");
}

TEST(Trace, SwitchOffSuppressesOnlyMarkers) {
    TestSupport::Scratch_dir dir;
    TestSupport::Open_trace_here();
    VxTrace::Set_logging_switch(&Logging);
    g_logging = false;
    auto& t = VxTrace::Instance();
    {
        VxTraceScope scope("Play_audio");
        t.Write("line");
    }
    g_logging = true;
    { VxTraceScope scope("Quit"); }
    EXPECT_EQ(TestSupport::Read_trace("log.txt"), "\n\nStarting VxTrace \n\nline\n> **(Quit)**\n< --(Quit)--");
}

TEST(Trace, LinesOfAnyThreadBeforeOpeningGoToTheOpenedFolderNotTheCurrentOne) {
    TestSupport::Scratch_dir dir;
    TestSupport::Make_dirs("run");
    // A worker writes first, while the current folder is still the scratch folder.
    std::thread([] {
        VxTrace::Instance().Write("worker line");
        VxTrace::Instance().Write_error("worker error");
    }).join();
    VxTrace::Instance().Open(dir.Path() + "/run");
    VxTrace::Instance().Write("after");
    VxTrace::Instance().Flush();
    EXPECT_FALSE(std::filesystem::exists("log.txt"));
    EXPECT_FALSE(std::filesystem::exists("error.txt"));
    EXPECT_EQ(TestSupport::Read_file("run/log.txt"), "\n\nStarting VxTrace \n\nworker line\nafter");
    EXPECT_EQ(TestSupport::Read_file("run/error.txt"), "\n\nStarting Error VxTrace \n\nworker error");
}

TEST(Trace, BufferedLinesReachTheFileWithoutAFlushAndOnEveryWayOut) {
    TestSupport::Scratch_dir dir;
    TestSupport::Open_trace_here();
    // The flusher writes them on its own.
    VxTrace::Instance().Write("nobody flushed me");
    EXPECT_TRUE(Eventually_holds("log.txt", "\nnobody flushed me"));

    // A child that ends through Exit_process right after writing.
    const auto end = TestSupport::Run_in_child([] {
        VxTrace::Instance().Open(".");
        for (int i = 0; i < 1000; ++i) VxTrace::Instance().Write("exit line " + std::to_string(i));
        Platform::Exit_process(3);
    });
    ASSERT_TRUE(end.exited);
    EXPECT_EQ(end.code, 3);
    EXPECT_NE(TestSupport::Read_file("log.txt").find("\nexit line 999"), std::string::npos);
}

TEST(Trace, ACrashAfterWritingLeavesEveryLineInTheLog) {
    TestSupport::Scratch_dir dir;
    for (int sig : Crashes) {
        const std::string folder = dir.Path() + "/crash" + std::to_string(sig);
        TestSupport::Make_dirs(folder);
        const auto end = TestSupport::Run_in_child([&] {
            VxTrace::Instance().Open(folder);
            // Enough lines that some sit in the buffer and some were written out already.
            for (int i = 0; i < 3000; ++i) VxTrace::Instance().Write("line " + std::to_string(i));
            Crash(sig);
        });
        if (TestSupport::Is_replaying_child()) continue;
#ifdef _WIN32
        // Windows ends a crashed program with a failure code of its own (0xC0000005, 3 for abort).
        ASSERT_TRUE(end.exited) << sig;
        EXPECT_NE(end.code, 0) << sig;
#else
        if (Sanitizer_ends_crashes && sig != SIGABRT && end.exited) {
            EXPECT_NE(end.code, 0) << sig;
        } else {
            ASSERT_FALSE(end.exited) << sig;
            EXPECT_EQ(end.signal, sig) << "the signal takes its course after the lines are out";
        }
#endif
        const std::string log = TestSupport::Read_file(folder + "/log.txt");
        EXPECT_EQ(log.find("\nline 0\nline 1\n"), std::string("\n\nStarting VxTrace \n").size()) << sig;
        EXPECT_NE(log.find("\nline 2998\nline 2999"), std::string::npos) << sig;
        EXPECT_EQ(log.size() - log.rfind("\nline 2999"), std::string("\nline 2999").size()) << sig;
    }
}

TEST(Trace, AFullLogMovesToTheOldOneAndANewOneBegins) {
    TestSupport::Scratch_dir dir;
    TestSupport::Write_file("log.old.txt", "an older run");
    TestSupport::Open_trace_here();
    VxTrace& t = VxTrace::Instance();
    t.Set_rotation_limit(200 * 1024);
    const std::string text(99, 'x');  // 100 bytes a line with its line feed
    for (int i = 0; i < 5000; ++i) t.Write(text);
    t.Flush();
    const auto log = std::filesystem::file_size("log.txt");
    const auto old = std::filesystem::file_size("log.old.txt");
    EXPECT_LE(log, 200u * 1024);
    EXPECT_LE(old, 200u * 1024);
    EXPECT_GT(old, 100u * 1024) << "the older run's file was replaced by a full one";
    // Each file is whole lines, the new one beginning like a fresh log.
    EXPECT_EQ(TestSupport::Read_file("log.txt").rfind("\n\nStarting VxTrace \n", 0), 0u);
    const std::string old_text = TestSupport::Read_file("log.old.txt");
    EXPECT_EQ(old_text.substr(old_text.size() - 100), "\n" + text);
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
