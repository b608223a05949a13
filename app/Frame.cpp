// The message loop and the frame: while something moves, a frame at every refresh with the time between
// spent blocked (on the queue, then asleep to the frame: Wait_for_frame); sleep in Get otherwise. Each
// frame presents the one composed before and composes the next in a fixed layer order, paced by the
// refresh.
// A pass with nothing new to show (nothing moves, no message but a redraw since the last composition)
// only presents what is pending, so a quiet screen costs one composition per change.
#include "app/VxApplication.h"
#include "display/Frame_wait.h"
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
                // The pass that finds everything arrived may not be due for a frame: the resting positions
                // are news, composed by the next due pass (or a redraw's), or the screen would keep the
                // last moving frame, a pixel or so short of where everything stopped.
                was_animating_ = false;
                news_ = true;
                Keep_rendering();
                Render_frame();
            }
            if (queue.Peek(message)) Window_procedure(message);
            Render_frame();
            // Between a composed frame and its blank the loop blocks instead of spinning; a message ends
            // the wait early, and the fades are ticked at least once a frame.
            Wait_for_frame(pacer_, queue, VxTrace::Time_ms);
        } else {
            if (queue.Get(message)) {
                Window_procedure(message);
                Render_frame();
                Redraw_only_for_what_is_pending();
            } else if (!loop_quit_) {
                loop_quit_ = true;  // a quit message nobody announced still ends the loop
            }
        }
    }
}

// A pass of the quiet loop leaves what it composed to be presented by the next pass, and news it was
// not due to compose yet to a later one: the redraw brings that pass (also when the message that asked
// for the pass armed none, as the redraw's own pass does not). When nothing was composed, nothing waits
// to be and nothing moves (a window that shows nothing owes what only timers changed), the redraw
// would find nothing to do: it is not woken for.
void VxApplication::Redraw_only_for_what_is_pending() {
    if (frame_composed_ || news_)
        Keep_rendering();
    else if (!Anything_moving())
        Message_queue::Instance().Kill_timer(TIMER_REDRAW);
}

// One pass of the frame code: each step below is one named job, in the order the pass runs them.
void VxApplication::Render_frame() {
    Start_pacing();
    const double now = VxTrace::Time_ms();
    if (pacer_.Due(now)) {
        Schedule_next_frame(now);
        Present_pending_frame();
        Compose_if_anything_changed();
    }
    VxAudio::Instance().Fade_tick();
}

// The reported rate paces the first frames; the trace line it writes marks the first pass.
void VxApplication::Start_pacing() {
    if (pacing_started_) return;
    pacing_started_ = true;
    VxDirectX::Instance().Get_monitor_refresh_rate();
}

// The period the frames have measured replaces the reported one as soon as it is known.
void VxApplication::Schedule_next_frame(double now) {
    VxDirectX& display = VxDirectX::Instance();
    pacer_.Schedule_next(now, display.Refresh_period_ms(), display.Get_scan_line());
}

void VxApplication::Present_pending_frame() {
    if (frame_composed_) VxDirectX::Instance().Present();
    frame_composed_ = false;
}

void VxApplication::Compose_if_anything_changed() {
    const bool moving = Anything_moving();
    if (!news_ && !moving) return;
    news_ = false;
    // On a window that shows nothing, what only timers changed while nothing moves and no quit runs
    // (the status lines, the time left) waits for whoever reads the frame: a screenshot, or the
    // composition that input or motion brings. Timers change the panels in their handlers, not in
    // the drawing, so that later composition gives the frame this one would have.
    if (!moving && !news_beyond_timers_ && !quitting_ && !Window::Instance().Shows_frames()) {
        compose_owed_ = true;
        return;
    }
    news_beyond_timers_ = false;
    Compose_frame();
}

// Every layer into the back buffer, back to front.
void VxApplication::Compose_frame() {
    compose_owed_ = false;
    Draw_background_layers();
    Draw_mode_layers();
    Draw_frame_layers();
    Draw_captions();
    frame_composed_ = true;
    // The pictures decoded ahead are for the first frame, which has now taken what it draws.
    if (!first_frame_composed_) VxDirectX::Instance().End_prefetch();
    first_frame_composed_ = true;
    if (quitting_) Progress_saving_database();
}

void VxApplication::Draw_background_layers() {
    App_mode* generic = modes_.Generic();
    background_.Draw();
    if (generic) generic->Draw_layer_a();
    Draw_playlist_panel();
}

// The modes' panels: generic, current and the one leaving, then the type box, the two button bars in mode
// order, then the fronts.
void VxApplication::Draw_mode_layers() {
    App_mode* generic = modes_.Generic();
    App_mode* current = modes_.Current_object();
    App_mode* previous = modes_.Previous_object();
    auto each = [&](void (App_mode::*draw)()) {
        if (generic) (generic->*draw)();
        if (current) (current->*draw)();
        if (previous && previous != current) (previous->*draw)();
    };
    each(&App_mode::Draw_back);
    if (current) current->Draw_type_box();
    const bool current_first = modes_.Current() <= modes_.Previous();
    App_mode* first = current_first ? current : previous;
    App_mode* second = current_first ? previous : current;
    if (first) first->Draw_button_bar();
    if (second && second != first) second->Draw_button_bar();
    each(&App_mode::Draw_front);
}

void VxApplication::Draw_frame_layers() {
    App_mode* generic = modes_.Generic();
    App_mode* current = modes_.Current_object();
    frame_.Draw();
    if (current) current->Draw_mode_sign();
    if (generic) {
        generic->Draw_bar_extras();
        generic->Draw_layer_b();
    }
}

void VxApplication::Draw_captions() {
    playlist_caption_.Draw();
    caption_slots_[0].Draw();
    caption_slots_[1].Draw();
    final_caption_.Draw();
    if (App_mode* generic = modes_.Generic()) generic->Draw_overlay();
}
