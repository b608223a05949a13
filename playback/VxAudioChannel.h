// One of the player's two playback channels: a worker thread that builds, runs and tears down one
// media graph per song, and the user-interface side that starts, stops, pauses and fades it.
// The user-interface thread calls every public operation; the worker meets it only through the
// signals and the graph of their shared link, which a lock guards so that no call reaches a
// released graph. The user-interface thread never waits for a worker without a deadline: a worker
// stuck in the back end (a FIFO named like a song blocks in open) is abandoned with its link, and
// a new one takes the channel's next song.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/media.h"
#include "playback/Binary_signal.h"
#include "trace/VxProfile.h"

class VxAudioChannel {
public:
    // Play states.
    static constexpr int Playing = 0;
    static constexpr int Stopped = 1;
    static constexpr int Paused = 2;
    // Fade states.
    static constexpr int Fade_in = 0;       // up to the main volume
    static constexpr int Fade_down = 1;     // down to a level that is not silence
    static constexpr int Fade_zeroing = 2;  // to silence, then pause
    static constexpr int Fade_quit = 3;     // to silence, then stop and quit the application
    static constexpr int Fade_stop = 4;     // to silence, then stop (the song being replaced)
    static constexpr int Fade_idle = 5;

    // The window timer whose expiry starts the fade-out of a replaced song.
    static constexpr unsigned Timer_fade_start = 7;
    static constexpr unsigned Fade_start_delay_ms = 300;

    // Creates the ramp (registered with the profile registry), the semaphores and the worker.
    explicit VxAudioChannel(int number);
    // Halts any song and ends the worker, so the channel can go without leaving a thread behind.
    ~VxAudioChannel();
    VxAudioChannel(const VxAudioChannel&) = delete;
    VxAudioChannel& operator=(const VxAudioChannel&) = delete;

    // How long a song may take to start before it fails as an unopenable one would.
    static constexpr int Start_deadline_ms = 5000;

    // Hands the song to the worker and returns once its graph runs, at the given level, or after
    // Start_deadline_ms: the song then failed (an error line says so) and left no graph.
    void Start_channel(const std::string& song_path, double main_volume);
    // Halts a playing or paused song for good (its worker returns for the next one).
    void Stop();
    // Pauses a playing song keeping its position, or resumes a paused one.
    void Pause_toggle();
    void Fade_to(double target);
    // Holds the present level and fades to silence once timer 7 starts the ramp, then stops.
    void Fade_out_and_stop();
    void Apply_ramp();
    // The level read back from the graph; 100 when there is none.
    double Get_level();
    // Shutdown: a playing song fades out (Fade_quit), a paused one stops at once.
    void Quit_channel();

    // Seconds, or 999 when there is no graph or the channel is stopped.
    double get_duration();
    double get_snd_position();

    // Whether a song's graph is live on this channel (it is released when the song ends or fails).
    bool Has_graph();
    // Halts whatever graph is live without touching the play state.
    void Halt_graph();

    int Get_play_state() const { return play_state_; }
    void Set_play_state(int state) { play_state_ = state; }
    int Get_fade_state() const { return fade_state_; }
    // A fade that ends leaves its ramp at rest: nothing reads the ramp once the channel is idle, and the
    // main loop would otherwise count it as moving for ever.
    void Set_fade_state(int state) {
        fade_state_ = state;
        if (state == Fade_idle) ramp_.Set_moving(false);
    }
    int Get_number() const { return number_; }
    VxProfile& Ramp() { return ramp_; }

private:
    // What the user-interface thread and one worker share. The worker keeps its link alive, so a
    // worker abandoned while stuck finds, when it comes back, a link that nobody else uses.
    struct Link {
        // Handed over through start: written by the user-interface thread before the release.
        std::string song_path;
        double start_level = 0;
        std::uint64_t start_number = 0;  // counts the starts handed to this link

        std::mutex mutex;  // guards everything below
        std::unique_ptr<Platform::Media_graph> graph;
        std::uint64_t graph_start = 0;  // the start whose song the graph plays
        bool quit = false;              // the worker leaves its loop after the current song
        bool done = false;              // the worker has left its loop
        bool ending = false;            // the channel is being destroyed
        bool abandoned = false;         // the channel gave up on this worker: it tears down and leaves

        Binary_signal start;
        Binary_signal control;
    };

    static void Worker(std::shared_ptr<Link> link);
    // False when the channel abandoned the worker while it built the graph.
    static bool Play_one_song(Link& link);
    void Start_worker_if_gone();
    void Start_worker();
    void Abandon_worker(const std::string& song_path);

    // Runs f on the live graph under the lock; false when there is none.
    template <class F>
    bool With_graph(F&& f) {
        std::lock_guard<std::mutex> lock(link_->mutex);
        if (!link_->graph) return false;
        f(*link_->graph);
        return true;
    }

    // User-interface thread only.
    std::shared_ptr<Link> link_;
    std::thread worker_;
    int play_state_ = Stopped;
    int fade_state_ = Fade_idle;
    int number_;
    VxProfile ramp_;
    Binary_signal sem_quit_;
};
