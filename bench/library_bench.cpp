// The library's speed on a generated music folder of 5,000 albums with 10 empty songs each, as ratios
// against a bare directory walk of the same tree measured in the same run; then the whole program's
// "--rebuild-library" of that tree (default settings, logging on) against "find -L" of it, both as
// processes from exec to exit, best of three each. Usage: library_bench [--keep] (--keep leaves the
// jukebox home with its tree in place and names it, for a profiler to run the program there).
#include <boost/filesystem.hpp>
#include <cstdio>
#include <fstream>
#include <string>

#include "jukebox_home.h"
#include "library/VxDatabase.h"
#include "platform/dialogs.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace fs = boost::filesystem;

namespace {

constexpr int Albums = 5000;
constexpr int Songs = 10;

void Touch(const fs::path& p) { std::ofstream(p.string()).put('\0'); }

// Half the albums in the one-level layout, half as artist/album; every tenth has a tag file.
void Make_tree(const fs::path& music) {
    for (int a = 0; a < Albums; ++a) {
        const std::string artist = "Artist " + std::to_string(a % 977);
        const fs::path folder = (a % 2 == 0) ? music / (artist + " - Album " + std::to_string(a))
                                             : music / artist / ("Album " + std::to_string(a));
        fs::create_directories(folder);
        for (int s = 0; s < Songs; ++s)
            Touch(folder / ("0" + std::to_string(s) + " - Song number " + std::to_string(s) + ".mp3"));
        Touch(folder / "cover.jpg");
        if (a % 10 == 0) {
            const std::string tag = (folder / "tavrix.tag").string();
            CIniFile::Create_file(tag);
            for (int s = 0; s < Songs; s += 2)
                CIniFile::Set_value("rating", std::to_string(40 + 6 * s),
                                    "0" + std::to_string(s) + " - Song number " + std::to_string(s) + ".mp3", tag);
        }
    }
}

// What any scan must do at least: list every folder and tell folders from files.
long Bare_walk(const fs::path& folder) {
    long entries = 0;
    for (fs::directory_iterator it(folder), end; it != end; ++it) {
        ++entries;
        if (fs::is_directory(it->status()))
            entries += Bare_walk(it->path());
        else
            (void)it->path().filename().string();
    }
    return entries;
}

template <class F>
double Time_ms(F&& f, int repeats = 3) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const double start = VxTrace::Time_ms();
        f();
        best = std::min(best, VxTrace::Time_ms() - start);
    }
    return best;
}

struct Process_time {
    double wall_ms = 1e300, cpu_ms = 1e300;  // the best of the runs, each on its own
};

