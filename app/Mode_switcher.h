// The current and previous mode and the switch between them: leave the old mode, enter the new one,
// keep the mode both rating and volume return to, and start the time-outs of the timed modes.
#pragma once

#include <array>
#include <functional>

#include "app/App_mode.h"
#include "modes/Mode_ids.h"

class Mode_switcher {
public:
    static constexpr unsigned Timed_mode_timeout_ms = 30000;

    // What a switch reaches outside: the caption to show, the trace line, and the box for an unknown id.
    struct Hooks {
        std::function<void(int mode_id)> show_caption;
        std::function<void(const char* text)> trace;
        std::function<void(const char* text)> message_box;
    };

    void Set_hooks(Hooks hooks) { hooks_ = std::move(hooks); }
    void Set_mode_object(int mode_id, App_mode* mode);  // ids outside the table are ignored
    App_mode* Mode_object(int mode_id) const;
    void Set_generic(App_mode* generic) { generic_ = generic; }
    App_mode* Generic() const { return generic_; }

    // Leaving a timed mode (volume, rating, search, options) stops its time-out first.
    void Set_mode(int mode_id);
    // Timer 5: the timed mode falls back to the mode before it.
    void On_mode_timeout();

    int Current() const { return current_; }
    int Previous() const { return previous_; }
    App_mode* Current_object() const { return Mode_object(current_); }
    App_mode* Previous_object() const { return Mode_object(previous_); }

private:
    void On_mode_switched(int mode_id);

    std::array<App_mode*, Mode_table_size> table_{};
    App_mode* generic_ = nullptr;
    int current_ = MODE_MAIN;
    int previous_ = MODE_MAIN;
    Hooks hooks_;
};
