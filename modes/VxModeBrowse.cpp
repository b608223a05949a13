// The browse mode: its panel manager pages the library six albums at a time; each new page is
// drawn into the action panel not on screen and slid in while the visible one slides out.
#include "modes/VxModeBrowse.h"

#include <array>

#include "display/VxBitmap.h"
#include "display/VxButton.h"
#include "display/VxDirectX.h"
#include "library/VxDatabase.h"
#include "modes/Album_panel.h"
#include "modes/Mode_ids.h"
#include "modes/Mode_images.h"
#include "modes/Mode_support.h"
#include "modes/Panel_manager.h"
#include "platform/dialogs.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Caption = "VxModeBrowse";
constexpr const char* No_songs =
    "No songs were found! Verify logging. Note that the specified music directory should contain a directory for "
    "each music album with the songs and its cover inside that directory. (Delete MusicDataBase.dat if neccesary !)";

using Mode_support::Images;  // null without a display: tests of the key logic draw nothing
// Whether any start character files an album: without one no key can find a page.
bool Library_has_pages() {
    const VxDatabase& db = VxDatabase::Instance();
    for (const VX_start_char_struct& entry : db.Musiclist().lookup_table.start_chars)
        for (int c : entry.cd_indices)
            if (c >= 0 && c < db.Get_nof_cds()) return true;
    return false;
}

enum class Slide { Left, Right, Up, Down };
}  // namespace

struct VxModeBrowse::Impl {
    Panel_manager panels;
    std::array<VxClickBitmap, 6> places;  // "cover 1/6" .. "cover 6/6", children of the visible panel

    void Place_covers(VxBitmap& parent) {
        for (int k = 0; k < 6; ++k) {
            VxClickBitmap& place = places[static_cast<std::size_t>(k)];
            place.Set_parent(&parent);
            place.Set_size(Album_panel::Cover_width(), Album_panel::Cover_height);
            const VxPoint p = Album_panel::Cover_place(k);
            place.Set_position(p.x, p.y);
        }
    }

    void Plot_into(int panel_index) {
        VxMode_images* images = Images();
        if (!images) return;
        Album_panel::Plot(images->action_panel[panel_index],
                          images->Pics() + VxMode_images::Action_panel_files[panel_index], panels.Albums());
    }

    // Draws the current page off screen and slides it in; the visible panel leaves the other way.
    void Show(Slide slide) {
        VxMode_images* images = Images();
        if (!images) return;
        const int old_index = images->action_panel_in_use, new_index = 1 - old_index;
        Plot_into(new_index);
        VxBitmap& old_panel = images->action_panel[old_index];
        VxBitmap& new_panel = images->action_panel[new_index];
        const double x = VxMode_images::Action_x, y = VxMode_images::Action_y;
        const double w = new_panel.Get_size().x, h = new_panel.Get_size().y;
        VxPoint old_target{x, y}, new_start{x, y};
        switch (slide) {
            case Slide::Left:  // page back: the new page comes in from the left
                old_target = {VxMode_images::Action_hidden_x, y};
                new_start = {x - w - 10, y};
                break;
            case Slide::Right:
                old_target = {x - w - 10, y};
                new_start = {VxMode_images::Action_hidden_x, y};
                break;
            case Slide::Up:  // previous start character: the new page comes down from above
                old_target = {x, y + h};
                new_start = {x, y - h - 10};
                break;
            case Slide::Down:
                old_target = {x, y - h};
                new_start = {x, y + h + 10};
                break;
        }
        old_panel.Freeze();
        old_panel.Set_target(old_target.x, old_target.y);
        old_panel.Start_move();
        new_panel.Set_position(new_start.x, new_start.y);
        new_panel.Set_target(x, y);
        new_panel.Start_move();
        images->action_panel_in_use = new_index;
        Place_covers(new_panel);
    }
};

VxModeBrowse::VxModeBrowse() : VxMode(MODE_BROWSE, "Browse Mode"), impl_(std::make_unique<Impl>()) {
    for (int k = 0; k < 6; ++k) {
        VxClickBitmap& place = impl_->places[static_cast<std::size_t>(k)];
        place.Set_label("cover " + std::to_string(k + 1) + "/6");
        place.Set_name(place.Get_label());
        place.Set_id(Code_cover_first + k);
    }
    impl_->panels.Start();
    if (VxMode_images* images = Images()) {
        // The panels show only inside the album area, so a page sliding out or in never covers
        // the front panel or the playlist beside it.
        for (VxBitmap& panel : images->action_panel)
            panel.Set_clip(VxMode_images::Action_x, VxMode_images::Action_y,
                           VxMode_images::Action_x + panel.Get_size().x, VxMode_images::Action_y + panel.Get_size().y);
        impl_->Place_covers(images->action_panel[images->action_panel_in_use]);
        impl_->Plot_into(images->action_panel_in_use);
        button_bar_ = VxButton::Instance().Make_button_set(VxButton_mode::Browse);
        Add_cover_places(*button_bar_);
    }
}

