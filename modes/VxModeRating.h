// The rating mode: one digit rates the playlist's current song (1..9 as 10..90, 0 as 100) in its
// album's tag file, then the mode closes one second later (timer 5, handled by the shell). UI thread only.
#pragma once

#include "modes/VxMode.h"

class VxModeBrowse;

class VxModeRating : public VxMode {
public:
    explicit VxModeRating(VxModeBrowse* browse);  // browse may be null (tests of the keys alone)

    void On_key_down(int) override {}  // no arrows here; every key acts as a character
    void On_char(int code) override;
    void On_timer(int) override {}  // timer 5 belongs to the shell

    static constexpr unsigned Close_after_rating_ms = 1000;

private:
    void Rate_current_song(int digit);
    VxModeBrowse* browse_;
};
