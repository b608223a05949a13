// The running jukebox's processor use while it only plays a song and nothing on the screen moves, after
// a person opened an album, queued it and went back to the main screen; as a share of wall time and as
// a ratio against gst-launch-1.0 playing the same file over the same stretch.
// Usage: idle_bench [SECONDS of the quiet stretch, default 10]
//
// Two runs: headless (the dummy video driver, as in a test) and in a 1920x1080 window on a virtual X
// server with the x11 driver (skipped without Xvfb). The program runs in a generated home with one album
// of one long WAV; its script presses B, 1, A, Escape, Escape (browse, open the album, queue it, back
// twice), then "still" waits until the loop sleeps and writes "Script: nothing moves": the quiet stretch
// starts a second after that line. CPU is each process's CPU-time clock (all threads, to the
// nanosecond: /proc's ticks of 10 ms are too coarse for a process this quiet); the user-interface
// thread is also shown alone with its wake-ups (voluntary context switches), which tell whether it
// sleeps. Pictures loaded from disk in the stretch are counted from log.txt. Both players use
// "fakesink sync=true": the song plays in real time with no sound card.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "jukebox_home.h"
#include "settings/CIniFile.h"

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

// One run after the path; false when the jukebox did not get there.
bool Measure(const Home& home, const fs::path& song, double quiet_s, const char* label, const Video& video,
             double target) {
    Write_text(home.Run() / "idle.txt",
               "wait 500\nkey b\nwait 1500\nkey 1\nwait 800\nkey a\nwait 800\nkey Escape\n"
               "wait 800\nkey Escape\nstill 20000\nwait " +
                   std::to_string(static_cast<long>(quiet_s * 1000) + 3000) + "\nkey q\n");
    enum { Shown, Quiet, Still_moving, Song_started, Channel_quit };
    Jukebox_run run(
        home, {"--headless", "--script", "idle.txt"}, "fakesink sync=true",
        {"set_main_mode", "Script: nothing moves", "Script: still moving", "songname =", "Wait for SemQuit"}, video);
    if (!run.Wait_for_marker(Quiet, 90000)) {
        std::fprintf(stderr, "idle_bench (%s): %s (see %s)\n", label,
                     run.Marker_ms(Still_moving) >= 0 ? "something still moved 20 s after the last key"
                                                      : "the loop never went quiet",
                     home.Log().c_str());
        return false;
    }
    const double quiet_start = run.Marker_ms(Quiet) + 1000;
    const double quiet_end = quiet_start + quiet_s * 1000;
    const double quit_key = run.Marker_ms(Quiet) + quiet_s * 1000 + 3000;
    run.Follow_until(quiet_start - 1000);
    // The reference starts a second early, so that its own start-up is not in the stretch either.
    const pid_t reference = Start_reference(song);
    run.Follow_until(quiet_start);
    const pid_t pid = run.Pid();
    const double cpu0 = Cpu_precise_s(pid), ui0 = Cpu_precise_s(pid, pid), ref0 = Cpu_precise_s(reference);
    const long wakes0 = Voluntary_switches(pid, pid), log0 = File_size(home.Log());
    const auto t0 = Clock::now();
    run.Follow_until(quiet_end);
    const double cpu1 = Cpu_precise_s(pid), ui1 = Cpu_precise_s(pid, pid), ref1 = Cpu_precise_s(reference);
    const long wakes1 = Voluntary_switches(pid, pid), log1 = File_size(home.Log());
    const double wall = Ms_since(t0) / 1000;
    kill(reference, SIGTERM);
    int ref_status = 0;
    waitpid(reference, &ref_status, 0);
    const bool ended = run.Wait_end(Ms_since(run.Origin()) + 20000);

    const double jukebox = cpu1 - cpu0, ui = ui1 - ui0, ref = ref1 - ref0;
    std::printf("%s: %.1f s quiet stretch after B 1 A Escape Escape, a 44.1 kHz stereo WAV playing\n", label, wall);
    std::printf("  gst-launch-1.0 playbin, same file         %7.3f s CPU  %6.2f %% of wall  (reference 1.00)\n", ref,
                100 * ref / wall);
    std::printf("  jukebox process, all threads              %7.3f s CPU  %6.2f %% of wall  %6.2f x reference\n",
                jukebox, 100 * jukebox / wall, ref > 0 ? jukebox / ref : 0.0);
    std::printf("    its user-interface thread               %7.3f s CPU  %6.2f %% of wall  %.1f wake-ups/s\n", ui,
                100 * ui / wall, (wakes1 - wakes0) / wall);
    std::printf("    log.txt grew by %ld bytes in the stretch, %d pictures were loaded from disk\n", log1 - log0,
                Count_between(home.Log(), log0, log1, "**(Loading_surface)**"));
    std::printf("  ratio jukebox CPU / wall                  %7.4f  (target <= %.3f)\n", jukebox / wall, target);
    if (run.Marker_ms(Song_started) < 0 || run.Marker_ms(Song_started) > quiet_start)
        std::printf("  WARNING: the song had not started before the stretch; see %s\n", home.Log().c_str());
    if (!ended) std::printf("  WARNING: the jukebox did not quit after the script's \"q\"; it was killed\n");
    if (ended && run.Marker_ms(Channel_quit) < 0)
        std::printf("  WARNING: the jukebox ended without stopping its audio channel\n");
    else if (ended)
        std::printf("  the jukebox ended %.1f s after the script's \"q\"\n", (run.End_ms() - quit_key) / 1000);
    return ended;
}

}  // namespace

int main(int argc, char** argv) {
    const double quiet_s = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;
    const Home home = Make_home("tavrix-idle-bench");
    const fs::path album = home.Music() / "Quiet Player - Long Evening";
    fs::create_directories(album);
    const fs::path song = album / "01 - Long song.wav";
    Write_wav(song, quiet_s + 60);
    Rebuild_library(home);

    bool ok = Measure(home, song, quiet_s, "headless (dummy driver)", Video{}, 0.005);
    const Virtual_display x(1920, 1080);
    if (x.Display().empty()) {
        std::printf("x11 under Xvfb: skipped, no virtual X server could be started\n");
    } else {
        // A window of the whole screen, as a person at that display would set it.
        CIniFile::Set_value("WindowSize", "1920x1080", "DISPLAY SETTINGS", home.Settings().string());
        ok = Measure(home, song, quiet_s, "x11 under Xvfb, 1920x1080", Video{"x11", x.Display()}, 0.02) && ok;
    }
    if (ok) Remove_home(home);
    return ok ? 0 : 1;
}
