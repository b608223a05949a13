// The jukebox's start-up with a library of 5,000 albums x 10 songs, as ratios against reading that
// library file without the jukebox: bare_library_load (the archive library alone, its own process, exec
// to exit: what a developer would compare with) and, as before, VxDatabase::Load inside this process.
// Usage: startup_bench [RUNS, default 5]
//
// The program runs headless (dummy video driver) in a generated home; nothing records a presented
// frame, so the start-up is seen from outside, timed from just before the fork:
//  - the whole process with the script "close": start, first frame composed (closing ends the loop
//    before it is presented), shutdown. Needs no estimate, but the close message is also the first
//    message the loop gets, so the loop's wait for its first message is not in it. The target is this
//    run within 2.5 x the bare load;
//  - from runs whose script waits (the loop then gets to its first frame on its own), the break-down,
//    by the time each marker's line reaches log.txt (inotify tells this bench when; those runs write
//    every trace line at once, TAVRIX_TRACE_AT_ONCE, which the "close" runs do not):
//    "set_main_mode": library loaded, pictures and modes made; the window is shown next;
//    "Monitor refresh rate": written by the first pass of the frame code; that pass composes the first
//    frame, and the pass one period later presents it, so "first presented frame" is estimated as this
//    time plus one refresh period.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "jukebox_home.h"
#include "library/VxDatabase.h"
#include "platform/dialogs.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

using namespace Bench_home;

namespace {

constexpr int Albums = 5000;
constexpr int Songs = 10;

// Empty song files are enough: start-up never opens a song.
void Make_music(const Home& home) {
    for (int a = 0; a < Albums; ++a) {
        const fs::path folder = home.Music() / ("Artist " + std::to_string(a % 977) + " - Album " + std::to_string(a));
        fs::create_directories(folder);
        for (int s = 0; s < Songs; ++s) std::ofstream(folder / ("0" + std::to_string(s) + " - Song.mp3"));
    }
}

// The entry and exit markers ("**(", "--(") are written while "UseLogging" is on, as it is by default.
enum Marker { Main_mode, First_pass, Refresh_measured, Library_loaded, Library_load_done, Library_scanned };
const std::vector<std::string> Markers = {"set_main_mode",        "**(DX.Get_monitor_refresh_rate)**",
                                          "Monitor refresh rate", "**(DB::Load)**",
                                          "--(DB::Load)--",       "**(DB.ReadMusic"};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    // This process's own trace goes to a folder of its own, not into the jukebox's log.txt that is followed.
    char scratch[] = "/tmp/startup_bench-XXXXXX";
    if (!mkdtemp(scratch) || chdir(scratch) != 0) return 1;
    Platform::Set_headless(true);
    VxTrace::Instance();

    const Home home = Make_home("tavrix-startup-bench");
    std::fprintf(stderr, "generating %d albums x %d songs and the library ...\n", Albums, Songs);
    Make_music(home);
    Rebuild_library(home);
    Write_text(home.Run() / "close.txt", "close\n");
    Write_text(home.Run() / "wait.txt", "wait 1000\nclose\n");

    // The reference reads the same file with the same settings, from the same working folder.
    if (chdir(home.Run().c_str()) != 0) return 1;
    VxRead::Instance();
    Install_trace_logging_switch();
    VxDatabase& db = VxDatabase::Instance();
    auto time_load = [&] {
        db.Clear();  // as at start-up, nothing is there to be thrown away first
        const auto t0 = Clock::now();
        db.Load();
        return Ms_since(t0);
    };

    // The reference a person would time: the library file read by the archive library alone.
    const std::string bare = (Build_dir() / "bench" / "bare_library_load").string();
    const std::string library = home.Library().string();
    auto time_bare_load = [&] {
        const auto t0 = Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            execl(bare.c_str(), bare.c_str(), library.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s failed on %s\n", bare.c_str(), library.c_str());
            std::exit(1);
        }
        return Ms_since(t0);
    };

