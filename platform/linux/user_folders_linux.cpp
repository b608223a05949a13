// The user's folders on Linux from the XDG variables and xdg-user-dir, and the installed theme
// found from the program's own path (/proc/self/exe), so an install under any prefix finds its pictures.
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/user_folders.h"

namespace Platform {
namespace {
namespace fs = std::filesystem;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The first line a command prints, "" when it cannot be run.
std::string First_line_of(const char* command) {
    std::FILE* pipe = popen(command, "r");
    if (!pipe) return "";
    std::string out;
    std::array<char, 4096> buffer{};
    if (std::fgets(buffer.data(), buffer.size(), pipe)) out = buffer.data();
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

bool Holds_theme(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / "IMAGE_background.jpg", ec);
}
}  // namespace

std::string User_data_folder() {
    const std::string xdg = Variable("XDG_DATA_HOME");
    // The XDG rules ignore a relative path: it would depend on the folder the program starts in.
    if (!xdg.empty() && xdg[0] == '/') return xdg;
    const std::string home = Variable("HOME");
    return home.empty() ? "" : home + "/.local/share";
}

std::string User_music_folder() {
    const std::string home = Variable("HOME");
    if (home.empty()) return "";
    // xdg-user-dir answers $HOME itself for a folder the user has not set up; that is no music folder.
    std::string named = First_line_of("xdg-user-dir MUSIC 2>/dev/null");
    while (named.size() > 1 && named.back() == '/') named.pop_back();
    std::string bare_home = home;
    while (bare_home.size() > 1 && bare_home.back() == '/') bare_home.pop_back();
    if (!named.empty() && named[0] == '/' && named != bare_home) return named;
    return bare_home + "/Music";
}

std::string Installed_theme_folder() {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "";
    const fs::path bin = program.parent_path();
    for (const fs::path& candidate : {bin.parent_path() / "share" / "tavrix" / "pics", bin.parent_path() / "pics"}) {
        if (Holds_theme(candidate)) return fs::weakly_canonical(candidate, ec).string();
    }
    return "";
}

}  // namespace Platform
