// A developer command to hear the cross-fade: plays the first song, starts the second part-way
// through, and prints the player's state and fade texts whenever they change.
// Usage: tavrix_crossfade FIRST SECOND [seconds before the change, default 8]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/window.h"
#include "playback/VxAudio.h"
#include "playback/VxAudio_source.h"

namespace {
using Clock = std::chrono::steady_clock;

// The two songs as the player's source; the second song is the last one.
class Two_songs : public VxAudio_source {
public:
    explicit Two_songs(std::vector<std::string> paths) : paths_(std::move(paths)) {}
    int Get_nof_items() override { return static_cast<int>(paths_.size()); }
    VX_song_reference Get_item_song(int index) override { return VX_song_reference{0, index}; }
    void Start_and_update_next_song() override {
        if (next_ < Get_nof_items())
            Platform::Message_queue::Instance().Set_timer(Timer_play, 700);
        else
            ended = true;
    }
    const std::string& Path(int song) const { return paths_.at(static_cast<std::size_t>(song)); }

    static constexpr unsigned Timer_play = 6;
    int next_ = 1;
    bool ended = false;

private:
    std::vector<std::string> paths_;
};
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FIRST SECOND [seconds before the change]\n", argv[0]);
        return 2;
    }
    const double change_after_s = argc > 3 ? std::atof(argv[3]) : 8.0;
    Two_songs songs({argv[1], argv[2]});
    auto& audio = VxAudio::Instance();
    auto& queue = Platform::Message_queue::Instance();
    audio.Set_source(&songs);
    audio.Set_song_path_lookup([&](int, int song) { return songs.Path(song); });

    const auto start = Clock::now();
    auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    audio.Play_audio(0);
    bool changed = false;
    std::string last;
    for (;;) {
        Platform::Message m;
        while (queue.Peek(m)) {
            if (m.kind == Platform::WM_QUIT) return 0;
            if (m.kind != Platform::WM_TIMER) continue;
            if (m.wparam == VxAudioChannel::Timer_fade_start) {
                queue.Kill_timer(VxAudioChannel::Timer_fade_start);
                audio.Start_ramps();
            } else if (m.wparam == VxAudio::Timer_song_watch) {
                audio.Watch_end_of_song();
            } else if (m.wparam == Two_songs::Timer_play) {
                queue.Kill_timer(Two_songs::Timer_play);
                audio.Play_audio(songs.next_++);
                changed = true;
            }
        }
        if (!changed && seconds() >= change_after_s) {
            audio.Play_audio(songs.next_++);
            changed = true;
        }
        audio.Fade_tick();
        const int ch = audio.Get_current_channel();
        const int other = 1 - ch;
        const std::string now = audio.Get_play_state_text() + " " + audio.Get_fade_state_text() +
                                "  (old channel fade " + std::to_string(audio.Get_fade_state(other)) + ")";
        if (now != last) {
            std::printf("%7.2f s  channel %d  %s  %s\n", seconds(), ch, now.c_str(), audio.Get_song_name().c_str());
            std::fflush(stdout);
            last = now;
        }
        if (songs.ended && audio.Get_remaining_time() <= 0.0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    bool all_stopped = false;
    audio.Quit(all_stopped);
    std::printf("%7.2f s  done\n", seconds());
    return 0;
}
