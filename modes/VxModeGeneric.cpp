// The generic mode's handlers. Its button set (the digit row and the two window buttons) is
// made only once the display is up, so the mode also works in tests without a window.
#include "modes/VxModeGeneric.h"

#include "display/VxButton.h"
#include "display/VxDirectX.h"
#include "modes/Mode_ids.h"
#include "modes/VxShell.h"
#include "playback/VxAudio.h"

VxModeGeneric::VxModeGeneric() : VxMode(0, "Main Mode") {
    if (VxDirectX::Instance().Is_initialised()) button_bar_ = VxButton::Instance().Make_button_set(VxButton_mode::Generic);
}

void VxModeGeneric::On_char(int code) {
    VxShell* shell = VxShell::Current();
    if (!shell) return;
    if (code == Code_minimise) shell->Minimise();
    if (code == Code_quit) shell->quit();
}

void VxModeGeneric::On_timer(int timer_id) {
    if (timer_id != static_cast<int>(TIMER_TICK)) return;
    VxAudio::Instance().Watch_end_of_song();
    if (current_) current_->Update_status_lines();
}
