// Homes and plain runs of the crash test. The songs are written by the tests' WAV writer; the temporary
// file pattern is the one settings/Atomic_file gives its writes.
#include "tools/crashtest/Crash_home.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "settings/Atomic_file.h"
#include "tests/support/wav_file.h"

namespace fs = std::filesystem;

namespace Crashtest {

Home::Home(std::string folder, const std::string& pics) : folder_(std::move(folder)) {
    for (const char* sub : {"/run", "/covers", "/files", "/music"}) fs::create_directories(folder_ + sub);
    fs::create_directory_symlink(fs::canonical(pics), folder_ + "/pics");
}

void Home::Add_album(const std::string& name, int songs, Songs kind) const {
    const std::string album = Music() + "/" + name;
    fs::create_directories(album);
    for (int n = 1; n <= songs; ++n) {
        const std::string song = album + "/0" + std::to_string(n) + " - Song " + std::to_string(n);
        if (kind == Songs::playable)
            TestSupport::Write_wav(song + ".wav", 30.0);
        else
            std::ofstream(song + ".mp3");
    }
}

void Home::Copy_from(const Home& other) const {
    fs::remove_all(folder_);
    fs::copy(other.folder_, folder_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

std::vector<std::string> Home::Temporaries() const {
    std::vector<std::string> found;
    const auto look = [&found](const fs::path& folder) {
        for (const auto& e : fs::directory_iterator(folder))
            if (Atomic_file::Is_temporary_name(e.path().filename().string())) found.push_back(e.path().string());
    };
    look(Run());
    for (const auto& e : fs::recursive_directory_iterator(Music()))
        if (e.is_directory()) look(e.path());
    return found;
}

void Home::Age(const std::vector<std::string>& files) const {
    const timespec back{::time(nullptr) - 120, 0};
    const timespec times[2] = {back, back};
    for (const std::string& f : files) ::utimensat(AT_FDCWD, f.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::vector<std::string> Headless_env(const Home& home) {
    // GStreamer's plugin registry is kept beside the homes, not in each home's cache: every point copies
    // its home afresh, and a registry built anew each time scans every plugin (under the tracer, too).
    const std::string registry = fs::path(home.Folder()).parent_path().string() + "/gstreamer-registry.bin";
    return {"HOME=" + home.Folder(),      "PATH=/usr/bin:/bin",         "SDL_VIDEODRIVER=dummy",
            "TAVRIX_AUDIO_SINK=fakesink", "TAVRIX_MUSICBRAINZ_SERVER=", "GST_REGISTRY=" + registry};
}

Plain_run Run_plain(const std::string& program, const std::vector<std::string>& args, const Home& home, int timeout_s) {
    int out[2];
    Plain_run result;
    if (::pipe(out) != 0) return result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(home.Run().c_str()) != 0) _exit(126);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0), ::dup2(out[1], 1), ::dup2(null, 2);
        ::close(out[0]), ::close(out[1]);
        ::alarm(static_cast<unsigned>(timeout_s));  // survives the exec: a hung run ends by SIGALRM
        std::vector<std::string> argv{program}, env = Headless_env(home);
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> a, e;
        for (std::string& s : argv) a.push_back(s.data());
        for (std::string& s : env) e.push_back(s.data());
        a.push_back(nullptr);
        e.push_back(nullptr);
        ::execve(a[0], a.data(), e.data());
        _exit(127);
    }
    ::close(out[1]);
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) result.out.append(buffer, static_cast<size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace Crashtest
