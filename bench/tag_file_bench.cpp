// What an oversized tag file costs the whole program: "--rebuild-library" of 200 albums with small tag
// files, against the same tree where one album's tag file is 51 MB; wall time and peak memory as ratios.
// An oversized tag file is never read, so both ratios should stay near 1.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "jukebox_home.h"

namespace fs = std::filesystem;

namespace {

constexpr int Albums = 200;
constexpr int Songs = 10;

struct Cost {
    double wall_ms = 1e300;
    long max_rss_kb = 0;  // the smallest peak of the runs
};

// Best of three rebuilds, the library file removed before each so that each scans and scores.
Cost Rebuild(const Bench_home::Home& home) {
    Cost best;
    best.max_rss_kb = 1L << 40;
    for (int i = 0; i < 3; ++i) {
        std::error_code gone;
        fs::remove(home.Library(), gone);
        const auto start = Bench_home::Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(home.Run().c_str()) != 0) _exit(126);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0), dup2(null, 1), dup2(null, 2);
            const std::string program = Bench_home::Program().string();
            execl(program.c_str(), program.c_str(), "--headless", "--rebuild-library", static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "the rebuild failed (status %d)\n", status);
            std::exit(1);
        }
        best.wall_ms = std::min(best.wall_ms, Bench_home::Ms_since(start));
        best.max_rss_kb = std::min(best.max_rss_kb, usage.ru_maxrss);
    }
    return best;
}

std::string Song(int s) { return "0" + std::to_string(s) + " - Song " + std::to_string(s) + ".mp3"; }

}  // namespace

int main() {
    const Bench_home::Home home = Bench_home::Make_home("tavrix-tag-bench");
    Bench_home::Write_text(home.Settings(), " <MUSIC LOCATION>\n MusicFolder=" + home.Music().string() + "/\n");
    for (int a = 0; a < Albums; ++a) {
        const fs::path album = home.Music() / ("Artist " + std::to_string(a) + " - Album " + std::to_string(a));
        fs::create_directories(album);
        std::string tag;
        for (int s = 0; s < Songs; ++s) {
            std::ofstream(album / Song(s));
            tag += " <" + Song(s) + ">\n rating=" + std::to_string(50 + 5 * s) + "\n";
        }
        Bench_home::Write_text(album / "tavrix.tag", tag);
    }
    const Cost small = Rebuild(home);

    // The first album's tag file grows to 51 MB: the same ratings, then lines a hand or a tool added.
    const fs::path big = home.Music() / "Artist 0 - Album 0" / "tavrix.tag";
    {
        std::ofstream out(big, std::ios::app);
        const std::string line = "# " + std::string(98, 'x') + "\n";
        for (long written = 0; written < 51L * 1000 * 1000; written += static_cast<long>(line.size())) out << line;
    }
    const Cost large = Rebuild(home);

    std::printf("tag file bench: %d albums x %d songs, one tag file of %.1f MB; --rebuild-library, best of 3\n", Albums,
                Songs, fs::file_size(big) / 1e6);
    std::printf("small tag files only   %8.1f ms wall %8ld KB peak  (reference 1.00)\n", small.wall_ms,
                small.max_rss_kb);
    std::printf("with the 51 MB one     %8.1f ms wall %8ld KB peak  %5.2f x wall, %5.2f x memory (target <= 1.1)\n",
                large.wall_ms, large.max_rss_kb, large.wall_ms / small.wall_ms,
                static_cast<double>(large.max_rss_kb) / static_cast<double>(small.max_rss_kb));
    Bench_home::Remove_home(home);
    return 0;
}
