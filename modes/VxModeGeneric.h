// The generic mode: always present, it sees every message after the current mode. It minimises
// and quits from its two window buttons and runs the end-of-song watch on timer 1.
#pragma once

#include "modes/VxMode.h"

class VxModeGeneric : public VxMode {
public:
    VxModeGeneric();
    // The shell tells the generic mode which mode is current, for the status lines of timer 1.
    void Set_current_mode_object(VxMode* mode) { current_ = mode; }

    // The shared images under the playlist and the panels: front panel, now-playing cover, mode
    // panels and side panel.
    void Draw_shared_images();
    void Draw_front() override;    // action panels A and B
    void Draw_overlay() override;  // the window's frame and close buttons

    void On_key_down(int) override {}
    void On_char(int code) override;
    void On_timer(int timer_id) override;

private:
    VxMode* current_ = nullptr;
};
