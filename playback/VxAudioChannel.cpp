// A playback channel: the worker's song loop and the user-interface side of start, stop, pause and fades.
// The worker releases a graph only after taking it out of its link under the lock, and destroys it outside.
#include "playback/VxAudioChannel.h"

#include <chrono>
#include <exception>

#include "platform/dialogs.h"
#include "platform/process.h"
#include "platform/window.h"
#include "playback/Audio_level.h"
#include "trace/Profile_registry.h"
#include "trace/VxTrace.h"

namespace {
constexpr double Not_available = 999;

std::string Render_failure_text(Platform::Render_result result, const std::string& path) {
    switch (result) {
        case Platform::Render_result::ok:
            return "";
        case Platform::Render_result::invalid_file_format:
            return "The file format is invalid.";
        case Platform::Render_result::unknown_file_type:
            return "The media type of this file: " + path + " is not recognized.";
        case Platform::Render_result::unsupported_stream:
            return "Cannot playback the file:" + path + ". \nThe format is not supported. \n";
        case Platform::Render_result::other_failure:
            break;
    }
    return "Failed to render file: " + path + ". \nBut why ??";
}
}  // namespace

VxAudioChannel::VxAudioChannel(int number) : number_(number) {
    ramp_.Set_preset(0);
    ramp_.Set_form(1);
    ramp_.Set_position(100);
    ramp_.Set_destination(0);
    Profile_registry::Instance().Add(&ramp_);
    Start_worker();
}

VxAudioChannel::~VxAudioChannel() {
    {
        std::lock_guard<std::mutex> lock(link_->mutex);
        link_->ending = true;
        if (link_->graph) link_->graph->Stop();
        // A worker waiting for its next song needs the start signal to see the end.
        if (!link_->done) link_->start.Release();
    }
    if (worker_.joinable()) worker_.join();
    Profile_registry::Instance().Remove(&ramp_);
}

void VxAudioChannel::Start_worker() {
    link_ = std::make_shared<Link>();
    worker_ = std::thread(&VxAudioChannel::Worker, link_);
}

// ---- The worker thread. It touches only its link (and the process-wide trace), never the channel.

void VxAudioChannel::Worker(std::shared_ptr<Link> link) {
    auto& trace = VxTrace::Instance();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(link->mutex);
            if (link->quit || link->ending) {
                link->done = true;
                return;
            }
        }
        trace.Write("Wait for SemStart");
        link->start.Acquire();
        trace.Write("Wait for SemStart Ready..");
        {
            std::lock_guard<std::mutex> lock(link->mutex);
            if (link->ending) {
                link->done = true;
                return;
            }
        }
        if (!Play_one_song(*link)) return;
    }
}

bool VxAudioChannel::Play_one_song(Link& link) {
    // Read only after the start signal: the user-interface thread wrote them before releasing it.
    const std::string path = link.song_path;
    const double level = link.start_level;
    const std::uint64_t number = link.start_number;

    std::unique_ptr<Platform::Media_graph> graph = Platform::Media_graph::Create();
    if (!graph) {
        Platform::Message_box("VxAudio", "Could not create COM filtergraph");
        Platform::Exit_process(1);
    }
    try {
        const Platform::Render_result result = graph->Render_file(path);
        if (result != Platform::Render_result::ok) VxTrace::Instance().Write_error(Render_failure_text(result, path));
    } catch (const std::exception& e) {
        VxTrace::Instance().Write_error(std::string(" : ") + e.what());
    }
    // A graph that failed to render takes these calls and ends its completion wait at once.
    graph->Set_volume(Level_to_volume(level));
    Platform::Media_graph* live = graph.get();
    {
        std::lock_guard<std::mutex> lock(link.mutex);
        if (link.abandoned) {
            // The channel stopped waiting and plays its songs on another worker: this song never sounds.
            link.done = true;
            return false;
        }
        link.graph = std::move(graph);
        link.graph_start = number;
        // Destruction raced with the hand-over: the song must not keep the worker.
        if (link.ending) link.graph->Stop();
    }
    live->Run();
    link.control.Release();

    // The graph stays alive during the wait: only this thread takes it out of the link.
    live->Wait_for_completion();

    std::unique_ptr<Platform::Media_graph> finished;
    {
        std::lock_guard<std::mutex> lock(link.mutex);
        finished = std::move(link.graph);
    }
    // Tearing a pipeline down takes a while; the user-interface thread does not wait for it.
    finished.reset();
    return true;
}

void VxAudioChannel::Start_worker_if_gone() {
    // A worker that left after a quit would never take the next song.
    {
        std::lock_guard<std::mutex> lock(link_->mutex);
        link_->quit = false;
        if (!link_->done) return;
    }
    if (worker_.joinable()) worker_.join();
    Start_worker();
}

void VxAudioChannel::Abandon_worker(const std::string& song_path) {
    {
        std::lock_guard<std::mutex> lock(link_->mutex);
        if (link_->graph && link_->graph_start == link_->start_number) {
            // It came just now: the hand-over signal is on its way. A graph of an earlier start would
            // send none, and waiting for it would hang the user-interface thread.
            link_->control.Acquire();
            return;
        }
        link_->abandoned = true;
    }
    VxTrace::Instance().Write_error("Failed to render file: " + song_path + ". \nIt did not start within " +
                                    std::to_string(Start_deadline_ms / 1000) + " s");
    // The stuck thread keeps its own link; nothing of the channel is left for it to touch.
    worker_.detach();
    Start_worker();
}

