// The running jukebox's processor use while it only plays a song and nothing on the screen moves, as a
// share of wall time and as a ratio against gst-launch-1.0 playing the same file over the same stretch.
// Usage: idle_bench [SECONDS of the quiet stretch, default 30]
//
// The program runs headless in a generated home with one album of one long WAV. Its script opens the
// browse mode, album 1, queues song 1 (it starts 0.7 s later), then waits; the quiet stretch is timed
// inside that wait with a second's margin at its start, from the window's showing (the "set_main_mode"
// line of log.txt comes right before it). CPU is utime + stime from /proc, all threads; the user-interface
// thread is also shown alone with its wake-ups (voluntary context switches), which tell whether it sleeps.
// On the dummy video driver SDL has no blocking event wait and polls in 1 ms sleeps, so about a thousand
// wake-ups a second are the driver's, not the jukebox's; pictures loaded from disk are counted from log.txt.
// Both players use "fakesink sync=true": the song plays in real time with no sound card.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "jukebox_home.h"

using namespace Bench_home;

namespace {

void Write_wav(const fs::path& path, double seconds) {
    const std::uint32_t rate = 44100, channels = 2;
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    const std::uint32_t bytes = frames * channels * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4), u32(36 + bytes), out.write("WAVEfmt ", 8), u32(16), u16(1), u16(channels);
    u32(rate), u32(rate * channels * 2), u16(channels * 2), u16(16), out.write("data", 4), u32(bytes);
    std::vector<std::int16_t> block(static_cast<size_t>(rate) * channels);
    for (std::uint32_t done = 0; done < frames; done += rate) {
        const std::uint32_t n = std::min(rate, frames - done);
        for (std::uint32_t i = 0; i < n; ++i) {
            const auto v = static_cast<std::int16_t>(std::sin((done + i) * 2 * M_PI * 440 / rate) * 6000);
            block[2 * i] = block[2 * i + 1] = v;
        }
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n * channels * 2));
    }
}

pid_t Start_reference(const fs::path& song) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0), dup2(null, 1), dup2(null, 2);
        const std::string uri = "uri=file://" + song.string();
        execlp("gst-launch-1.0", "gst-launch-1.0", "-q", "playbin", uri.c_str(), "audio-sink=fakesink sync=true",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

long File_size(const fs::path& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<long>(size);
}

// How often a text occurs in the part of a file between two offsets.
int Count_between(const fs::path& path, long from, long to, const std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (from < 0 || to <= from || !in.seekg(from)) return 0;
    std::string part(static_cast<size_t>(to - from), '\0');
    in.read(part.data(), static_cast<std::streamsize>(part.size()));
    int n = 0;
    for (size_t at = part.find(text); at != std::string::npos; at = part.find(text, at + 1)) ++n;
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    const double quiet_s = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 30.0;
    const Home home = Make_home("tavrix-idle-bench");
    const fs::path album = home.Music() / "Quiet Player - Long Evening";
    fs::create_directories(album);
    const fs::path song = album / "01 - Long song.wav";
    Write_wav(song, quiet_s + 30);
    Rebuild_library(home);

    // Script times: browse at 0.5 s, album at 2 s, song queued at 2.5 s, quiet from 5.5 s.
    const double quiet_from_show_ms = 5500 + 1000;
    Write_text(home.Run() / "idle.txt", "wait 500\nkey b\nwait 1500\nkey 1\nwait 500\nkey 1\nwait 3000\nwait " +
                                            std::to_string(static_cast<long>(quiet_s * 1000) + 2000) +
                                            "\nkey Escape\nkey Escape\nkey q\n");

    enum { Shown, Song_started, Channel_quit };
    Jukebox_run run(home, {"--headless", "--script", "idle.txt"}, "fakesink sync=true",
                    {"set_main_mode", "songname =", "Wait for SemQuit"});
    if (!run.Wait_for_marker(Shown, 60000)) {
        std::fprintf(stderr, "idle_bench: the jukebox did not show its window (see %s)\n", home.Log().c_str());
        return 1;
    }
    const double quiet_start = run.Marker_ms(Shown) + quiet_from_show_ms;
    const double quiet_end = quiet_start + quiet_s * 1000;
    const double quit_key = quiet_end + 1000;
    run.Follow_until(quiet_start - 1000);
    // The reference starts a second early, so that its own start-up is not in the stretch either.
    const pid_t reference = Start_reference(song);
    run.Follow_until(quiet_start);
    const pid_t pid = run.Pid();
    const double cpu0 = Cpu_s(pid), ui0 = Cpu_s(pid, pid), ref0 = Cpu_s(reference);
    const long wakes0 = Voluntary_switches(pid, pid), log0 = File_size(home.Log());
    const auto t0 = Clock::now();
    run.Follow_until(quiet_end);
    const double cpu1 = Cpu_s(pid), ui1 = Cpu_s(pid, pid), ref1 = Cpu_s(reference);
    const long wakes1 = Voluntary_switches(pid, pid), log1 = File_size(home.Log());
    const double wall = Ms_since(t0) / 1000;
    kill(reference, SIGTERM);
    int ref_status = 0;
    waitpid(reference, &ref_status, 0);
    const bool ended = run.Wait_end(Ms_since(run.Origin()) + 20000);

    const double jukebox = cpu1 - cpu0, ui = ui1 - ui0, ref = ref1 - ref0;
    std::printf("idle_bench: %.1f s quiet stretch, a 44.1 kHz stereo WAV playing, nothing moving\n", wall);
    std::printf("gst-launch-1.0 playbin, same file           %7.3f s CPU  %6.2f %% of wall  (reference 1.00)\n", ref,
                100 * ref / wall);
    std::printf("jukebox process, all threads                %7.3f s CPU  %6.2f %% of wall  %6.2f x reference\n",
                jukebox, 100 * jukebox / wall, ref > 0 ? jukebox / ref : 0.0);
    std::printf("  its user-interface thread                 %7.3f s CPU  %6.2f %% of wall  %.1f wake-ups/s\n", ui,
                100 * ui / wall, (wakes1 - wakes0) / wall);
    std::printf("  log.txt grew by %ld bytes in the stretch, %d pictures were loaded from disk\n", log1 - log0,
                Count_between(home.Log(), log0, log1, "**(Loading_surface)**"));
    std::printf("ratio jukebox CPU / wall                    %7.4f\n", jukebox / wall);
    if (run.Marker_ms(Song_started) < 0 || run.Marker_ms(Song_started) > quiet_start)
        std::printf("WARNING: the song had not started before the stretch; see %s\n", home.Log().c_str());
    if (!ended) std::printf("WARNING: the jukebox did not quit after the script's \"q\"; it was killed\n");
    if (ended && run.Marker_ms(Channel_quit) < 0)
        std::printf("WARNING: the jukebox ended without stopping its audio channel\n");
    else if (ended)
        std::printf("the jukebox ended %.1f s after the script's \"q\"\n", (run.End_ms() - quit_key) / 1000);
    if (ended) Remove_home(home);
    return 0;
}
