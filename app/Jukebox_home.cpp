// Finding and making the jukebox home. A new home gets the installed theme through a link, so an
// update of the program updates every home's pictures; a home with pictures of its own keeps them.
#include "app/Jukebox_home.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "platform/paths.h"
#include "platform/user_folders.h"
#include "settings/VxRead.h"

namespace Jukebox_home {
namespace {
namespace fs = std::filesystem;

constexpr const char* Theme_probe = "IMAGE_background.jpg";
constexpr const char* Write_probe = ".tavrix-write-test";

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

bool Is_folder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

std::string Reason(const std::error_code& ec) { return ec.message(); }

// run/ must take a new file, its content and its removal: an unwritable or full home fails here,
// before the settings, the library or the log are half written.
bool Check_writable(const fs::path& run, std::string& error) {
    const fs::path probe = run / Write_probe;
    errno = 0;
    std::FILE* f = std::fopen(Platform::Utf8_name(probe).c_str(), "wb");
    bool ok = f != nullptr;
    int failure = errno;
    if (f) {
        ok = std::fputs("tavrix\n", f) >= 0 && std::fflush(f) == 0;
        if (!ok) failure = errno;
        if (std::fclose(f) != 0 && ok) {
            ok = false;
            failure = errno;
        }
        std::remove(Platform::Utf8_name(probe).c_str());
    }
    if (!ok)
        error = "the jukebox home cannot be written: " + Platform::Utf8_name(run) + ": " +
                (failure ? std::strerror(failure) : "write failed");
    return ok;
}

// pics/: a link to the installed theme when the home has no pictures of its own; a link whose target
// went away (the program moved or was removed) is pointed at the theme installed now.
bool Provide_theme(const fs::path& home, Theme theme, std::string& error) {
    const fs::path pics = home / "pics";
    std::error_code ec;
    const fs::file_status link = fs::symlink_status(pics, ec);
    const bool present = fs::exists(link);
    const bool dangling = fs::is_symlink(link) && !Is_folder(pics);
    if (!present || dangling) {
        const std::string installed = Platform::Installed_theme_folder();
        if (!installed.empty()) {
            if (dangling) {
                const std::string old_target = Platform::Utf8_name(fs::read_symlink(pics, ec));
                fs::remove(pics, ec);
                std::cerr << "tavrix: " << Platform::Utf8_name(pics) << " pointed at " << old_target
                          << ", which is gone; it now points at " << installed << "\n";
            }
            fs::create_symlink(Platform::Fs_path(installed), pics, ec);
            if (ec) {
                error = "cannot link the theme into the jukebox home: " + Platform::Utf8_name(pics) + ": " + Reason(ec);
                return false;
            }
        }
    }
    if (theme == Theme::not_needed) return true;
    if (fs::is_regular_file(pics / Theme_probe, ec)) return true;
    if (fs::is_symlink(fs::symlink_status(pics, ec)))
        error = "the theme pictures are missing: " + Platform::Utf8_name(pics) + " points at " +
                Platform::Utf8_name(fs::read_symlink(pics, ec)) + ", which holds no " + Theme_probe +
                " (reinstall tavrix, or remove the link to use the installed theme)";
    else
        error = "the theme pictures are missing: no " + Platform::Utf8_name(pics / Theme_probe) +
                " (reinstall tavrix, or copy a theme into " + Platform::Utf8_name(pics) + ")";
    return false;
}

// The first settings of a new home name the user's music folder; without one, the home's own.
void Choose_first_music_folder(const fs::path& home) {
    const std::string music = Platform::User_music_folder();
    if (!music.empty() && Is_folder(Platform::Fs_path(music))) {
        VxRead::Set_new_file_music_folder(music);
        return;
    }
    std::error_code ec;
    fs::create_directories(home / "music", ec);
}
}  // namespace

bool Is_run_folder(const std::string& folder) {
    const fs::path run = Platform::Fs_path(folder);
    if (run.filename() != "run" || !Is_folder(run)) return false;
    return Exists(run / VxRead::File_name) || Exists(run.parent_path() / "pics") || Exists(run.parent_path() / "music");
}

bool Is_home(const std::string& folder) { return Is_folder(Platform::Fs_path(folder) / "run"); }

bool Find(const std::string& option_home, Choice& choice, std::string& error) {
    std::error_code ec;
    if (!option_home.empty()) {
        choice = {Platform::Utf8_name(fs::absolute(Platform::Fs_path(option_home), ec).lexically_normal()),
                  Origin::option};
    } else if (const fs::path here = fs::current_path(ec); !ec && Is_run_folder(Platform::Utf8_name(here))) {
        choice = {Platform::Utf8_name(here.parent_path()), Origin::working_folder};
    } else {
        const std::string data = Platform::User_data_folder();
        if (data.empty()) {
            error = "no folder for the jukebox home: set HOME or XDG_DATA_HOME, or use --home DIR";
            return false;
        }
        choice = {Platform::Utf8_name((Platform::Fs_path(data) / "tavrix").lexically_normal()), Origin::user_data};
    }
    while (choice.folder.size() > 1 && choice.folder.back() == '/') choice.folder.pop_back();
    return true;
}

bool Enter(const Choice& choice, Theme theme, std::string& error) {
    const fs::path home = Platform::Fs_path(choice.folder);
    std::error_code ec;
    if (Exists(home) && !Is_folder(home)) {
        error = "the jukebox home " + Platform::Utf8_name(home) + " is not a folder";
        return false;
    }
    const bool is_new = !Is_home(Platform::Utf8_name(home));
    if (is_new && Is_folder(home) && !fs::is_empty(home, ec)) {
        error = "the folder " + Platform::Utf8_name(home) +
                " is not a jukebox home (it has no run/ folder) and is not empty; name a new or empty folder";
        return false;
    }
    fs::create_directories(home / "run", ec);
    if (ec) {
        error = "cannot make the jukebox home " + Platform::Utf8_name(home / "run") + ": " + Reason(ec);
        return false;
    }
    if (!Check_writable(home / "run", error)) return false;
    for (const char* sub : {"covers", "files"}) {
        fs::create_directories(home / sub, ec);
        if (ec) {
            error = "cannot make the jukebox home " + Platform::Utf8_name(home / sub) + ": " + Reason(ec);
            return false;
        }
    }
    if (!Provide_theme(home, theme, error)) return false;
    if (is_new) Choose_first_music_folder(home);
    fs::current_path(home / "run", ec);
    if (ec) {
        error = "cannot enter the jukebox home " + Platform::Utf8_name(home / "run") + ": " + Reason(ec);
        return false;
    }
    return true;
}

}  // namespace Jukebox_home
