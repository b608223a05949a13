// The playlist's panel in the lower left: two tall pages used alternately, one in front, one
// slid out to the left, each showing a stretch of the queue with album headers and song rows.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "display/VxBitmap.h"
#include "playback/Playlist_item.h"

// Owned by the playlist, which hands it its item array and current index (it reads the
// index, and writes only the items' row positions). Needs an initialised display. UI thread only.
class VxPlaylist_panel {
public:
    // Geometry, in per cent of the window unless said otherwise.
    static constexpr double Page_width = 26, Page_height = 200;
    static constexpr double Page_top = 48;
    static constexpr double Shown_x = 1, Hidden_x = -25;
    static constexpr double Clip_left = 1, Clip_top = 48, Clip_right = 27, Clip_bottom = 100;
    // Rows below this (per cent of the page) end the page; the next item starts a new one.
    static constexpr double Page_full_y = 93;
    // The window height at which the current row is scrolled to, and how far a page may go up.
    static constexpr double Scroll_row_y = 55, Scroll_lowest_y = -100;
    static constexpr COLORREF Current_colour = RGB(139, 26, 26);

    // A page: its number, its role (1 shows the current item, 2 the end of the list), and the
    // factor from per cent of the page to per cent of the window.
    struct Page {
        int number = 0;
        int role = 0;
        double scroll_scale = 1.0;
        int first = 0;  // the item the page was last filled from
        VxBitmap cover;
        VxBitmap bitmap;
    };

    VxPlaylist_panel(std::vector<VX_playlist_item>& items, const int& current_index);

    // Loads the frame and both pages from the pictures folder and fills them from item 0:
    // page 0 in front with role 1, page 1 hidden with role 2.
    void Build();

    // An item was appended at new_index; last_inserted is the item appended before it.
    void Item_inserted(int new_index, int last_inserted);
    // The current index changed; last_requested is the index the previous change asked for.
    void Current_changed(int index, int last_requested);

    void Draw_pages();  // the hidden page, then the visible one on top
    // Fills the visible page again from where it starts, in place (a rating changed a mark).
    void Redraw_visible_page();
    void Refresh_current_page();
    VxBitmap& Get_frame_image() { return frame_; }

    // The page start of item i: the greatest page start not after i (0 when there is none).
    int Page_start_of(int i) const;
    const std::vector<int>& Page_starts() const { return page_starts_; }
    int Visible_page() const { return visible_; }
    int Role(int page) const { return pages_.at(static_cast<std::size_t>(page)).role; }
    // Roles other than 1 and 2 make the panel refuse updates with "panel not initialized".
    void Set_role(int page, int role) { pages_.at(static_cast<std::size_t>(page)).role = role; }
    Page& Get_page(int page) { return pages_.at(static_cast<std::size_t>(page)); }

    // Fills a page from item first; returns the index after the last row drawn.
    int Fill(Page& page, int first);

private:
    Page& Visible() { return pages_[static_cast<std::size_t>(visible_)]; }
    Page& Other() { return pages_[static_cast<std::size_t>(1 - visible_)]; }
    void Build_page(Page& page, int number, int role);
    void Draw_header(Page& page, int i);
    void Draw_row(Page& page, int i);
    void Clear(Page& page);
    void Scroll_to_current(Page& page);
    void Scroll_to_end(Page& page);
    void Hide(Page& page);
    void Show(Page& page);
    void Slide(Page& page, double x, const char* label);
    void Panel_not_initialized();

    std::vector<VX_playlist_item>& items_;
    const int& current_;
    std::vector<int> page_starts_{0};
    int visible_ = 0;
    std::array<Page, 2> pages_;
    VxBitmap frame_;
    std::string pics_;
    bool placeholder_missing_traced_ = false;
};
