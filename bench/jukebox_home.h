// A jukebox home for the benchmarks that run the real program: its folders, the theme, the settings and
// library the program writes itself, and the program started there with its log.txt followed as it grows.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/CIniFile.h"
#include "tests/support/virtual_display.h"

namespace Bench_home {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline double Ms_since(Clock::time_point origin) {
    return std::chrono::duration<double, std::milli>(Clock::now() - origin).count();
}

// The build folder this bench was built in (the bench binary lives in build/bench/).
inline fs::path Build_dir() {
    char exe[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    const fs::path self = n > 0 ? fs::path(std::string(exe, static_cast<size_t>(n))) : fs::current_path() / "bench";
    return self.parent_path().parent_path();
}

inline fs::path Program() { return Build_dir() / "app" / "tavrix"; }

struct Home {
    fs::path root;
    fs::path Run() const { return root / "run"; }
    fs::path Music() const { return root / "music"; }
    fs::path Settings() const { return Run() / "settings_v3.ini"; }
    fs::path Library() const { return Run() / "MusicDataBase.dat"; }
    fs::path Log() const { return Run() / "log.txt"; }
};

// A fresh home in the temporary folder with the theme the build painted; empty music folder.
inline Home Make_home(const std::string& tag) {
    std::string name = (fs::temp_directory_path() / (tag + "-XXXXXX")).string();
    if (!mkdtemp(name.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    Home home{name};
    for (const char* sub : {"run", "pics", "covers", "music"}) fs::create_directories(home.root / sub);
    const fs::path pics = Build_dir() / "pics";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(pics, ec))
        fs::copy_file(entry.path(), home.root / "pics" / entry.path().filename(), fs::copy_options::overwrite_existing);
    if (ec || fs::is_empty(home.root / "pics")) {
        std::fprintf(stderr, "no theme pictures in %s (build the tavrix_theme_pics target)\n", pics.c_str());
        std::exit(1);
    }
    return home;
}

inline void Remove_home(const Home& home) {
    std::error_code ec;
    fs::remove_all(home.root, ec);
}

inline void Write_text(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

// Where the program shows its window: the dummy driver (no display), or an X display by its name.
struct Video {
    std::string driver = "dummy";
    std::string display;  // ":N" for the x11 driver
};

// The program in run/, as a person without a display (or at the X display given) would start it; its
// own output is dropped.
inline pid_t Start_program(const Home& home, const std::vector<std::string>& args, const std::string& audio_sink,
                           const Video& video = {}) {
    const std::string program = Program().string();
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(home.Run().c_str()) != 0) _exit(126);
        setenv("SDL_VIDEODRIVER", video.driver.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        if (video.display.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", video.display.c_str(), 1);
        setenv("TAVRIX_AUDIO_SINK", audio_sink.c_str(), 1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0), dup2(null, 1), dup2(null, 2);
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    return pid;
}

// Every folder of the tree an hour old, as a user's music folder is. A scan takes a folder younger
// than two seconds for one whose time a change in the same step of the file system's clock would not
// alter, and records no time for it: each start within those seconds would list it again.
inline void Age_tree(const fs::path& root) {
    const auto hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(root, hour_ago);
    for (fs::recursive_directory_iterator it(root), end; it != end; ++it)
        if (it->is_directory() && !it->is_symlink()) fs::last_write_time(it->path(), hour_ago);
}

// Builds the library the way a user does (--rebuild-library writes the settings with their digest and
// the library file, and the side file of folder times), then turns the version check off so that no
// start asks a server anything. The tree is aged first, so that the starts that follow list nothing.
inline void Rebuild_library(const Home& home) {
    Age_tree(home.Music());
    const pid_t pid = Start_program(home, {"--headless", "--rebuild-library"}, "fakesink");
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !fs::exists(home.Library())) {
        std::fprintf(stderr, "tavrix --rebuild-library failed (status %d) in %s\n", status, home.Run().c_str());
        std::exit(1);
    }
    CIniFile::Set_value("CheckNewVersionOnStartup", "no", "SYSTEM SETTINGS", home.Settings().string());
    // A library built without a window leaves its cover pass due; its downloads would ask servers too.
    CIniFile::Set_value("DownloadCovers", "no", "INTERNET SETTINGS", home.Settings().string());
}

// One run of the jukebox: started at construction, log.txt followed for the marker texts, the time of
// each marker's first appearance taken when the write reaches the file (every trace line is flushed).
class Jukebox_run {
public:
    Jukebox_run(const Home& home, const std::vector<std::string>& args, const std::string& audio_sink,
                std::vector<std::string> markers, const Video& video = {})
        : log_(home.Log()), markers_(std::move(markers)), seen_ms_(markers_.size(), -1) {
        std::error_code ec;
        fs::remove(log_, ec);  // the previous run's lines must not count
        inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotify_ >= 0) inotify_add_watch(inotify_, home.Run().c_str(), IN_CREATE | IN_MODIFY);
        origin_ = Clock::now();
        pid_ = Start_program(home, args, audio_sink, video);
        pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    }
    ~Jukebox_run() {
        if (!ended_) {
            kill(pid_, SIGKILL);
            Step(5000);
        }
        if (pidfd_ >= 0) close(pidfd_);
        if (inotify_ >= 0) close(inotify_);
    }
    Jukebox_run(const Jukebox_run&) = delete;
    Jukebox_run& operator=(const Jukebox_run&) = delete;

    pid_t Pid() const { return pid_; }
    Clock::time_point Origin() const { return origin_; }
    bool Ended() const { return ended_; }
    double End_ms() const { return end_ms_; }
    int Status() const { return status_; }
    const rusage& Usage() const { return usage_; }
    // Milliseconds from the start to the marker's first appearance in log.txt; -1 while not seen.
    double Marker_ms(size_t i) const { return seen_ms_[i]; }

    // Waits at most timeout_ms for the log to grow or the process to end, and takes note of either.
    void Step(int timeout_ms) {
        if (ended_) return;
        pollfd fds[2] = {{inotify_, POLLIN, 0}, {pidfd_, POLLIN, 0}};
        // Without a process descriptor the end is noticed by asking, so the wait is kept short.
        poll(fds, 2, pidfd_ >= 0 ? timeout_ms : std::min(timeout_ms, 2));
        char events[4096];
        while (inotify_ >= 0 && read(inotify_, events, sizeof events) > 0) {
        }
        Read_log();
        rusage usage{};
        int status = 0;
        if (wait4(pid_, &status, WNOHANG, &usage) == pid_) {
            end_ms_ = Ms_since(origin_);
            ended_ = true;
            status_ = status;
            usage_ = usage;
            Read_log();
        }
    }
    // Follows the run until the marker shows, the process ends, or the time (ms from the start) is up.
    bool Wait_for_marker(size_t i, double until_ms) {
        while (seen_ms_[i] < 0 && !ended_ && Ms_since(origin_) < until_ms)
            Step(std::max(1, static_cast<int>(until_ms - Ms_since(origin_))));
        return seen_ms_[i] >= 0;
    }
    // Follows the run until the time (ms from the start) has come or the process has ended.
    void Follow_until(double until_ms) {
        while (!ended_ && Ms_since(origin_) < until_ms)
            Step(std::max(1, static_cast<int>(until_ms - Ms_since(origin_))));
    }
    // Follows the run to its end; past the time it is killed, and false is returned.
    bool Wait_end(double until_ms) {
        Follow_until(until_ms);
        if (ended_) return true;
        kill(pid_, SIGKILL);
        while (!ended_) Step(100);
        return false;
    }

private:
    void Read_log() {
        const int fd = open(log_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        struct stat st {};
        if (fstat(fd, &st) == 0 && st.st_size < offset_) offset_ = 0, tail_.clear();
        char buffer[65536];
        ssize_t n = 0;
        std::string fresh;
        while ((n = pread(fd, buffer, sizeof buffer, offset_)) > 0) {
            fresh.append(buffer, static_cast<size_t>(n));
            offset_ += n;
        }
        close(fd);
        if (fresh.empty()) return;
        const double now = Ms_since(origin_);
        // A little of the text before, so that a marker split over two reads is still found.
        const std::string text = tail_ + fresh;
        for (size_t i = 0; i < markers_.size(); ++i)
            if (seen_ms_[i] < 0 && text.find(markers_[i]) != std::string::npos) seen_ms_[i] = now;
        tail_ = text.substr(text.size() > 256 ? text.size() - 256 : 0);
    }

    fs::path log_;
    std::vector<std::string> markers_;
    std::vector<double> seen_ms_;
    std::string tail_;
    off_t offset_ = 0;
    int inotify_ = -1, pidfd_ = -1;
    pid_t pid_ = -1;
    Clock::time_point origin_;
    bool ended_ = false;
    double end_ms_ = -1;
    int status_ = 0;
    rusage usage_{};
};

// Processor time in seconds to the nanosecond, where /proc's stat counts in ticks of 10 ms: a quiet
// process spends a few of them in a stretch. The whole process (threads that ended included) through
// its CPU-time clock, one thread through the scheduler's own count; -1 when it is gone.
inline double Cpu_precise_s(pid_t pid, pid_t task = 0) {
    if (task) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(task) + "/schedstat");
        long long ns = -1;
        return in >> ns ? static_cast<double>(ns) * 1e-9 : -1;
    }
    clockid_t clock;
    timespec t{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0) return -1;
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The number of times a thread gave up the processor of its own accord (each sleep ends in a wake-up).
inline long Voluntary_switches(pid_t pid, pid_t task) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(task) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
    return -1;
}

using TestSupport::Virtual_display;  // a virtual X server of a given size, for the window runs

inline double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace Bench_home