    std::vector<double> load, bare_load, load_inside, main_mode, refresh, whole, after_compose, loop_wait, measuring;
    int rebuilt = 0, not_loaded = 0, failed = 0;
    auto run = [&](const char* script, bool keep) {
        // Only the break-down runs write their trace lines at once; the timed whole run is as a user's.
        if (std::string(script) == "close.txt")
            unsetenv("TAVRIX_TRACE_AT_ONCE");
        else
            setenv("TAVRIX_TRACE_AT_ONCE", "1", 1);
        Jukebox_run r(home, {"--headless", "--script", script}, "fakesink", Markers);
        const bool ended = r.Wait_end(60000);
        if (!ended || !WIFEXITED(r.Status()) || WEXITSTATUS(r.Status()) != 0) ++failed;
        if (r.Marker_ms(Library_scanned) >= 0) ++rebuilt;
        if (r.Marker_ms(Library_loaded) < 0) ++not_loaded;
        if (!keep) return;
        if (std::string(script) == "close.txt") {
            whole.push_back(r.End_ms());
            after_compose.push_back(r.End_ms() - r.Marker_ms(Refresh_measured));
        } else {
            main_mode.push_back(r.Marker_ms(Main_mode));
            refresh.push_back(r.Marker_ms(Refresh_measured));
            if (r.Marker_ms(Library_load_done) >= 0)
                load_inside.push_back(r.Marker_ms(Library_load_done) - r.Marker_ms(Library_loaded));
            if (r.Marker_ms(First_pass) >= 0) {
                loop_wait.push_back(r.Marker_ms(First_pass) - r.Marker_ms(Main_mode));
                measuring.push_back(r.Marker_ms(Refresh_measured) - r.Marker_ms(First_pass));
            }
        }
    };
    // Warm up: the page cache holds the program, the theme and the library file for every run alike.
    time_load();
    time_bare_load();
    run("close.txt", false);
    for (int i = 0; i < runs; ++i) {
        load.push_back(time_load());
        bare_load.push_back(time_bare_load());
        run("close.txt", true);
        run("wait.txt", true);
    }
    const int nof_cds = db.Get_nof_cds();
    long nof_songs = 0;
    for (const VX_FileSystem_cd& cd : db.Musiclist().cds) nof_songs += static_cast<long>(cd.songs.size());
    const double file_mb = static_cast<double>(fs::file_size(home.Library())) / 1e6;

    const double period = 1000.0 / 60;  // the dummy driver's blank clock
    const double l = Median(load), b = Median(bare_load), m = Median(main_mode), f = Median(refresh) + period,
                 w = Median(whole);
    auto row = [&](const char* label, double ms, bool ratio) {
        if (ratio)
            std::printf("%-52s %8.1f ms  %6.2f x bare  %6.2f x Load\n", label, ms, ms / b, ms / l);
        else
            std::printf("%-52s %8.1f ms\n", label, ms);
    };
    std::printf("startup_bench: %d albums, %ld songs, library file %.1f MB; medians of %d runs\n", nof_cds, nof_songs,
                file_mb, runs);
    std::printf("%-52s %8.1f ms  (reference \"bare\")\n", "bare_library_load, its own process, exec to exit", b);
    std::printf("%-52s %8.1f ms  (reference \"Load\")\n", "VxDatabase::Load of the library file, in this process", l);
    if (!load_inside.empty()) row("  the program's own Load, between its markers", Median(load_inside), true);
    row("start to \"set_main_mode\" in log.txt", m, true);
    if (!loop_wait.empty()) {
        row("  then until the loop's first pass", Median(loop_wait), false);
        row("  then measuring the refresh period in that pass", Median(measuring), false);
    }
    row("start to first presented frame (estimated)", f, true);
    row("whole run with script \"close\"", w, true);
    std::printf("target: whole run within 2.5 x bare: %s\n", w <= 2.5 * b ? "met" : "NOT met");
    row("  of which composing a frame and shutting down", Median(after_compose), false);
    if (rebuilt || not_loaded || failed)
        std::printf("WARNING: %d runs rebuilt the library, %d did not load it, %d did not end cleanly\n", rebuilt,
                    not_loaded, failed);

    if (chdir("/tmp") != 0) return 1;
    Remove_home(home);
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return 0;
}
