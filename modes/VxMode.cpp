// The mode base: message routing to the mode's handlers, the panels and button bar on Enter and
// Leave, the player's status lines on the mode panel, the now-playing cover and the type box.
#include "modes/VxMode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "display/VxButton.h"
#include "display/VxDirectX.h"
#include "library/VxDatabase.h"
#include "modes/Mode_images.h"
#include "modes/Mode_support.h"
#include "modes/VxShell.h"
#include "platform/dialogs.h"
#include "playback/VxAudio.h"
#include "playback/VxPlaylist.h"
#include "settings/VxRead.h"

VxMode::VxMode(int mode_id, std::string name) : mode_id_(mode_id), name_(std::move(name)) {}
VxMode::~VxMode() = default;

namespace {
void Keep_rendering() {
    if (VxShell* shell = VxShell::Current()) shell->Keep_rendering();
}
using Mode_support::Images;  // null without a display: tests of the key logic draw nothing

// The status lines as the mode panels show them (the panels are shared by all modes).
struct Shown_status {
    std::vector<std::string> lines;
    int panel = -1;
};
Shown_status& Shown() {
    static Shown_status shown;
    return shown;
}
bool File_exists(const std::string& path) {
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return true;
    }
    return false;
}
}  // namespace

void VxMode::Handle_message(const Platform::Message& message) {
    const int code = static_cast<int>(message.wparam);
    switch (message.kind) {
        case Platform::WM_KEYDOWN:
            Keep_rendering();
            On_key_down(code);
            break;
        case Platform::WM_CHAR:
            Keep_rendering();
            On_char(code);
            break;
        case Platform::WM_TIMER:
            Keep_rendering();
            On_timer(code);
            break;
        case Platform::WM_LBUTTONDOWN: {
            if (!button_bar_) break;
            const int hit = VxButton::Instance().Hit_test(*button_bar_, Platform::Point_x(message.lparam),
                                                          Platform::Point_y(message.lparam));
            if (hit == VxButton::No_button) break;
            On_key_down(hit);
            On_char(hit);
            break;
        }
        case Platform::WM_RBUTTONDOWN: {
            if (!Shows_click_position()) break;
            const int x = Platform::Point_x(message.lparam), y = Platform::Point_y(message.lparam);
            int w = 0, h = 0;
            VxDirectX::Instance().Get_window_size(w, h);
            const auto percent = [](int v, int size) { return size > 0 ? std::to_string(v * 100.0 / size) : "0"; };
            Platform::Message_box("VxMode", "x=" + std::to_string(x) + " (" + percent(x, w) +
                                                " %), y=" + std::to_string(y) + " (" + percent(y, h) + " %)");
            break;
        }
        default:
            break;
    }
}

void VxMode::Enter() {
    active_ = true;
    if (button_bar_) {
        VxButton::Instance().Show_set(*button_bar_);
        VxButton::Instance().Show_own(*button_bar_);
    }
    VxMode_images* images = Images();
    if (images) images->mode_panel_in_use ^= 1;
    Update_status_lines();
    if (images) {
        images->mode_panel[images->mode_panel_in_use].Move_to_shown();
        if (images->type_box.Get_position().x != images->type_box.Get_shown_position().x)
            images->type_box.Move_to_shown();
    }
    Refresh();
    if (images) images->action_panel[images->action_panel_in_use].Move_to_shown();
}

void VxMode::Leave() {
    active_ = false;
    if (button_bar_) {
        VxButton::Instance().Hide_set(*button_bar_);
        VxButton::Instance().Hide_own(*button_bar_);
    }
    if (VxMode_images* images = Images()) images->mode_panel[images->mode_panel_in_use].Move_to_hidden();
}

int VxMode::Mode_panel_in_use() {
    VxMode_images* images = Images();
    return images ? images->mode_panel_in_use : 0;
}

void VxMode::Set_mode(int mode_id) {
    if (VxShell* shell = VxShell::Current()) shell->Set_mode(mode_id);
}

