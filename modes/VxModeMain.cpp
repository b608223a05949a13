// The main mode's panel and keys. The content panel comes in from below right when the mode is
// entered and leaves the same way, so the album panel beneath it shows again in the next mode.
#include "modes/VxModeMain.h"

#include "display/VxButton.h"
#include "display/VxDirectX.h"
#include "modes/Mode_ids.h"
#include "modes/Mode_images.h"
#include "modes/Mode_support.h"
#include "modes/VxShell.h"

namespace {
using Mode_support::Images;  // null without a display: tests of the key logic draw nothing
constexpr const char* Intro_file = "IMAGE_intro.jpg";
}  // namespace

VxModeMain::VxModeMain() : VxMode(MODE_MAIN, "Main Mode") {
    if (Images()) button_bar_ = VxButton::Instance().Make_button_set(VxButton_mode::Main);
}

void VxModeMain::Refresh() {
    if (VxMode_images* images = Images()) images->Reload(images->content_panel, Intro_file);
}

void VxModeMain::Enter() {
    if (VxMode_images* images = Images()) {
        images->content_panel.Set_position(VxMode_images::Action_hidden_x, 120);
        images->content_panel.Set_target(VxMode_images::Action_x, VxMode_images::Action_y);
        images->content_panel.Start_move();
    }
    VxMode::Enter();
}

void VxModeMain::Leave() {
    if (VxMode_images* images = Images()) {
        images->content_panel.Freeze();
        images->content_panel.Set_target(VxMode_images::Action_hidden_x, 120);
        images->content_panel.Start_move();
    }
    VxMode::Leave();  // slides the mode panel in use out
}

void VxModeMain::Draw_front() {
    if (VxMode_images* images = Images()) images->content_panel.Draw();
}

void VxModeMain::On_char(int code) {
    if (Handle_playback_char(code)) return;
    if (auto mode = Mode_for_letter(code, {MODE_BROWSE, MODE_OPTIONS, MODE_RATING, MODE_SEARCH, MODE_VOLUME})) {
        Set_mode(*mode);
        return;
    }
    switch (code) {
        case 'Q':
        case 'q':
            if (VxShell* shell = VxShell::Current()) shell->quit();
            break;
        default:
            break;
    }
}
