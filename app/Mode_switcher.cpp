// Mode switching: leave, enter, the rating/volume swap that keeps the mode both return to, and the
// per-mode captions, time-outs and trace lines.
#include "app/Mode_switcher.h"

#include "platform/window.h"

void Mode_switcher::Set_mode_object(int mode_id, App_mode* mode) {
    if (mode_id >= 0 && mode_id < Mode_table_size) table_[mode_id] = mode;
}

App_mode* Mode_switcher::Mode_object(int mode_id) const {
    return mode_id >= 0 && mode_id < Mode_table_size ? table_[mode_id] : nullptr;
}

namespace {
// The modes that close by themselves through timer 5.
bool Is_timed(int mode_id) {
    return mode_id == MODE_VOLUME || mode_id == MODE_RATING || mode_id == MODE_SEARCH || mode_id == MODE_OPTIONS;
}
}  // namespace

void Mode_switcher::Set_mode(int mode_id) {
    if (mode_id == MODE_PREVIOUS) mode_id = previous_;
    // The time-out belongs to the mode being left: fired later in another mode it would bring the
    // timed mode back, and the next digit meant for that mode would rate or set the volume. A
    // timed mode being entered starts its own again below (the search mode in its Enter).
    if (Is_timed(current_)) Platform::Message_queue::Instance().Kill_timer(TIMER_MODE_TIMEOUT);
    if (App_mode* old_mode = Mode_object(current_)) old_mode->Leave();
    if (App_mode* new_mode = Mode_object(mode_id)) new_mode->Enter();
    const bool swap =
        (current_ == MODE_RATING && mode_id == MODE_VOLUME) || (current_ == MODE_VOLUME && mode_id == MODE_RATING);
    if (!swap) previous_ = current_;
    current_ = mode_id;
    On_mode_switched(mode_id);
}

void Mode_switcher::On_mode_timeout() {
    Platform::Message_queue::Instance().Kill_timer(TIMER_MODE_TIMEOUT);
    Set_mode(MODE_PREVIOUS);
}

void Mode_switcher::On_mode_switched(int mode_id) {
    auto caption = [this](int id) {
        if (hooks_.show_caption) hooks_.show_caption(id);
    };
    auto timeout = [] { Platform::Message_queue::Instance().Set_timer(TIMER_MODE_TIMEOUT, Timed_mode_timeout_ms); };
    auto trace = [this](const char* text) {
        if (hooks_.trace) hooks_.trace(text);
    };
    switch (mode_id) {
        case MODE_BROWSE:
            caption(MODE_BROWSE);
            trace("BROWSE MODE - Key b");
            break;
        case MODE_VOLUME:
            caption(MODE_VOLUME);
            timeout();
            break;
        case MODE_RATING:
            caption(MODE_RATING);
            timeout();
            break;
        case MODE_SEARCH:
            break;  // the search mode shows its own caption
        case MODE_SELECT:
            caption(MODE_BROWSE);
            break;
        case MODE_MAIN:
            caption(MODE_MAIN);
            trace("set_main_mode");
            break;
        case MODE_OPTIONS:
            caption(MODE_OPTIONS);
            timeout();
            break;
        default:
            if (hooks_.message_box) hooks_.message_box("Invalid switch during switch mode");
            break;
    }
}
