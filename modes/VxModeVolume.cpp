// The volume mode's keys. Every change restarts timer 5 with one second, so the mode closes
// soon after the last change; the letters that switch modes leave the timer running.
#include "modes/VxModeVolume.h"

#include <algorithm>

#include "display/VxButton.h"
#include "modes/Mode_ids.h"
#include "modes/Mode_support.h"
#include "modes/VxModeBrowse.h"
#include "playback/VxAudio.h"
#include "trace/VxTrace.h"

VxModeVolume::VxModeVolume(VxModeBrowse* browse) : VxMode(MODE_VOLUME, "Volume Mode"), browse_(browse) {
    if (!Mode_support::Images()) return;
    button_bar_ = VxButton::Instance().Make_button_set(VxButton_mode::Volume);
    if (browse_) browse_->Add_cover_places(*button_bar_);  // a click on a cover opens that album
}

void VxModeVolume::Set_volume(double level) {
    VxAudio::Instance().Set_main_volume(std::clamp(level, 0.0, 100.0));
    Mode_support::Start_timer(TIMER_MODE_TIMEOUT, Close_after_change_ms);
}

void VxModeVolume::volume_up() {
    VxTraceScope scope("volume_up");
    Set_volume(VxAudio::Instance().Get_main_volume() + 1);
}

void VxModeVolume::volume_down() {
    VxTraceScope scope("volume_down");
    Set_volume(VxAudio::Instance().Get_main_volume() - 1);
}

void VxModeVolume::volume_half() {
    VxTraceScope scope("volume_half");
    Set_volume(VxAudio::Instance().Get_main_volume() * 0.5);
}

void VxModeVolume::volume_double() {
    VxTraceScope scope("volume_double");
    Set_volume(VxAudio::Instance().Get_main_volume() * 2);
}

void VxModeVolume::On_char(int code) {
    if (code >= '1' && code <= '9') {
        Set_volume((code - '0') * 10.0);
        return;
    }
    if (Mode_support::Is_cover_code(code)) {
        Mode_support::Open_cover(browse_, code);
        return;
    }
    if (Handle_playback_char(code)) return;
    if (auto mode = Mode_for_letter(code, {MODE_BROWSE, MODE_RATING, MODE_SEARCH})) {
        Set_mode(*mode);
        return;
    }
    switch (code) {
        case '0':
            Set_volume(100);
            break;
        case '+':
        case '=':
            volume_up();
            break;
        case '-':
        case '_':
            volume_down();
            break;
        case 'H':
        case 'h':
            volume_half();
            break;
        case 'D':
        case 'd':
            volume_double();
            break;
        case 8:
        case 27:
            Set_mode(MODE_BROWSE);
            break;
        default:
            break;
    }
}