bool VxMode::Handle_playback_char(int code) {
    switch (code) {
        case ' ':
            VxAudio::Instance().FadeInOut();
            return true;
        case 'N':
        case 'n':
            VxPlaylist::Instance().Start_and_update_next_song();
            return true;
        case 'P':
        case 'p':
            VxPlaylist::Instance().start_and_update_previous_song();
            return true;
        case 'M':
        case 'm':
            if (VxShell* shell = VxShell::Current()) shell->Minimise();
            return true;
        default:
            return false;
    }
}

namespace {
struct Mode_letter {
    char letter;  // upper case; its lower case leads there too
    Mode_id mode;
};
constexpr Mode_letter Mode_letters[] = {
    {'B', MODE_BROWSE}, {'O', MODE_OPTIONS}, {'R', MODE_RATING}, {'S', MODE_SEARCH}, {'V', MODE_VOLUME},
};
}  // namespace

std::optional<Mode_id> VxMode::Mode_for_letter(int code, std::initializer_list<Mode_id> offered) {
    if (code >= 'a' && code <= 'z') code -= 'a' - 'A';
    for (const Mode_letter& entry : Mode_letters) {
        if (entry.letter != code) continue;
        for (Mode_id mode : offered)
            if (mode == entry.mode) return mode;
        return std::nullopt;
    }
    return std::nullopt;
}

std::vector<std::string> VxMode::Status_lines() {
    VxAudio& audio = VxAudio::Instance();
    const int total = std::max(0, static_cast<int>(audio.Get_remaining_time()));
    char remaining[32];
    std::snprintf(remaining, sizeof remaining, "%02dm%02ds", total / 60, total % 60);
    return {"Remaining =" + std::string(remaining),
            "Volume =" + std::to_string(static_cast<int>(std::lround(audio.Get_main_volume()))) + "%",
            "Status =" + audio.Get_play_state_text(), "Fading =" + audio.Get_fade_state_text(),
            std::string("Random =") + (VxRead::Instance().Get_use_random() ? "ON" : "OFF")};
}

void VxMode::Update_status_lines() {
    VxMode_images* images = Images();
    if (!images) return;
    const int in_use = images->mode_panel_in_use;
    VxBitmap& panel = images->mode_panel[in_use];
    images->Reload(panel, VxMode_images::Mode_panel_files[in_use]);
    panel.Set_text_cursor(10, 15);
    panel.Set_text_size(2);
    panel.Set_text_colour(0);
    std::vector<std::string> lines = Status_lines();
    for (const std::string& line : lines) panel.Write_text(line, 0, true);
    Shown() = {std::move(lines), in_use};
}

void VxMode::Refresh_status_lines() {
    VxMode_images* images = Images();
    if (!images) return;
    const Shown_status& shown = Shown();
    if (shown.panel == images->mode_panel_in_use && shown.lines == Status_lines()) return;
    Update_status_lines();
}

// The playing album's cached cover; the covers folder's placeholder when it cannot be opened.
void VxMode::Update_now_playing() {
    VxMode_images* images = Images();
    if (!images) return;
    VxPlaylist& playlist = VxPlaylist::Instance();
    VxDatabase& db = VxDatabase::Instance();
    if (playlist.Get_nof_items() == 0) return;
    const int index = std::clamp(playlist.Get_current_index(), 0, playlist.Get_nof_items() - 1);
    const int album = playlist.Get_item(index).cd_index;
    if (album < 0 || album >= db.Get_nof_cds()) return;
    std::string file = db.Get_cd_cached_cover(album);
    if (!File_exists(file)) file = VxRead::Instance().Covers_folder() + "IMAGE_no_cover.bmp";
    if (!File_exists(file)) file = images->Pics() + "IMAGE_no_cover.bmp";
    images->now_playing.Loading_surface(file, VxPicture::Cover);
}

void VxMode::Draw_type_box() {
    if (VxMode_images* images = Images()) images->type_box.Draw();
}

void VxMode::Draw_button_bar() {
    if (!button_bar_) return;
    VxButton::Instance().Draw_main_row(*button_bar_);
    VxButton::Instance().Draw_transport_row(*button_bar_);
}

void VxMode::Draw_mode_sign() {
    if (button_bar_) VxButton::Instance().Draw_extras(*button_bar_);
}
