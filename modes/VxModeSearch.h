// The search mode: collects typed characters into the search string, shows it in the type box and,
// 1.2 s after the last change (timer 13), makes the album panel jump to the albums starting with it.
// Enter jumps at once and goes to browse. It closes by itself 15 s after the last key. UI thread only.
#pragma once

#include <memory>
#include <string>

#include "display/VxBitmap.h"
#include "modes/VxMode.h"

class VxModeBrowse;

class VxModeSearch : public VxMode {
public:
    explicit VxModeSearch(VxModeBrowse* browse);  // browse may be null (tests of the keys alone)

    void Enter() override;
    void Leave() override;
    void Draw_back() override;            // the keyboard's blank page over the playlist
    void On_key_down(int code) override;  // the arrows
    void On_char(int code) override;      // the search text, Backspace, Enter, Escape, the covers
    void On_timer(int timer_id) override;

    // The mode's copy of the search string; traced.
    std::string Get_current_search_string();
    // True for the characters the search string accepts: 32..125 but " ' / : ; ? \ ` |.
    static bool Is_search_character(int code);

    static constexpr unsigned Timeout_ms = 15000;
    static constexpr unsigned Jump_delay_ms = 1200;

private:
    void Show_search_line();
    void Leave_to_browse();
    VxModeBrowse* browse_;
    // The keyboard's keys have gaps between them and leave the playlist's left edge free; this blank
    // page slides in with them over the playlist, so the keyboard reads on a clean ground.
    std::unique_ptr<VxBitmap> keyboard_page_;
    std::string copy_;  // the process-wide search string as of the last change
};
