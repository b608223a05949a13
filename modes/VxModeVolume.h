// The volume mode: sets the audio player's main volume (0..100) with digits, steps, halving and
// doubling, and closes itself one second after a change (timer 5, handled by the shell). UI thread only.
#pragma once

#include "modes/VxMode.h"

class VxModeBrowse;

class VxModeVolume : public VxMode {
public:
    explicit VxModeVolume(VxModeBrowse* browse);  // browse may be null (tests of the keys alone)

    // The volume steps, each traced with its name and kept within 0..100.
    static void volume_up();
    static void volume_down();
    static void volume_half();
    static void volume_double();

    void On_key_down(int) override {}  // no arrows here; every key acts as a character
    void On_char(int code) override;
    void On_timer(int) override {}  // timer 5 belongs to the shell

    static constexpr unsigned Close_after_change_ms = 1000;

private:
    // Sets the main volume within 0..100 and lets the mode close one second later.
    static void Set_volume(double level);
    VxModeBrowse* browse_;
};
