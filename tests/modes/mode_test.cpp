// The mode base: which handler each window message reaches, that every key, character and timer
// keeps the screen rendering, the position box of a right click, and the status texts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "modes/VxMode.h"
#include "modes/VxShell.h"
#include "platform/dialogs.h"
#include "tests/support/test_support.h"

namespace {

struct Fake_shell : VxShell {
    int rendering = 0;
    void Set_mode(int) override {}
    void quit() override {}
    void Keep_rendering() override { ++rendering; }
    int Get_current_mode() const override { return 7; }
    int Get_previous_mode() const override { return 7; }
    void Get_window_rectangle(int& l, int& t, int& r, int& b) const override { l = t = 0, r = 800, b = 600; }
    int Get_select_value() const override { return 0; }
    void Set_select_value(int) override {}
    void Rebuild_library() override {}
    void Minimise() override {}
    void Show_caption(int) override {}
    void Progress_caching_covers() override {}
    void Progress_downloading_covers() override {}
    void Progress_version_check() override {}
};

struct Recording_mode : VxMode {
    Recording_mode() : VxMode(7, "Main Mode") {}
    std::vector<std::pair<char, int>> calls;
    void On_key_down(int code) override { calls.push_back({'k', code}); }
    void On_char(int code) override { calls.push_back({'c', code}); }
    void On_timer(int id) override { calls.push_back({'t', id}); }
};

class Mode : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::Set_headless(true);
        VxShell::Install(&shell_);
    }
    void TearDown() override { VxShell::Install(nullptr); }
    TestSupport::Scratch_dir scratch_;
    Fake_shell shell_;
    Recording_mode mode_;
};

TEST_F(Mode, MessagesReachTheirHandlersAndKeepRendering) {
    mode_.Handle_message({Platform::WM_KEYDOWN, 32, 0});
    mode_.Handle_message({Platform::WM_CHAR, 'b', 0});
    mode_.Handle_message({Platform::WM_TIMER, 1, 0});
    mode_.Handle_message({Platform::WM_PAINT, 0, 0});
    const std::vector<std::pair<char, int>> expected{{'k', 32}, {'c', 'b'}, {'t', 1}};
    EXPECT_EQ(mode_.calls, expected);
    EXPECT_EQ(shell_.rendering, 3);
}

TEST_F(Mode, ClickWithoutButtonBarDoesNothingAndARightClickIsLeftToTheGenericMode) {
    mode_.Handle_message({Platform::WM_LBUTTONDOWN, 0, Platform::Make_point(10, 10)});
    EXPECT_TRUE(mode_.calls.empty());
    mode_.Handle_message({Platform::WM_RBUTTONDOWN, 0, Platform::Make_point(40, 30)});
    EXPECT_FALSE(std::filesystem::exists("dialogs.txt"));
}

}  // namespace

#include "modes/Mode_ids.h"
#include "modes/VxModeGeneric.h"

namespace {

struct Counting_shell : Fake_shell {
    int minimised = 0, quits = 0;
    void Minimise() override { ++minimised; }
    void quit() override { ++quits; }
};

TEST(Generic_mode, ARightClickShowsItsPositionOnceAfterTheCurrentMode) {
    TestSupport::Scratch_dir scratch;
    Platform::Set_headless(true);
    Fake_shell shell;
    VxShell::Install(&shell);
    Recording_mode current;
    VxModeGeneric generic;
    // The shell hands every message to the current mode, then to the generic mode.
    const Platform::Message click{Platform::WM_RBUTTONDOWN, 0, Platform::Make_point(40, 30)};
    current.Handle_message(click);
    generic.Handle_message(click);
    const std::string dialogs = TestSupport::Read_file("dialogs.txt");
    EXPECT_EQ(dialogs.rfind("VxMode\tx=40 (", 0), 0u) << dialogs;
    EXPECT_EQ(std::count(dialogs.begin(), dialogs.end(), '\n'), 1) << dialogs;
    VxShell::Install(nullptr);
}

TEST(Generic_mode, WindowButtonsMinimiseAndQuitOnce) {
    Counting_shell shell;
    VxShell::Install(&shell);
    VxModeGeneric generic;
    // A click arrives as key-down and character with the same code: it acts once.
    for (int code : {Code_minimise, Code_quit}) {
        generic.On_key_down(code);
        generic.On_char(code);
    }
    EXPECT_EQ(shell.minimised, 1);
    EXPECT_EQ(shell.quits, 1);
    VxShell::Install(nullptr);
}

}  // namespace
