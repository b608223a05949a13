// The audio player's cost on the user-interface thread: CPU time over a stretch of playback with no
// fade (against the whole process's CPU in the same stretch), and one fade-tick pass idle and fading
// (against one clock reading). Usage: audio_bench [seconds of playback, default 30]
#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/window.h"
#include "playback/VxAudio.h"
#include "playback/VxAudio_source.h"
#include "trace/Profile_registry.h"
#include "trace/VxTrace.h"

namespace {
double Cpu_s(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

void Write_wav(const std::string& path, double seconds) {
    const int rate = 8000;
    const auto samples = static_cast<std::uint32_t>(seconds * rate);
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4), u32(36 + samples * 2), out.write("WAVEfmt ", 8), u32(16), u16(1), u16(1);
    u32(rate), u32(rate * 2), u16(2), u16(16), out.write("data", 4), u32(samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i)
        u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::sin(i * 0.3) * 8000)));
}

class One_song : public VxAudio_source {
public:
    int Get_nof_items() override { return 1; }
    VX_song_reference Get_item_song(int) override { return {}; }
    void Start_and_update_next_song() override {}
};

template <class F>
double Ns_per_call(F f, int n) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) f();
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / n;
}
}  // namespace

int main(int argc, char** argv) {
    const double play_s = argc > 1 ? std::atof(argv[1]) : 30.0;
    setenv("TAVRIX_AUDIO_SINK", "fakesink sync=true", 0);
    const std::string song = "/tmp/tavrix_audio_bench.wav";
    Write_wav(song, play_s + 5);

    One_song source;
    auto& audio = VxAudio::Instance();
    auto& queue = Platform::Message_queue::Instance();
    audio.Set_source(&source);
    audio.Set_song_path_lookup([&](int, int) { return song; });
    audio.Play_audio(0);

    // The main loop as the shell runs it: block while nothing moves, tick after every pass.
    const double ui_start = Cpu_s(CLOCK_THREAD_CPUTIME_ID);
    const double process_start = Cpu_s(CLOCK_PROCESS_CPUTIME_ID);
    const auto wall_start = std::chrono::steady_clock::now();
    queue.Set_timer(99, static_cast<unsigned>(play_s * 1000));  // ends the stretch
    long passes = 0;
    for (;;) {
        Platform::Message m;
        if (Profile_registry::Instance().Any_running()) {
            if (!queue.Peek(m)) m.kind = Platform::WM_NULL;
        } else {
            queue.Get(m);
        }
        if (m.kind == Platform::WM_TIMER && m.wparam == 99) break;
        if (m.kind == Platform::WM_TIMER && m.wparam == VxAudio::Timer_song_watch) audio.Watch_end_of_song();
        audio.Fade_tick();
        ++passes;
    }
    queue.Kill_timer(99);
    const double ui = Cpu_s(CLOCK_THREAD_CPUTIME_ID) - ui_start;
    const double process = Cpu_s(CLOCK_PROCESS_CPUTIME_ID) - process_start;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    std::printf("playback without fades: %.1f s wall, %ld loop passes\n", wall, passes);
    std::printf("  user-interface thread CPU  %.4f s (%.4f %% of wall)\n", ui, 100 * ui / wall);
    std::printf("  whole process CPU          %.4f s (reference: GStreamer playing the song)\n", process);
    std::printf("  ratio UI thread / process  %.4f\n", process > 0 ? ui / process : 0.0);

    const int n = 20000;
    const double clock_ns = Ns_per_call([] { (void)VxTrace::Time_ms(); }, n);
    const double idle_ns = Ns_per_call([&] { audio.Fade_tick(); }, n);
    audio.Set_main_volume(10);  // a fade of 1.3 s down from 75
    const double fading_ns = Ns_per_call([&] { audio.Fade_tick(); }, 2000);
    const bool still_fading = audio.Get_fade_state_text() == "OUT...";
    std::printf("one Fade_tick pass: idle %.0f ns, fading %.0f ns%s; one clock reading %.0f ns\n", idle_ns, fading_ns,
                still_fading ? "" : " (the fade ended during the measurement)", clock_ns);
    std::printf("  ratio idle tick / clock reading    %.2f\n", idle_ns / clock_ns);
    std::printf("  ratio fading tick / clock reading  %.2f\n", fading_ns / clock_ns);
    std::remove(song.c_str());
    return 0;
}
