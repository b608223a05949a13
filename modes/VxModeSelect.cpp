// The select mode's sheet and keys. The two song sheets alternate like the action panels: the new
// page is drawn on the one not on screen and slides in while the other slides out.
#include "modes/VxModeSelect.h"

#include <algorithm>
#include <array>

#include "display/VxButton.h"
#include "display/VxDirectX.h"
#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "modes/Album_panel.h"
#include "modes/Mode_ids.h"
#include "modes/Mode_images.h"
#include "modes/Mode_support.h"
#include "modes/VxModeBrowse.h"
#include "modes/VxShell.h"
#include "playback/VxAudio.h"
#include "playback/VxPlaylist.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace {
using Mode_support::Images;  // null without a display: tests of the key logic draw nothing
constexpr const char* Sheet_files[2] = {"IMAGE_songpaper_A.jpg", "IMAGE_songpaper_B.jpg"};
constexpr const char* Content_file = "IMAGE_Q4A_extra.jpg";
// The sheet ends above the content panel's rim (the panel spans 47 to 96), its last line inside it.
constexpr double Sheet_x = 60, Sheet_y = 49, Sheet_w = 39, Sheet_h = 46;
// The sheet rides 34 per cent to the right of the content panel.
constexpr double Sheet_offset = Sheet_x - VxMode_images::Action_x;
constexpr double Hidden_x = VxMode_images::Action_hidden_x;
constexpr int Up_arrow = 4;  // the select mode's up arrow among the image buttons

bool Player_stopped() { return VxAudio::Instance().Get_play_state_text() == "STOPPED"; }
}  // namespace

struct VxModeSelect::Impl {
    std::array<VxBitmap, 2> sheets;
    int sheet_in_use = 0;
    VxBitmap cover;
    int first_song_without_shell = 0;
    int shown_album = -1;  // the album the first song belongs to

    // One page of the album on a sheet: lines 1..9 and 0.
    void Draw_page(int index, int album, int first) {
        VxMode_images* images = Images();
        if (!images) return;
        VxBitmap& sheet = sheets[static_cast<std::size_t>(index)];
        sheet.Loading_surface(images->Pics() + Sheet_files[index]);
        if (!sheet.Get_surface()) return;
        VxDatabase& db = VxDatabase::Instance();
        if (album < 0 || album >= db.Get_nof_cds()) return;
        const auto& songs = db.Musiclist().cds[static_cast<std::size_t>(album)].songs;
        const double height = VxBitmap::Preset_height(1);
        const int name_px = static_cast<int>(0.78 * sheet.Surface_width());
        sheet.Set_text_size(1);
        for (int line = 0; line < Page_size; ++line) {
            const int song = first + line;
            if (song < 0 || song >= static_cast<int>(songs.size())) break;
            const double y = 17 + 8 * line;
            sheet.Set_text_colour(RGB(150, 30, 20));
            sheet.Set_text_cursor(7, y);
            sheet.Write_text(std::to_string((line + 1) % 10), 0, false);
            sheet.Set_text_colour(RGB(15, 20, 35));
            sheet.Set_text_cursor(15, y);
            sheet.Write_text(Album_panel::Fit_text(songs[static_cast<std::size_t>(song)].name, name_px, height), 0,
                             false);
        }
    }

