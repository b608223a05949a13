// The options mode: a numbered menu of settings and actions on its own panel, which slides in over
// the album panel. The menu is rebuilt from the settings on every Refresh, so it always shows the
// stored values. It closes by itself 30 s after it was entered (timer 5, the shell's). UI thread only.
#pragma once

#include <string>
#include <vector>

#include "display/VxBitmap.h"
#include "modes/VxMode.h"

class VxModeBrowse;

class VxModeOptions : public VxMode {
public:
    explicit VxModeOptions(VxModeBrowse* browse);  // browse may be null (tests of the keys alone)

    void Refresh() override;  // rebuilds the menu lines and writes them on the menu panel
    void Enter() override;
    void Leave() override;
    void Draw_front() override;
    void On_key_down(int) override {}  // no arrows here; every key acts as a character
    void On_char(int code) override;
    void On_timer(int) override {}

    // The seven menu lines as the last Refresh built them.
    const std::vector<std::string>& Get_menu_lines() const { return lines_; }
    VxBitmap& Get_menu_panel() { return menu_panel_; }

    // The newest version as the version check found it; "v??" until it was looked up.
    static std::string Newest_version();
    // Forgets the version looked up, as a new process starts: for tests that run one after another
    // in one process. UI thread.
    static void Forget_version_for_tests();

private:
    std::vector<std::string> Build_lines();
    void Choose_new_music_folder();
    void Retrieve_latest_version();

    VxModeBrowse* browse_;
    VxBitmap menu_panel_;
    std::vector<std::string> lines_;
};
