// The panel's pages: building them, which page shows what (the roles), and their motion.
// Role 1 pages show the current item, role 2 pages the end of the list; a change swaps them.
#include "playback/Playlist_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "display/VxDirectX.h"
#include "platform/dialogs.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Caption = "Playlist";
constexpr const char* Frame_file = "IMAGE_playlist_3.jpg";
constexpr const char* Blank_page_file = "IMAGE_24bit.bmp";
constexpr int Page_preset = 2;    // sliding in and out
constexpr int Scroll_preset = 1;  // scrolling, gentler
// A scroll to the current item starts at once only when it is this short; a longer one waits
// for the next refresh (the start of the song, 700 ms later).
constexpr double Immediate_scroll = 10;
// The band of the window in which the last row may stay when the list grows.
constexpr double End_band_top = 55, End_band_bottom = 90;
}  // namespace

VxPlaylist_panel::VxPlaylist_panel(std::vector<VX_playlist_item>& items, const int& current_index)
    : items_(items), current_(current_index) {}

void VxPlaylist_panel::Build() {
    VxTraceScope scope("Build_panel");
    pics_ = VxRead::Instance().Pics_folder();
    frame_.Set_name(Frame_file);
    frame_.Set_size(Page_width, Page_height);
    frame_.Loading_surface(pics_ + Frame_file);
    frame_.Set_colour_key(true);
    frame_.Set_position(0, 0);  // drawn onto a page, it covers the whole page
    Build_page(pages_[0], 0, 1);
    Build_page(pages_[1], 1, 2);
    Fill(pages_[0], 0);
    // Items queued before the panel existed: find where each of their pages begins, so that
    // any of them can be shown on its own page.
    for (int start = -1; start != page_starts_.back();) {
        start = page_starts_.back();
        Fill(pages_[1], start);
    }
    Fill(pages_[1], 0);
    pages_[1].bitmap.Set_position(Hidden_x, Page_top);
    visible_ = 0;
    Show(pages_[0]);
    Hide(pages_[1]);
}

void VxPlaylist_panel::Build_page(Page& page, int number, int role) {
    VxDirectX& dx = VxDirectX::Instance();
    const double aspect = dx.Window_width() > 0 ? static_cast<double>(dx.Window_height()) / dx.Window_width() : 1.0;
    page.number = number;
    page.role = role;
    page.cover.Set_name("playlist cover");
    page.cover.Set_size(5 * aspect, 5);
    page.bitmap.Set_name("playlist page " + std::to_string(number));
    page.bitmap.Set_size(Page_width, Page_height);
    page.bitmap.Loading_surface(pics_ + Blank_page_file);
    page.bitmap.Set_position(Shown_x, Page_top);
    page.bitmap.Set_clip(Clip_left, Clip_top, Clip_right, Clip_bottom);
    page.bitmap.Set_colour_key(true);
    page.bitmap.Set_ramp_preset(Page_preset);
    if (dx.Window_height() > 0 && page.bitmap.Surface_height() > 0)
        page.scroll_scale = static_cast<double>(page.bitmap.Surface_height()) / dx.Window_height();
}

int VxPlaylist_panel::Page_start_of(int i) const {
    for (auto it = page_starts_.rbegin(); it != page_starts_.rend(); ++it)
        if (*it <= i) return *it;
    return 0;
}

void VxPlaylist_panel::Panel_not_initialized() { Platform::Message_box(Caption, "panel not initialized"); }

void VxPlaylist_panel::Item_inserted(int new_index, int last_inserted) {
    Page& visible = Visible();
    Page& other = Other();
    const int start = Page_start_of(new_index);
    switch (visible.role) {
        case 1:
            if (Page_start_of(current_) == start) {
                Fill(visible, start);
                Scroll_to_end(visible);
                return;
            }
            Fill(other, start);
            Hide(visible);
            Show(other);
            Scroll_to_end(other);
            break;
        case 2:
            if (Page_start_of(last_inserted) == start) {
                Fill(visible, start);
                Scroll_to_end(visible);
                return;
            }
            Fill(other, start);
            Scroll_to_end(other);
            Hide(visible);
            Show(other);
            break;
        default:
            Panel_not_initialized();
            return;
    }
    visible.role = 1;
    other.role = 2;
    visible_ = other.number;
}

void VxPlaylist_panel::Current_changed(int index, int last_requested) {
    Page& visible = Visible();
    Page& other = Other();
    const int start = Page_start_of(index);
    switch (visible.role) {
        case 1:
            if (Page_start_of(last_requested) == start) {
                Fill(visible, start);
                Scroll_to_current(visible);
                return;
            }
            Fill(other, start);
            Scroll_to_current(other);
            Show(other);
            Hide(visible);
            break;
        case 2:
            Fill(other, start);
            Hide(visible);
            Show(other);
            Scroll_to_current(other);
            break;
        default:
            Panel_not_initialized();
            return;
    }
    other.role = 1;
    visible.role = 2;
    visible_ = other.number;
}

void VxPlaylist_panel::Draw_pages() {
    Other().bitmap.Draw();
    Visible().bitmap.Draw();
}

void VxPlaylist_panel::Redraw_visible_page() { Fill(Visible(), Visible().first); }

void VxPlaylist_panel::Refresh_current_page() {
    VxBitmap& b = Visible().bitmap;
    b.Freeze();
    b.Start_move();
}

void VxPlaylist_panel::Scroll_to_current(Page& page) {
    if (current_ < 0 || current_ >= static_cast<int>(items_.size())) return;  // no row to show
    VxBitmap& b = page.bitmap;
    b.Freeze();
    b.Set_ramp_preset(Scroll_preset);
    const double row_y = items_[static_cast<std::size_t>(current_)].row_y;
    const double target_y = std::max(Scroll_row_y - row_y * page.scroll_scale, Scroll_lowest_y);
    const double present_y = b.Get_position().y;
    b.Set_target(Shown_x, target_y);
    if (std::fabs(present_y - target_y) < Immediate_scroll) b.Start_move();
}

void VxPlaylist_panel::Scroll_to_end(Page& page) {
    if (items_.empty()) return;
    VxBitmap& b = page.bitmap;
    b.Freeze();
    b.Set_ramp_preset(Scroll_preset);
    const double e = items_.back().row_y * page.scroll_scale;
    const double present_y = b.Get_position().y;
    const double f = present_y + e;  // where the last row is on the window now
    const double target_y =
        (f > End_band_bottom || f < End_band_top) ? std::max(Scroll_row_y - e, Scroll_lowest_y) : present_y;
    b.Set_target(Shown_x, target_y);
    b.Start_move();
}

// Hiding and showing move a page sideways only: it keeps the height it is scrolling to, so a
// scroll set up just before a page comes to the front is not lost.
void VxPlaylist_panel::Slide(Page& page, double x, const char* label) {
    VxBitmap& b = page.bitmap;
    b.Freeze();
    const VxPoint now = b.Get_position();
    char line[96];
    std::snprintf(line, sizeof line, "%s xpos.y %f %f", label, now.x, now.y);
    VxTrace::Instance().Write(line);
    b.Set_target(x, b.Get_target().y);
    b.Start_move();
}

void VxPlaylist_panel::Hide(Page& page) { Slide(page, Hidden_x, "hide"); }
void VxPlaylist_panel::Show(Page& page) { Slide(page, Shown_x, "show"); }