    // The album's cover and names on the left of the content panel; the sheet covers the right.
    void Draw_album(int album) {
        VxMode_images* images = Images();
        if (!images) return;
        VxBitmap& panel = images->content_panel;
        images->Reload(panel, Content_file);
        VxDatabase& db = VxDatabase::Instance();
        if (!panel.Get_surface() || album < 0 || album >= db.Get_nof_cds()) return;
        const double cover_h = 28;
        cover.Set_size(cover_h * Album_panel::Cover_width() / Album_panel::Cover_height, cover_h);
        std::vector<std::string> files;
        files.push_back(db.Get_cd_cached_cover(album));
        files.push_back(images->Pics() + "IMAGE_no_cover.jpg");
        for (const std::string& f : Album_panel::Panel_cover_candidates(-1)) files.push_back(f);
        if (Album_panel::Load_first(cover, files)) {
            cover.Set_position(8, 8);
            cover.Draw_onto(panel);
        }
        // Text fits the part of the panel left of the arrows (beside the sheet), so no long name
        // runs under them.
        const VxClickBitmap* arrow = VxButton::Instance().Image_button(Up_arrow);
        const double text_right = arrow ? arrow->Get_shown_position().x : Sheet_x;
        const double free_w = (text_right - VxMode_images::Action_x) * 100.0 / panel.Get_size().x;
        const int text_px = static_cast<int>((free_w - 10) * 0.01 * panel.Surface_width());
        panel.Set_text_cursor(8, 70);
        panel.Set_text_size(2);
        panel.Set_text_colour(RGB(10, 20, 40));
        panel.Write_text(Album_panel::Fit_text(db.Get_cd_artist(album), text_px, VxBitmap::Preset_height(2)), 0, true);
        panel.Set_text_size(1);
        panel.Set_text_colour(RGB(40, 50, 70));
        panel.Set_text_cursor(8, 78);
        panel.Write_text(Album_panel::Fit_text(db.Get_cd_title(album), text_px, VxBitmap::Preset_height(1)), 0, true);
        const int n = static_cast<int>(db.Musiclist().cds[static_cast<std::size_t>(album)].songs.size());
        panel.Set_text_colour(RGB(120, 40, 20));
        panel.Set_text_cursor(8, 85);
        panel.Write_text(
            std::to_string(n) + (n == 1 ? " song" : " songs") + "  (" + double_to_string(db.Get_cd_score(album)) + ")",
            0, true);
    }

    // The new page comes from below (down) or above (up); the old one leaves the other way.
    void Slide(bool down, int album, int first) {
        if (!Images()) return;
        const int old_index = sheet_in_use, new_index = 1 - sheet_in_use;
        Draw_page(new_index, album, first);
        VxBitmap& old_sheet = sheets[static_cast<std::size_t>(old_index)];
        VxBitmap& new_sheet = sheets[static_cast<std::size_t>(new_index)];
        const double travel = Sheet_h + 10;
        old_sheet.Freeze();
        old_sheet.Set_target(Sheet_x, down ? Sheet_y - travel : Sheet_y + travel);
        old_sheet.Start_move();
        new_sheet.Set_position(Sheet_x, down ? Sheet_y + travel : Sheet_y - travel);
        new_sheet.Set_target(Sheet_x, Sheet_y);
        new_sheet.Start_move();
        sheet_in_use = new_index;
    }
};

// The display name is the one the system has always given this mode.
VxModeSelect::VxModeSelect(VxModeBrowse* browse)
    : VxMode(MODE_SELECT, "Volume Select"), impl_(std::make_unique<Impl>()), browse_(browse) {
    if (!Images()) return;
    for (int i = 0; i < 2; ++i) {
        VxBitmap& sheet = impl_->sheets[static_cast<std::size_t>(i)];
        sheet.Set_name(Sheet_files[i]);
        sheet.Set_size(Sheet_w, Sheet_h);
        sheet.Set_colour_key(true);
        sheet.Set_position(Hidden_x + Sheet_offset, Sheet_y);
        // Pages slide within the sheet's own band, as if behind a window in the panel.
        sheet.Set_clip(0, Sheet_y, 100, Sheet_y + Sheet_h);
    }
    button_bar_ = VxButton::Instance().Make_button_set(VxButton_mode::Select);
}

VxModeSelect::~VxModeSelect() = default;

int VxModeSelect::Get_album() const {
    const int album = browse_ ? browse_->Get_selected_album() : -1;
    return album >= 0 && album < VxDatabase::Instance().Get_nof_cds() ? album : -1;
}

int VxModeSelect::Get_first_song() const {
    const VxShell* shell = VxShell::Current();
    return shell ? shell->Get_select_value() : impl_->first_song_without_shell;
}

void VxModeSelect::Set_first_song(int first) {
    if (VxShell* shell = VxShell::Current()) shell->Set_select_value(first);
    impl_->first_song_without_shell = first;
}

int VxModeSelect::Nof_songs() const {
    const int album = Get_album();
    if (album < 0) return 0;
    return static_cast<int>(VxDatabase::Instance().Musiclist().cds[static_cast<std::size_t>(album)].songs.size());
}

void VxModeSelect::show_songpaper_down() {
    VxTraceScope scope("show_songpaper_down");
    const int first = Get_first_song();
    if (first + Page_size >= Nof_songs()) return;
    Set_first_song(first + Page_size);
    impl_->Slide(true, Get_album(), first + Page_size);
}

