// The browse mode: six album covers at a time on the action panel, paged with the arrows and
// jumped between start characters; its panel manager also serves the search, select, volume,
// rating and options modes, which hold a pointer to it. UI thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "modes/VxMode.h"

class VxClickBitmap;

class VxModeBrowse : public VxMode {
public:
    VxModeBrowse();  // builds the first panel state ("0", first album 0) and the six cover places
    ~VxModeBrowse() override;

    // Page back, page forward, previous start character, next start character, and a jump to
    // the albums starting with text (the search mode's). Each finds a page with albums (at most
    // 40 tries), draws it off screen and slides it in.
    void show_6cdpanel_left();
    void show_6cdpanel_right();
    void show_6cdpanel_up();
    void show_6cdpanel_down();
    void show_6cdpanel_char(const std::string& text);

    // The album shown at position 0..5 of the current page; empty beyond the page's albums.
    std::optional<int> Get_panel_album(int position) const;
    // Opens the album at position 0..5 for the song sheet and switches to the select mode;
    // traces "MODE_BROWSE - Key 1-6". False (and nothing happens) beyond the page's albums.
    bool Open_album(int position);
    // The album the song sheet shows: the one opened last; -1 before any.
    int Get_selected_album() const { return selected_album_; }
    // Back to the first panel state, after the library was replaced (a new music folder).
    void Reset_panel();
    // The current page's start string and first album, for tests and the trace.
    std::string Get_start_string() const;
    int Get_first_album() const;

    void Refresh() override;  // redraws the visible page (a rating changed a score)
    void On_key_down(int code) override;
    void On_char(int code) override;
    void On_timer(int) override {}

private:
    struct Impl;
    Impl* impl_;
    int selected_album_ = -1;
};
