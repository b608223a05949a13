// The message loop and the frame: spin while something moves, sleep in Get otherwise; each frame
// presents the one composed before and composes the next in a fixed layer order, paced by the refresh.
// A pass with nothing new to show (nothing moves, no message but a redraw since the last composition)
// only presents what is pending, so a quiet screen costs one composition per change.
#include "app/VxApplication.h"
#include "display/VxBitmap.h"
#include "display/VxDirectX.h"
#include "playback/VxAudio.h"
#include "trace/Profile_registry.h"
#include "trace/VxTrace.h"

using namespace Platform;

bool VxApplication::Anything_moving() {
    // A profile counts as moving until it is read again, so the bitmaps are read first: one that
    // arrived while no mode draws it any more would otherwise keep the loop spinning for ever.
    return VxBitmap::Any_moving() || Profile_registry::Instance().Any_running();
}

void VxApplication::Message_loop() {
    Message_queue& queue = Message_queue::Instance();
    Message message;
    bool got = queue.Get(message);
    if (got) {
        Window_procedure(message);
        Render_frame();
    }
    while (!loop_quit_) {
        const bool busy = Anything_moving();
        spinning_ = busy || was_animating_;
        if (spinning_) {
            if (busy) {
                was_animating_ = true;
            } else {
                was_animating_ = false;
                Keep_rendering();
                Render_frame();
            }
            if (queue.Peek(message)) Window_procedure(message);
            Render_frame();
            // Between a composed frame and its blank the loop blocks instead of spinning; a message ends
            // the wait early, and the fades are ticked at least once a frame.
            if (const int sleep_ms = pacer_.Sleep_ms(VxTrace::Time_ms())) queue.Wait(sleep_ms);
        } else {
            if (queue.Get(message)) {
                Window_procedure(message);
                Render_frame();
            } else if (!loop_quit_) {
                loop_quit_ = true;  // a quit message nobody announced still ends the loop
            }
        }
    }
}

void VxApplication::Render_frame() {
    VxDirectX& display = VxDirectX::Instance();
    if (!pacing_started_) {
        pacing_started_ = true;
        display.Get_monitor_refresh_rate();
    }
    // The period the frames have measured replaces the reported one as soon as it is known.
    const double now = VxTrace::Time_ms();
    if (pacer_.Due(now)) {
        pacer_.Schedule_next(now, display.Refresh_period_ms(), display.Get_scan_line());
        if (frame_composed_) display.Present();
        frame_composed_ = false;
        if (news_ || Anything_moving()) {
            news_ = false;
            Compose_frame();
        }
    }
    VxAudio::Instance().Fade_tick();
}

void VxApplication::Compose_frame() {
    App_mode* generic = modes_.Generic();
    App_mode* current = modes_.Current_object();
    App_mode* previous = modes_.Previous_object();
    auto each = [&](void (App_mode::*draw)()) {
        if (generic) (generic->*draw)();
        if (current) (current->*draw)();
        if (previous && previous != current) (previous->*draw)();
    };
    background_.Draw();
    if (generic) generic->Draw_layer_a();
    Draw_playlist_panel();
    each(&App_mode::Draw_back);
    if (current) current->Draw_type_box();
    const bool current_first = modes_.Current() <= modes_.Previous();
    App_mode* first = current_first ? current : previous;
    App_mode* second = current_first ? previous : current;
    if (first) first->Draw_button_bar();
    if (second && second != first) second->Draw_button_bar();
    each(&App_mode::Draw_front);
    frame_.Draw();
    if (current) current->Draw_mode_sign();
    if (generic) {
        generic->Draw_bar_extras();
        generic->Draw_layer_b();
    }
    playlist_caption_.Draw();
    caption_slots_[0].Draw();
    caption_slots_[1].Draw();
    final_caption_.Draw();
    if (generic) generic->Draw_overlay();
    frame_composed_ = true;
    if (quitting_) Progress_saving_database();
}
