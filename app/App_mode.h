// A mode as the shell sees it: the messages it routes and the drawing calls it makes each frame.
// The interaction modes are adapted to this in Mode_set.cpp; tests give the shell their own.
#pragma once

#include "platform/window.h"

class App_mode {
public:
    virtual ~App_mode() = default;
    virtual void Handle_message(const Platform::Message& message) = 0;
    virtual void Enter() = 0;
    virtual void Leave() = 0;
    virtual void Draw_back() {}
    virtual void Draw_front() {}
    virtual void Draw_overlay() {}
    virtual void Draw_button_bar() {}
    virtual void Draw_type_box() {}    // the current mode's one-line box (the strip behind the buttons)
    virtual void Draw_mode_sign() {}   // the current mode's extras above the frame
    virtual void Draw_bar_extras() {}  // the generic mode's button-bar extras
    virtual void Draw_layer_a() {}     // the generic mode's shared images below the panels
    virtual void Draw_layer_b() {}     // and above the frame
};