// Runs the program with its output dropped, in folder, and takes its wall and processor time.
template <class Before>
Process_time Time_process(const std::vector<std::string>& argv, const std::string& folder, Before before,
                          int repeats = 3) {
    Process_time best;
    for (int i = 0; i < repeats; ++i) {
        before();
        const auto start = Bench_home::Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(folder.c_str()) != 0) _exit(126);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0), dup2(null, 1), dup2(null, 2);
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            std::vector<std::string> args = argv;
            std::vector<char*> raw;
            for (std::string& a : args) raw.push_back(a.data());
            raw.push_back(nullptr);
            execvp(raw[0], raw.data());
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const double wall = Bench_home::Ms_since(start);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s failed (status %d)\n", argv[0].c_str(), status);
            std::exit(1);
        }
        const double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        best.wall_ms = std::min(best.wall_ms, wall);
        best.cpu_ms = std::min(best.cpu_ms, cpu);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const bool keep = argc > 1 && std::string(argv[1]) == "--keep";
    // A jukebox home: the in-process part works in a folder of its own inside it, the program in run/.
    const Bench_home::Home jukebox = Bench_home::Make_home("tavrix-bench");
    const fs::path home = jukebox.root.string() + "/in-process";
    const fs::path music = jukebox.Music().string();
    fs::create_directories(home);
    fs::current_path(home);
    Platform::Set_headless(true);
    // The jukebox's own settings file with detail logging off, as for a large folder.
    CIniFile::Create_file(VxRead::File_name);
    CIniFile::Set_value("MusicFolder", music.string(), "MUSIC LOCATION", VxRead::File_name);
    CIniFile::Set_value("UseLogging", "no", "SYSTEM SETTINGS", VxRead::File_name);
    VxRead::Instance();
    Install_trace_logging_switch();
    std::fprintf(stderr, "generating %d albums x %d songs ...\n", Albums, Songs);
    Make_tree(music);

    VxDatabase& db = VxDatabase::Instance();
    long entries = 0;
    const double walk = Time_ms([&] { entries = Bare_walk(music); });
    const double scan = Time_ms([&] {
        db.Clear();
        db.ReadMusic(VxRead::Instance().Get_music_folder());
    });
    const double scores = Time_ms([&] { db.Determine_cd_scores(); });
    const double sort = Time_ms([&] { db.SortMusiclist(); });
    const double random = Time_ms(
        [&] {
            VX_FileSystem_musiclist m = db.Musiclist();
            m.random_list.clear();
            db.Set_musiclist(std::move(m));
            db.ScoreSortRandomArray();
        },
        1);
    const double index = Time_ms([&] { db.Create_lookup_table(); });
    const double save = Time_ms([&] { db.Save(); });
    const double load = Time_ms([&] { db.Load(); });

    std::printf("library bench: %d albums, %d songs, %ld entries, library file %.1f MB\n", db.Get_nof_cds(),
                db.Get_nof_cds() * Songs, entries, fs::file_size(VxDatabase::File_name) / 1e6);
    std::printf("bare directory walk        %8.1f ms  (reference 1.00)\n", walk);
    std::printf("scan (ReadMusic)           %8.1f ms  %5.2f x walk   (target <= 2.0)\n", scan, scan / walk);
    std::printf("Save                       %8.1f ms  %5.2f x walk\n", save, save / walk);
    std::printf("Load                       %8.1f ms  %5.2f x walk\n", load, load / walk);
    std::printf("score pass                 %8.1f ms  %5.2f x walk\n", scores, scores / walk);
    std::printf("random list                %8.1f ms  %5.2f x walk\n", random, random / walk);
    std::printf("SortMusiclist              %8.1f ms  %5.2f x walk\n", sort, sort / walk);
    std::printf("Create_lookup_table        %8.1f ms  %5.2f x walk\n", index, index / walk);

    // The whole program as a user runs it, against the walk any tool needs: find -L follows links as
    // the scan does. The library file is removed before each rebuild, so that each one scans.
    const Process_time find = Time_process({"find", "-L", music.string()}, jukebox.Run().string(), [] {});
    const Process_time rebuild =
        Time_process({Bench_home::Program().string(), "--headless", "--rebuild-library"}, jukebox.Run().string(), [&] {
            boost::system::error_code gone;
            fs::remove(jukebox.Library().string(), gone);
        });
    std::printf("whole process, best of 3 (exec to exit):\n");
    std::printf("find -L of the tree        %8.1f ms wall %8.1f ms CPU  (reference 1.00)\n", find.wall_ms, find.cpu_ms);
    std::printf(
        "tavrix --rebuild-library   %8.1f ms wall %8.1f ms CPU  %5.2f x find wall (target <= 2.0), "
        "%5.2f x find CPU\n",
        rebuild.wall_ms, rebuild.cpu_ms, rebuild.wall_ms / find.wall_ms, rebuild.cpu_ms / find.cpu_ms);
    std::printf("  its log.txt: %.1f MB\n", fs::file_size(jukebox.Log().string()) / 1e6);

    boost::system::error_code ec;
    fs::current_path(fs::temp_directory_path(), ec);
    if (keep)
        std::printf("the jukebox home stays in %s\n", jukebox.root.c_str());
    else
        Bench_home::Remove_home(jukebox);
    return 0;
}
