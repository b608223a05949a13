// The mode base: message routing to the mode's handlers, the button bar on Enter and Leave, and
// the player's status lines. The shared screen images are not drawn yet (see Draw_* below).
#include "modes/VxMode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "display/VxButton.h"
#include "display/VxDirectX.h"
#include "modes/VxShell.h"
#include "platform/dialogs.h"
#include "playback/VxAudio.h"
#include "settings/VxRead.h"

VxMode::VxMode(int mode_id, std::string name) : mode_id_(mode_id), name_(std::move(name)) {}
VxMode::~VxMode() = default;

namespace {
void Keep_rendering() {
    if (VxShell* shell = VxShell::Current()) shell->Keep_rendering();
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
            const int x = Platform::Point_x(message.lparam), y = Platform::Point_y(message.lparam);
            int w = 0, h = 0;
            VxDirectX::Instance().Get_window_size(w, h);
            const auto percent = [](int v, int size) { return size > 0 ? std::to_string(v * 100.0 / size) : "0"; };
            Platform::Message_box("VxMode", "x=" + std::to_string(x) + " (" + percent(x, w) + " %), y=" +
                                                std::to_string(y) + " (" + percent(y, h) + " %)");
            break;
        }
        default:
            break;
    }
}

void VxMode::Enter() {
    active_ = true;
    if (button_bar_) VxButton::Instance().Show_set(*button_bar_);
    Update_status_lines();
    Refresh();
}

void VxMode::Leave() {
    active_ = false;
    if (button_bar_) VxButton::Instance().Hide_set(*button_bar_);
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

// The mode panels, the now-playing cover and the type box are not built yet: these draw nothing.
void VxMode::Update_status_lines() {}
void VxMode::Update_now_playing() {}
void VxMode::Draw_type_box() {}

void VxMode::Draw_button_bar() {
    if (!button_bar_) return;
    VxButton::Instance().Draw_main_row(*button_bar_);
    VxButton::Instance().Draw_transport_row(*button_bar_);
}

void VxMode::Draw_mode_sign() {
    if (button_bar_) VxButton::Instance().Draw_extras(*button_bar_);
}
