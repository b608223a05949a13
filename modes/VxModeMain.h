// The main mode: the start screen with the intro image on the content panel, and the hub from
// which the other modes are opened. The first current mode. UI thread only.
#pragma once

#include "modes/VxMode.h"

class VxModeMain : public VxMode {
public:
    VxModeMain();

    void Refresh() override;  // the intro image into the content panel
    void Enter() override;
    void Leave() override;
    void Draw_front() override;
    void On_key_down(int) override {}
    void On_char(int code) override;
    void On_timer(int) override {}
};