// ---- The user-interface side.

void VxAudioChannel::Start_channel(const std::string& song_path, double main_volume) {
    if (play_state_ == Playing || play_state_ == Paused) {
        Stop();
        ramp_.Set_position(main_volume);
        ramp_.Set_destination(main_volume);
        ramp_.Set_moving(false);
        fade_state_ = Fade_idle;
    }
    // A graph can outlive its play state (the end-of-song watch stops a fading song without a
    // graph call); its worker would never come back for this song, so halt it too.
    Halt_graph();

    Start_worker_if_gone();
    link_->song_path = song_path;
    link_->start_level = main_volume;
    ++link_->start_number;
    auto& trace = VxTrace::Instance();
    trace.Write("Wait for SemControl");
    link_->start.Release();
    if (!link_->control.Try_acquire_for(std::chrono::milliseconds(Start_deadline_ms))) Abandon_worker(song_path);
    trace.Write("Wait for SemControl Ready..");
    // A song that failed, or did not start in time, has no graph: the end-of-song watch moves on.
    play_state_ = Playing;
}

void VxAudioChannel::Stop() {
    if (play_state_ != Playing && play_state_ != Paused) {
        Platform::Message_box("VxAudio", "Error! Invalid sound status.");
        return;
    }
    bool ok = false;
    if (With_graph([&](Platform::Media_graph& g) { ok = g.Stop(); }) && ok) play_state_ = Stopped;
}

void VxAudioChannel::Pause_toggle() {
    bool ok = false;
    if (play_state_ == Playing) {
        if (With_graph([&](Platform::Media_graph& g) { ok = g.Pause(); }) && ok) play_state_ = Paused;
    } else if (play_state_ == Paused) {
        if (With_graph([&](Platform::Media_graph& g) { ok = g.Run(); }) && ok) play_state_ = Playing;
    }
}

double VxAudioChannel::Get_level() {
    int volume = 0;
    With_graph([&](Platform::Media_graph& g) {
        if (!g.Get_volume(volume)) volume = 0;
    });
    return Volume_to_level(volume);
}

void VxAudioChannel::Fade_to(double target) {
    const double level = Get_level();
    ramp_.Set_position(level);
    ramp_.Set_destination(target);
    ramp_.Start();
    if (target < 0.05)
        fade_state_ = Fade_zeroing;
    else if (target < level)
        fade_state_ = Fade_down;
    else
        fade_state_ = Fade_in;
}

void VxAudioChannel::Fade_out_and_stop() {
    if (!Has_graph()) return;
    ramp_.Set_position(Get_level());
    ramp_.Set_destination(0);
    Platform::Message_queue::Instance().Set_timer(Timer_fade_start, Fade_start_delay_ms);
    fade_state_ = Fade_stop;
}

void VxAudioChannel::Apply_ramp() {
    const int volume = Level_to_volume(ramp_.Value());
    With_graph([&](Platform::Media_graph& g) { g.Set_volume(volume); });
}

void VxAudioChannel::Quit_channel() {
    {
        std::lock_guard<std::mutex> lock(link_->mutex);
        link_->quit = true;
    }
    if (Has_graph()) {
        if (play_state_ == Playing) {
            Fade_out_and_stop();
            fade_state_ = Fade_quit;
        } else if (play_state_ == Paused) {
            bool ok = false;
            if (With_graph([&](Platform::Media_graph& g) { ok = g.Stop(); }) && ok) play_state_ = Stopped;
        }
    } else {
        // A song that ended or failed left no graph: nothing plays, so nothing must fade before quitting.
        play_state_ = Stopped;
    }
    auto& trace = VxTrace::Instance();
    sem_quit_.Release();
    trace.Write("Wait for SemQuit");
    sem_quit_.Acquire();
    trace.Write("Wait for SemQuit Done.");
}

double VxAudioChannel::get_duration() {
    if (play_state_ == Stopped) return Not_available;
    double seconds = Not_available;
    bool ok = false;
    // A graph that knows its position but not yet its length is measuring it: an MP3 without a length
    // header is timed from its first half second of play. That is no failed call, and it is not traced.
    bool measuring = false;
    if (!With_graph([&](Platform::Media_graph& g) {
            ok = g.Duration(seconds);
            double position = 0;
            if (!ok) measuring = g.Position(position);
        }))
        return Not_available;
    if (!ok) {
        if (!measuring) VxTrace::Instance().Write_error("DEACT error in 'get_duration'");
        return Not_available;
    }
    return seconds;
}

double VxAudioChannel::get_snd_position() {
    if (play_state_ == Stopped) return Not_available;
    double seconds = Not_available;
    bool ok = false;
    if (!With_graph([&](Platform::Media_graph& g) { ok = g.Position(seconds); })) return Not_available;
    if (!ok) {
        VxTrace::Instance().Write_error("DEACT error in 'get_snd_position'");
        return Not_available;
    }
    return seconds;
}

bool VxAudioChannel::Has_graph() {
    std::lock_guard<std::mutex> lock(link_->mutex);
    return link_->graph != nullptr;
}

void VxAudioChannel::Halt_graph() {
    With_graph([](Platform::Media_graph& g) { g.Stop(); });
}
