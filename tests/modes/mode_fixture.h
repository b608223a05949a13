// The modes' tests' common ground: a scratch home (run/ as the working folder, the theme's pics,
// covers, music) with settings, an 800x600 window on SDL's dummy driver, headless boxes, a shell
// that records what the modes ask of it, and a small library built in memory.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "modes/Mode_ids.h"
#include "modes/VxShell.h"
#include "tests/support/test_support.h"

class VxMode;

namespace ModeTest {

// Records every request; Set_mode keeps current and previous as the real shell does (the rating
// and volume swap included), without entering or leaving anything.
struct Recording_shell : VxShell {
    std::vector<int> modes;  // every Set_mode argument, in order
    int current = MODE_MAIN, previous = MODE_MAIN;
    int quits = 0, minimised = 0, rebuilds = 0, rendering = 0, captions = 0;
    int cache_screens = 0, download_screens = 0, version_screens = 0;
    int select_value = 0;

    void Set_mode(int mode_id) override;
    void quit() override { ++quits; }
    void Keep_rendering() override { ++rendering; }
    int Get_current_mode() const override { return current; }
    int Get_previous_mode() const override { return previous; }
    void Get_window_rectangle(int& l, int& t, int& r, int& b) const override { l = t = 0, r = 800, b = 600; }
    int Get_select_value() const override { return select_value; }
    void Set_select_value(int value) override { select_value = value; }
    std::function<void()> on_rebuild;  // runs inside Rebuild_library, to look at the files then
    void Rebuild_library() override {
        ++rebuilds;
        if (on_rebuild) on_rebuild();
    }
    void Minimise() override { ++minimised; }
    void Show_caption(int) override { ++captions; }
    void Progress_caching_covers() override { ++cache_screens; }
    void Progress_downloading_covers() override { ++download_screens; }
    void Progress_version_check() override { ++version_screens; }
};

struct Album {
    std::string artist, title;
    int songs = 3;
    std::string cover;  // file name inside the album folder; "" for none
};

class Screen : public ::testing::Test {
protected:
    // with_display false: no window, the modes' key logic only.
    explicit Screen(bool with_display = true) : with_display_(with_display) {}
    void SetUp() override;
    void TearDown() override;

    // Replaces the library with these albums (folders and empty song files under music/, covers
    // as small JPEGs), sorted and indexed as after a scan.
    void Make_library(const std::vector<Album>& albums);
    // Albums "<c> Artist k" for every start character in chars, count_each per character.
    void Make_library_of(const std::string& chars, int count_each);

    std::string Home() const { return scratch_.Path(); }  // holds run/, pics/, covers/, music/
    std::string Log() const;                              // run/log.txt
    std::string Dialogs() const;                          // run/dialogs.txt
    static int Count(const std::string& text, const std::string& part);
    // Delivers a key press as the window does: key-down, then the character when it has one.
    static void Press(VxMode& mode, int virtual_key, int character);
    static void Type(VxMode& mode, char c);  // a character key: key-down of its upper case, then c
    // Milliseconds until the nearest running window timer, as the message queue would wait for it
    // (0 when one is due, -1 when none runs). Attaches its own event source for the moment and
    // leaves none attached.
    static int Next_timer_ms();

    TestSupport::Scratch_dir scratch_;
    Recording_shell shell_;
    bool with_display_;
};

}  // namespace ModeTest
