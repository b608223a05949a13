// The generic mode's handlers. Its button set (the digit row and the two window buttons) is
// made only once the display is up, so the mode also works in tests without a window.
#include "modes/VxModeGeneric.h"

#include "display/VxButton.h"
#include "display/VxDirectX.h"
#include "modes/Mode_ids.h"
#include "modes/Mode_images.h"
#include "modes/VxShell.h"
#include "playback/VxAudio.h"

VxModeGeneric::VxModeGeneric() : VxMode(0, "Main Mode") {
    if (VxDirectX::Instance().Is_initialised())
        button_bar_ = VxButton::Instance().Make_button_set(VxButton_mode::Generic);
}

void VxModeGeneric::On_key_down(int) { Refresh_current_status(); }

void VxModeGeneric::On_char(int code) {
    if (VxShell* shell = VxShell::Current()) {
        if (code == Code_minimise) shell->Minimise();
        if (code == Code_quit) shell->quit();
    }
    Refresh_current_status();
}

void VxModeGeneric::On_timer(int timer_id) {
    // Timer 1 ticks only while a song plays; without it a change still shows after its key.
    if (timer_id == static_cast<int>(TIMER_TICK)) VxAudio::Instance().Watch_end_of_song();
    Refresh_current_status();
}

void VxModeGeneric::Refresh_current_status() {
    if (VxMode* current = current_ ? current_() : nullptr) current->Refresh_status_lines();
}

void VxModeGeneric::Draw_shared_images() {
    if (!VxDirectX::Instance().Is_initialised()) return;
    VxMode_images& images = VxMode_images::Instance();
    images.front_panel.Draw();
    images.now_playing.Draw();
    images.mode_panel[0].Draw();
    images.mode_panel[1].Draw();
    images.side_panel.Draw();
}

void VxModeGeneric::Draw_front() {
    if (!VxDirectX::Instance().Is_initialised()) return;
    VxMode_images& images = VxMode_images::Instance();
    images.action_panel[0].Draw();
    images.action_panel[1].Draw();
}

void VxModeGeneric::Draw_overlay() {
    if (button_bar_) VxButton::Instance().Draw_extras(*button_bar_);
}
