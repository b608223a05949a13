// The generic mode: always present, it sees every message after the current mode. It minimises
// and quits from its two window buttons and runs the end-of-song watch on timer 1.
#pragma once

#include <functional>

#include "modes/VxMode.h"

class VxModeGeneric : public VxMode {
public:
    VxModeGeneric();
    // How the generic mode finds the current mode, whose status lines timer 1 refreshes.
    void Set_current_mode_lookup(std::function<VxMode*()> lookup) { current_ = std::move(lookup); }

    // The shared images under the playlist and the panels: front panel, now-playing cover, mode
    // panels and side panel.
    void Draw_shared_images();
    void Draw_front() override;    // action panels A and B
    void Draw_overlay() override;  // the window's frame and close buttons

    // After the current mode has acted on a key, a character or a timer, the status lines follow.
    void On_key_down(int code) override;
    void On_char(int code) override;
    void On_timer(int timer_id) override;

protected:
    bool Shows_click_position() const override { return true; }

private:
    void Refresh_current_status();

    std::function<VxMode*()> current_;
};
