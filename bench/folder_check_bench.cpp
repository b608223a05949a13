// The start-up path of the library (Library_at_startup: load, then the check of changed folders) on
// 5,000 albums x 10 songs, as ratios against VxDatabase::Load of the same file in the same run: with
// nothing changed, and with 10 new albums. Usage: folder_check_bench [RUNS, default 5]
//
// Half the albums lie at the top, half as artist/album; the tree is made an hour old, so the times
// the rebuild records are ones a change is sure to alter. Each run with new albums starts from the
// library and side file of the rebuild, with the previous run's new albums removed.
#include <boost/filesystem.hpp>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "jukebox_home.h"
#include "library/Folder_times.h"
#include "library/Library_startup.h"
#include "library/VxDatabase.h"
#include "platform/dialogs.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace fs = boost::filesystem;

namespace {

constexpr int Albums = 5000;
constexpr int Songs = 10;
constexpr int New_albums = 10;

void Touch(const fs::path& p) { std::ofstream(p.string()).put('\0'); }

fs::path Album_folder(const fs::path& music, int a) {
    const std::string artist = "Artist " + std::to_string(a % 977);
    return (a % 2 == 0) ? music / (artist + " - Album " + std::to_string(a))
                        : music / artist / ("Album " + std::to_string(a));
}

void Make_album(const fs::path& folder) {
    fs::create_directories(folder);
    for (int s = 0; s < Songs; ++s)
        Touch(folder / ("0" + std::to_string(s) + " - Song number " + std::to_string(s) + ".mp3"));
    Touch(folder / "cover.jpg");
}

double Time_ms(const std::function<void()>& f) {
    const double start = VxTrace::Time_ms();
    f();
    return VxTrace::Time_ms() - start;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const Bench_home::Home jukebox = Bench_home::Make_home("tavrix-folder-check-bench");
    const fs::path music = jukebox.Music().string();
    fs::current_path(jukebox.Run().string());
    Platform::Set_headless(true);
    // The settings as a first start writes them (detail logging on, as by default).
    CIniFile::Create_file(VxRead::File_name);
    CIniFile::Set_value("MusicFolder", music.string(), "MUSIC LOCATION", VxRead::File_name);
    VxRead::Instance();
    Install_trace_logging_switch();
    std::fprintf(stderr, "generating %d albums x %d songs and the library ...\n", Albums, Songs);
    for (int a = 0; a < Albums; ++a) Make_album(Album_folder(music, a));
    Bench_home::Age_tree(music.string());
    VxDatabase& db = VxDatabase::Instance();
    Library_startup::Rebuild_library();
    const std::string library = Read(VxDatabase::File_name), times = Read(Folder_times::File_name);

    auto load = [&] {
        db.Clear();
        return Time_ms([&] { db.Load(); });
    };
    auto start = [&] {
        db.Clear();
        return Time_ms([&] { Library_startup::Library_at_startup(); });
    };
    std::vector<double> loads, unchanged, added;
    load();
    start();  // the page cache holds the tree and the files for every run alike
    for (int i = 0; i < runs; ++i) {
        loads.push_back(load());
        unchanged.push_back(start());
    }
    int albums_after = 0;
    for (int i = 0; i < runs; ++i) {
        Write(VxDatabase::File_name, library);
        Write(Folder_times::File_name, times);
        for (int a = 0; a < New_albums; ++a) {
            boost::system::error_code ec;
            if (i > 0) fs::remove_all(Album_folder(music, Albums + (i - 1) * New_albums + a), ec);
            Make_album(Album_folder(music, Albums + i * New_albums + a));
        }
        loads.push_back(load());
        added.push_back(start());
        albums_after = db.Get_nof_cds();
    }

    const double l = Bench_home::Median(loads), u = Bench_home::Median(unchanged), n = Bench_home::Median(added);
    std::printf(
        "folder_check_bench: %d albums, %d songs each, library file %.1f MB, side file %.2f MB; medians of %d runs\n",
        Albums, Songs, library.size() / 1e6, times.size() / 1e6, runs);
    std::printf("VxDatabase::Load of the library file            %8.1f ms  (reference 1.00)\n", l);
    std::printf("start-up's library steps, nothing changed       %8.1f ms  %5.2f x Load (target <= 1.2)\n", u, u / l);
    std::printf("start-up's library steps, %d new albums         %8.1f ms  %5.2f x Load (target <= 1.5)\n", New_albums,
                n, n / l);
    if (albums_after != Albums + New_albums)
        std::printf("WARNING: the library holds %d albums after the check, not %d\n", albums_after,
                    Albums + New_albums);

    boost::system::error_code ec;
    fs::current_path(fs::temp_directory_path(), ec);
    Bench_home::Remove_home(jukebox);
    return 0;
}
