// What the player's tests share: a list of song files as the player's source, and a small main
// loop that handles the player's timers and runs the fade tick, as the application shell will.
#pragma once

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/window.h"
#include "playback/VxAudio.h"
#include "playback/VxAudio_source.h"
#include "tests/support/test_support.h"

namespace AudioTest {

using Clock = std::chrono::steady_clock;

// Tests play to a fake sink that keeps real time; a caller may choose another sink.
inline void Use_fake_sink() {
    if (!std::getenv("TAVRIX_AUDIO_SINK")) TestSupport::Set_env("TAVRIX_AUDIO_SINK", "fakesink sync=true");
}

inline double Ms_since(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Songs by path: item i is album 0, song i, and the player's lookup gives its path back.
class File_list : public VxAudio_source {
public:
    explicit File_list(std::vector<std::string> paths) : paths_(std::move(paths)) {
        auto& audio = VxAudio::Instance();
        audio.Set_source(this);
        audio.Set_song_path_lookup([this](int, int song) { return paths_.at(static_cast<std::size_t>(song)); });
    }
    ~File_list() override { VxAudio::Instance().Set_source(nullptr); }

    int Get_nof_items() override { return static_cast<int>(paths_.size()); }
    VX_song_reference Get_item_song(int index) override { return VX_song_reference{0, index}; }
    void Start_and_update_next_song() override {
        ++next_calls;
        remaining_at_next.push_back(VxAudio::Instance().Get_remaining_time());
        current = (current + 1) % Get_nof_items();
        Platform::Message_queue::Instance().Set_timer(Timer_play, 700);
    }

    static constexpr unsigned Timer_play = 6;
    int current = 0;
    int next_calls = 0;
    std::vector<double> remaining_at_next;

private:
    std::vector<std::string> paths_;
};

// Runs the loop for ms milliseconds: timers 1, 6 and 7 as the shell handles them, the fade tick
// after every pass, and `each` (if given) after every tick. Returns early, true, on the quit message.
inline bool Run_loop(double ms, File_list* list = nullptr, const std::function<void()>& each = {}) {
    auto& queue = Platform::Message_queue::Instance();
    auto& audio = VxAudio::Instance();
    const auto start = Clock::now();
    while (Ms_since(start) < ms) {
        Platform::Message m;
        while (queue.Peek(m)) {
            if (m.kind == Platform::WM_QUIT) return true;
            if (m.kind != Platform::WM_TIMER) continue;
            if (m.wparam == VxAudioChannel::Timer_fade_start) {
                queue.Kill_timer(VxAudioChannel::Timer_fade_start);
                audio.Start_ramps();
            } else if (m.wparam == VxAudio::Timer_song_watch) {
                audio.Watch_end_of_song();
            } else if (m.wparam == File_list::Timer_play && list) {
                queue.Kill_timer(File_list::Timer_play);
                audio.Play_audio(list->current);
            }
        }
        audio.Fade_tick();
        if (each) each();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

}  // namespace AudioTest
