// The cover path shared by the JPEG and BMP harnesses: a downloaded file goes through the size guard, the
// cover cache and the panel's reading of the cache file, on an 800x600 window of SDL's dummy driver.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "display/VxBitmap.h"
#include "display/VxDirectX.h"
#include "library/VxDatabase.h"
#include "platform/dialogs.h"
#include "platform/surface.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "tools/fuzz/Fuzz_scratch.h"
#include "trace/VxTrace.h"

namespace Cover_harness {

namespace fs = std::filesystem;

// The jukebox home's layout: run/ is the working folder, so "../pics/" and "../covers/" are the scratch folder's.
inline void Start_jukebox() {
    const std::string home = Fuzz_scratch::Enter();
    for (const char* folder : {"/run", "/pics", "/covers", "/music/Album"}) fs::create_directories(home + folder);
    fs::current_path(home + "/run");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    Platform::Set_headless(true);
    VxTrace::Instance().Open(fs::current_path().string());
    const std::string ini = VxRead::File_name;
    CIniFile::Create_file(ini);
    CIniFile::Set_value("MusicFolder", home + "/music", "MUSIC LOCATION", ini);
    // Trace markers on every decode would cost more than the decoding itself.
    CIniFile::Set_value("UseLogging", "no", "SYSTEM SETTINGS", ini);
    CIniFile::Set_value("SaveScaledBitmaps", "yes", "SYSTEM SETTINGS", ini);
    VxRead::Instance();
    Install_trace_logging_switch();
    // The placeholder that replaces covers over the size limit, when the harness was given one.
    if (const char* placeholder = std::getenv("TAVRIX_FUZZ_PLACEHOLDER"))
        fs::copy_file(placeholder, home + "/pics/IMAGE_no_cover.jpg", fs::copy_options::overwrite_existing);
    std::string error;
    if (!Platform::Window::Instance().Open("fuzz", 0, 0, 800, 600, error)) Fuzz_scratch::Fail("no window: " + error);
    VxDisplay_config config;
    config.pics_folder = home + "/pics/";
    VxDirectX::Instance().Init(&Platform::Window::Instance(), 0, 0, 800, 600, config);
}

// The error trace and the dialog record gain a line for most inputs: emptied now and then, so that a long
// run does not fill the memory file system.
inline void Forget_old_reports() {
    static unsigned inputs = 0;
    if (++inputs % 4096 != 0) return;
    std::error_code ignored;
    fs::resize_file("dialogs.txt", 0, ignored);
    VxTrace::Instance().Flush();
    fs::resize_file("error.txt", 0, ignored);
}

// One input as the album's cover "cover.EXTENSION". The scaled cache (32-bit, panel size) and the full-size
// one (24-bit, JPEG only) take turns by the input's size. A cache file that was written must load as the
// panel loads it; one that was not must not exist, not even in part.
inline void Run_one(const std::uint8_t* data, std::size_t size, const std::string& extension) {
    Forget_old_reports();
    const std::string home = Fuzz_scratch::Enter();
    const std::string cover = home + "/music/Album/cover." + extension;
    const std::string cached = home + "/covers/Album.bmp";
    std::error_code ignored;
    fs::remove(cached, ignored);
    Fuzz_scratch::Write(cover, data, size);

    VxRead& settings = VxRead::Instance();
    const bool scaled = extension != "jpg" || size % 2 == 0;
    if (settings.Get_save_scaled_bitmaps() != scaled) {
        CIniFile::Set_value("SaveScaledBitmaps", scaled ? "yes" : "no", "SYSTEM SETTINGS", VxRead::File_name);
        settings.Get_save_scaled_bitmaps(true);
    }
    if (!settings.Check_image_size(cover)) return;
    VxDatabase::Instance().Cache_cover(cover, cached);
    if (!fs::exists(cached)) return;

    VxBitmap panel;
    panel.Set_size(16.0 * 600 / 800, 16.0);
    panel.Loading_surface(cached, VxPicture::Cover);
    if (!panel.Is_loaded())
        Fuzz_scratch::Fail(std::string("the cover cache wrote a file the panel cannot load (") +
                           (scaled ? "scaled" : "full size") + ")");
    panel.Release_surface();
}

}  // namespace Cover_harness