VxModeBrowse::~VxModeBrowse() = default;

void VxModeBrowse::show_6cdpanel_left() {
    VxTraceScope scope("show_6cdpanel_left");
    Navigate(Panel_page_back, "");
}

void VxModeBrowse::show_6cdpanel_right() {
    VxTraceScope scope("show_6cdpanel_right");
    Navigate(Panel_page_forward, "");
}

void VxModeBrowse::show_6cdpanel_up() {
    VxTraceScope scope("show_6cdpanel_up");
    Navigate(Panel_previous_char, "");
}

void VxModeBrowse::show_6cdpanel_down() {
    VxTraceScope scope("show_6cdpanel_down");
    Navigate(Panel_next_char, "");
}

void VxModeBrowse::show_6cdpanel_char(const std::string& text) {
    VxTraceScope scope("show_6cdpanel_char");
    Navigate(Panel_jump, text);
}

// Start-character keys search on over empty characters; paging and a jump have one page to try
// (repeating them cannot change the result), and without it the panel simply stays.
void VxModeBrowse::Navigate(int direction, const std::string& text) {
    const bool by_char = direction == Panel_next_char || direction == Panel_previous_char;
    const bool found = impl_->panels.Find_page(direction, text, by_char ? Panel_manager::Max_attempts : 1);
    if (!found) {
        if (by_char || !Library_has_pages()) Platform::Message_box(Caption, No_songs);
        return;
    }
    switch (direction) {
        case Panel_page_back:
            impl_->Show(Slide::Left);
            break;
        case Panel_page_forward:
            impl_->Show(Slide::Right);
            break;
        case Panel_previous_char:
            impl_->Show(Slide::Up);
            break;
        default:
            impl_->Show(Slide::Down);
            break;
    }
}

std::optional<int> VxModeBrowse::Get_panel_album(int position) const {
    const std::vector<int>& albums = impl_->panels.Albums();
    if (!impl_->panels.Current().has_albums || position < 0 || position >= static_cast<int>(albums.size()))
        return std::nullopt;
    return albums[static_cast<std::size_t>(position)];
}

bool VxModeBrowse::Open_album(int position) {
    VxTrace::Instance().Write("MODE_BROWSE - Key 1-6");
    const std::optional<int> album = Get_panel_album(position);
    if (!album) return false;
    selected_album_ = *album;
    Set_mode(MODE_SELECT);
    return true;
}

void VxModeBrowse::Reset_panel() {
    selected_album_ = -1;  // an index into the old library means nothing in the new one
    impl_->panels.Start();
    if (VxMode_images* images = Images()) impl_->Plot_into(images->action_panel_in_use);
}

std::string VxModeBrowse::Get_start_string() const { return impl_->panels.Current().start_string; }
int VxModeBrowse::Get_first_album() const { return impl_->panels.Current().first_album; }

void VxModeBrowse::Add_cover_places(VxButton_set& set) {
    for (VxClickBitmap& place : impl_->places) set.extras.push_back(&place);
}

void VxModeBrowse::Refresh() {
    Panel_manager& panels = impl_->panels;
    panels.Rebuild();
    // A library that had no albums when the panel was made may have them now.
    if (!panels.Current().has_albums) panels.Start();
    if (VxMode_images* images = Images()) impl_->Plot_into(images->action_panel_in_use);
}

void VxModeBrowse::On_key_down(int code) {
    switch (code) {
        case 37:
            show_6cdpanel_left();
            break;
        case 39:
            show_6cdpanel_right();
            break;
        case 38:
            show_6cdpanel_up();
            break;
        case 40:
            show_6cdpanel_down();
            break;
        default:
            break;
    }
}

void VxModeBrowse::On_char(int code) {
    if (Handle_playback_char(code)) return;
    if (code >= '1' && code <= '6') {
        Open_album(code - '1');
        return;
    }
    if (code >= Code_cover_first && code < Code_cover_first + 6) {
        Open_album(code - Code_cover_first);
        return;
    }
    if (auto mode = Mode_for_letter(code, {MODE_OPTIONS, MODE_RATING, MODE_SEARCH, MODE_VOLUME})) {
        Set_mode(*mode);
        return;
    }
    switch (code) {
        case 8:
        case 27:
            Set_mode(MODE_MAIN);
            break;
        default:
            break;
    }
}