void VxModeSelect::show_songpaper_up() {
    VxTraceScope scope("show_songpaper_up");
    const int first = Get_first_song();
    if (first < 1) return;
    const int previous = std::max(0, first - Page_size);
    Set_first_song(previous);
    impl_->Slide(false, Get_album(), previous);
}

bool VxModeSelect::Choose_song(int line) {
    VxTrace::Instance().Write("Select a song - Key 1-9,0");
    const int album = Get_album();
    const int song = Get_first_song() + line - 1;
    if (album < 0 || line < 1 || line > Page_size || song < 0 || song >= Nof_songs()) return false;
    VxPlaylist& playlist = VxPlaylist::Instance();
    playlist.Insert_item(album, song);
    if (Player_stopped()) playlist.Start_and_update_song();
    return true;
}

void VxModeSelect::Choose_album() {
    VxTrace::Instance().Write("Select all cd songs");
    const int album = Get_album();
    if (album < 0) return;
    VxPlaylist& playlist = VxPlaylist::Instance();
    const bool was_empty = playlist.Get_nof_items() == 0;
    const int n = Nof_songs();
    for (int s = 0; s < n; ++s) playlist.Insert_item(album, s);
    if (n == 0 || !Player_stopped()) return;
    if (was_empty)
        playlist.Start_and_update_song();
    else
        playlist.Start_and_update_next_song();
}

void VxModeSelect::Refresh() {
    const int album = Get_album();
    // The shell keeps one first-song value; a page beyond this album's songs starts it over.
    const int first = Get_first_song();
    if (first < 0 || first % Page_size != 0 || (first > 0 && first >= Nof_songs())) Set_first_song(0);
    impl_->Draw_album(album);
    impl_->Draw_page(impl_->sheet_in_use, album, Get_first_song());
}

void VxModeSelect::Enter() {
    // A different album starts at its first page; reopening the same album keeps the page.
    const int album = Get_album();
    if (album != impl_->shown_album) {
        Set_first_song(0);
        impl_->shown_album = album;
    }
    VxMode_images* images = Images();
    if (images) {
        images->content_panel.Set_position(Hidden_x, VxMode_images::Action_y);
        for (VxBitmap& sheet : impl_->sheets) sheet.Set_position(Hidden_x + Sheet_offset, Sheet_y);
    }
    VxMode::Enter();  // the mode panel, Refresh, and the album panel beneath
    // The slides start once the pictures are drawn, so none of their first frames is lost.
    if (images) {
        images->content_panel.Set_target(VxMode_images::Action_x, VxMode_images::Action_y);
        images->content_panel.Start_move();
        VxBitmap& sheet = impl_->sheets[static_cast<std::size_t>(impl_->sheet_in_use)];
        sheet.Set_target(Sheet_x, Sheet_y);
        sheet.Start_move();
    }
}

void VxModeSelect::Leave() {
    if (VxMode_images* images = Images()) {
        images->content_panel.Freeze();
        images->content_panel.Set_target(Hidden_x, VxMode_images::Action_y);
        images->content_panel.Start_move();
        for (VxBitmap& sheet : impl_->sheets) {
            sheet.Freeze();
            sheet.Set_target(Hidden_x + Sheet_offset, sheet.Get_target().y);
            sheet.Start_move();
        }
    }
    VxMode::Leave();
}

void VxModeSelect::Draw_front() {
    VxMode_images* images = Images();
    if (!images) return;
    images->content_panel.Draw();
    for (VxBitmap& sheet : impl_->sheets) sheet.Draw();
}

void VxModeSelect::On_key_down(int code) {
    if (code == 38) show_songpaper_up();
    if (code == 40) show_songpaper_down();
}

void VxModeSelect::On_char(int code) {
    if (Handle_playback_char(code)) return;
    if (code >= '0' && code <= '9') {
        Choose_song(code == '0' ? Page_size : code - '0');
        return;
    }
    if (auto mode = Mode_for_letter(code, {MODE_RATING, MODE_SEARCH, MODE_VOLUME})) {
        Set_mode(*mode);
        return;
    }
    switch (code) {
        case 8:
        case 27:
            Set_mode(MODE_BROWSE);
            break;
        case 'A':
        case 'a':
            Choose_album();
            break;
        default:
            break;
    }
}
