// The browse mode: six album covers at a time on the action panel, paged with the arrows and
// jumped between start characters; its panel manager also serves the search, select, volume,
// rating and options modes, which hold a pointer to it. UI thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "modes/VxMode.h"

struct VxButton_set;

class VxModeBrowse : public VxMode {
public:
    // Builds the first panel state ("0", first album 0; the first start character with albums
    // when "0" has none), draws it on the action panel in use, and makes the six cover places.
    VxModeBrowse();
    ~VxModeBrowse() override;

    // Page back, page forward, previous start character, next start character, and a jump to
    // the albums starting with text (the search mode's). Each finds a page with albums, draws it
    // off screen and slides it in. The character keys pass over empty characters (at most 40
    // tries); paging past either end or a jump to a text without albums leaves the page as it is.
    // "No songs were found! ..." is shown when the library has no page at all.
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

    // Adds the six cover places (codes 501..506) to another mode's button set, so a click on a
    // cover of the visible album panel reaches that mode too. The places move with the panel;
    // they belong to this mode, which must outlive the set (modes live to the end).
    void Add_cover_places(VxButton_set& set);

    // Builds the current page again from the library and redraws it in place (a rating changed
    // a score); finds the first page when the current one is empty (the library was empty).
    void Refresh() override;
    void On_key_down(int code) override;
    void On_char(int code) override;
    void On_timer(int) override {}

private:
    void Navigate(int direction, const std::string& text);

    struct Impl;
    std::unique_ptr<Impl> impl_;
    int selected_album_ = -1;
};
