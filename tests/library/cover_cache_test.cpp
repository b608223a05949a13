// The cover cache on an 800x600 window of SDL's dummy driver: which cache files a pass makes, keeps
// and removes, their format on both bitmap paths, album names that try to leave the folder, downloads.
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "display/Bmp_file.h"
#include "display/VxBitmap.h"
#include "display/VxDirectX.h"
#include "library/VxDatabase.h"
#include "platform/dialogs.h"
#include "platform/surface.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "tests/support/jpeg_file.h"
#include "tests/support/test_support.h"

namespace fs = boost::filesystem;

namespace {

void Write_jpeg(const std::string& path, int width, int height, int r, int g, int b) {
    ASSERT_TRUE(TestSupport::Write_jpeg(path, width, height, r, g, b)) << path;
}

void Patch_jpeg_size(const std::string& path, int width, int height) {
    ASSERT_TRUE(TestSupport::Patch_jpeg_size(path, width, height)) << path;
}

struct Bmp_info {
    int width = 0, height = 0, bits = 0;
    Platform::Pixel centre = 0;
};

// Reads a cache file the way a panel does; fails the test when it is not a readable BMP.
Bmp_info Read_bmp(const std::string& path) {
    Bmp_info info;
    const std::string data = TestSupport::Read_file(path);
    EXPECT_GE(data.size(), 54u) << path;
    if (data.size() < 54) return info;
    EXPECT_EQ(data.substr(0, 2), "BM");
    info.bits = static_cast<unsigned char>(data[28]) | (static_cast<unsigned char>(data[29]) << 8);
    std::string error;
    auto surface = Platform::Surface::Load_bmp(path, error);
    EXPECT_NE(surface, nullptr) << error;
    if (!surface) return info;
    info.width = surface->Width();
    info.height = surface->Height();
    info.centre = surface->Get_pixel(info.width / 2, info.height / 2) & 0x00FFFFFF;
    return info;
}

bool Near(Platform::Pixel p, int r, int g, int b) {
    auto close = [](int a, int b) { return std::abs(a - b) <= 8; };
    return close(static_cast<int>((p >> 16) & 0xFF), r) && close(static_cast<int>((p >> 8) & 0xFF), g) &&
           close(static_cast<int>(p & 0xFF), b);
}

struct Home_options {
    bool display = true;
    bool save_scaled = true;
    bool download = false;
};

// A jukebox home in a scratch folder: run/ is the working folder, so "../covers/" and "../pics/"
// are the scratch folder's own. The settings file is written first; the library is set in memory.
class CoverCache : public ::testing::Test {
protected:
    void Start(Home_options setup = {}) {
        home_ = scratch_.Path();
        TestSupport::Make_dirs(home_ + "/run");
        TestSupport::Make_dirs(Pics());
        TestSupport::Make_dirs(home_ + "/music");
        fs::current_path(home_ + "/run");
        TestSupport::Open_trace_here();
        Platform::Set_headless(true);
        const std::string ini = VxRead::File_name;
        CIniFile::Create_file(ini);
        CIniFile::Set_value("MusicFolder", home_ + "/music", "MUSIC LOCATION", ini);
        CIniFile::Set_value("SaveScaledBitmaps", setup.save_scaled ? "yes" : "no", "SYSTEM SETTINGS", ini);
        VxRead& settings = VxRead::Instance();
        settings.Set_download_covers(setup.download);
        settings.Set_cache_covers(true);
        Write_jpeg(Pics() + "IMAGE_no_cover.jpg", 50, 40, 0, 0, 200);
        if (setup.display) {
            TestSupport::Set_env("SDL_VIDEODRIVER", "dummy");
            std::string error;
            ASSERT_TRUE(Platform::Window::Instance().Open("test", 0, 0, 800, 600, error)) << error;
            VxDisplay_config config;
            config.pics_folder = Pics();
            VxDirectX::Instance().Init(&Platform::Window::Instance(), 0, 0, 800, 600, config);
        }
    }

    // Adds an album folder below music/; with a cover, a JPEG of that colour is written there.
    void Album(const std::string& folder, const std::string& name, const std::string& cover = "", int r = 255,
               int g = 0, int b = 0, int width = 200, int height = 100) {
        const std::string path = home_ + "/music/" + folder + "/";
        TestSupport::Make_dirs(path);
        TestSupport::Write_file(path + "1.mp3", "");
        if (!cover.empty()) Write_jpeg(path + cover, width, height, r, g, b);
        VX_FileSystem_cd cd;
        cd.path = path;
        cd.name = name;
        cd.cover = cover;
        cd.songs.push_back(VX_FileSystem_song{"1.mp3", "1", "", "", -1});
        list_.cds.push_back(cd);
        VxDatabase::Instance().Set_musiclist(list_);
    }

    std::string Pics() const { return home_ + "/pics/"; }
    std::string Covers() const { return home_ + "/covers/"; }
    std::vector<std::string> Dialogs() const {
        std::vector<std::string> lines;
        std::istringstream in(TestSupport::Read_file("dialogs.txt"));
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) lines.push_back(line);
        return lines;
    }
    std::vector<std::string> Cover_files() const {
        std::vector<std::string> names;
        for (fs::directory_iterator it(Covers()), end; it != end; ++it) names.push_back(it->path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TestSupport::Scratch_dir scratch_;
    std::string home_;
    VX_FileSystem_musiclist list_;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(CoverCache, MadeOnceAtPanelSizeWithProgressPerAlbumThenThePassIsOff) {
    Start();
    Album("A - B", "A - B", "cover.jpg", 255, 0, 0);
    Album("C - D", "C - D", "cover.jpg", 0, 255, 0);
    VxDatabase& db = VxDatabase::Instance();
    std::vector<int> ticks;
    db.Set_progress_hooks({[&](unsigned id) { ticks.push_back(id == 8 ? db.Get_cover_index() : -1); }, nullptr});

    db.Create_and_remove_cached_covers();
    EXPECT_EQ(ticks, (std::vector<int>{0, 1}));
    EXPECT_EQ(Cover_files(), (Names{"A - B.bmp", "C - D.bmp", "IMAGE_no_cover.bmp"}));
    const Bmp_info a = Read_bmp(db.Get_cd_cached_cover(0));
    EXPECT_EQ(a.width, 96);  // 16 % of 600 high, as wide on the screen: 12 % of 800
    EXPECT_EQ(a.height, 96);
    EXPECT_EQ(a.bits, 32);
    EXPECT_TRUE(Near(a.centre, 255, 0, 0));
    EXPECT_TRUE(Near(Read_bmp(db.Get_cd_cached_cover(1)).centre, 0, 255, 0));
    EXPECT_EQ(Read_bmp(Covers() + "IMAGE_no_cover.bmp").width, 96);
    EXPECT_FALSE(VxRead::Instance().Get_cache_covers(true));
    EXPECT_FALSE(VxDirectX::Instance().Size_limit());
    EXPECT_TRUE(Dialogs().empty());

    // Present cache files are not made again, also when the pass is switched on again.
    TestSupport::Write_file(db.Get_cd_cached_cover(0), "kept");
    VxRead::Instance().Set_cache_covers(true);
    db.Create_and_remove_cached_covers();
    EXPECT_EQ(TestSupport::Read_file(db.Get_cd_cached_cover(0)), "kept");
}

namespace {
// Blue covers stay blue and key-green ones green through the cache and the load a panel makes: the
// theme's blue-to-key rule is not theirs, and a cover never turns transparent on a keyed panel.
void Expect_covers_keep_their_colours(VxDatabase& db) {
    EXPECT_TRUE(Near(Read_bmp(db.Get_cd_cached_cover(0)).centre, 0, 0, 255));
    EXPECT_TRUE(Near(Read_bmp(db.Get_cd_cached_cover(1)).centre, 0, 255, 0));
    for (int c : {0, 1}) {
        VxBitmap panel_cover;
        panel_cover.Set_size(12, 16);
        panel_cover.Loading_surface(db.Get_cd_cached_cover(c), VxPicture::Cover);
        ASSERT_TRUE(panel_cover.Is_loaded()) << c;
        EXPECT_FALSE(panel_cover.Get_surface()->Has_key_pixels()) << c;
        const Platform::Pixel centre =
            panel_cover.Get_surface()->Get_pixel(panel_cover.Surface_width() / 2, panel_cover.Surface_height() / 2);
        EXPECT_TRUE(c == 0 ? Near(centre, 0, 0, 255) : Near(centre, 0, 255, 0)) << c;
    }
}
}  // namespace

TEST_F(CoverCache, BlueAndKeyGreenCoversKeepTheirColoursScaled) {
    Start();
    Album("Sky - Blue", "Sky - Blue", "cover.jpg", 0, 0, 255, 300, 200);
    Album("Lawn - Green", "Lawn - Green", "cover.jpg", 0, 255, 0, 300, 200);
    VxDatabase::Instance().Create_and_remove_cached_covers();
    Expect_covers_keep_their_colours(VxDatabase::Instance());
}

TEST_F(CoverCache, BlueAndKeyGreenCoversKeepTheirColoursUnscaled) {
    Home_options unscaled;
    unscaled.save_scaled = false;
    Start(unscaled);
    Album("Sky - Blue", "Sky - Blue", "cover.jpg", 0, 0, 255, 300, 200);
    Album("Lawn - Green", "Lawn - Green", "cover.jpg", 0, 255, 0, 300, 200);
    VxDatabase::Instance().Create_and_remove_cached_covers();
    Expect_covers_keep_their_colours(VxDatabase::Instance());
}

TEST_F(CoverCache, ThemePicturesStillTurnTheirBlueIntoTheKey) {
    Start();
    Write_jpeg(Pics() + "IMAGE_blue.jpg", 40, 40, 0, 0, 255);
    VxBitmap theme;
    theme.Set_size(10, 10);
    theme.Loading_surface(Pics() + "IMAGE_blue.jpg");
    ASSERT_TRUE(theme.Is_loaded());
    EXPECT_TRUE(Platform::Is_key(theme.Get_surface()->Get_pixel(2, 2)));
}

TEST_F(CoverCache, AlbumsWithoutCoverLoseStaleCacheFilesAndShowThePlaceholder) {
    Start();
    Album("No cover", "No cover");       // cover "" names the folder itself
    Album("Gone", "Gone", "cover.jpg");  // cover deleted after the scan
    Album("Fresh", "Fresh");             // no cover, no cache file
    Album("Odd", "IMAGE_no_cover");      // its cache name is the placeholder's, which stays
    fs::remove(home_ + "/music/Gone/cover.jpg");
    TestSupport::Make_dirs(Covers());
    TestSupport::Write_file(Covers() + "No cover.bmp", "stale");
    TestSupport::Write_file(Covers() + "Gone.bmp", "stale");
    TestSupport::Write_file(Covers() + "Other album.bmp", "not ours to judge");

    VxDatabase& db = VxDatabase::Instance();
    db.Create_and_remove_cached_covers();
    EXPECT_EQ(Cover_files(), (Names{"IMAGE_no_cover.bmp", "Other album.bmp"}));
    EXPECT_TRUE(fs::is_directory(home_ + "/music/No cover"));
    EXPECT_TRUE(fs::exists(home_ + "/music/No cover/1.mp3"));
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_FALSE(VxRead::Instance().Get_cache_covers(true));

    // A second pass over the same albums finds nothing to do and reports nothing.
    VxRead::Instance().Set_cache_covers(true);
    db.Create_and_remove_cached_covers();
    EXPECT_EQ(Cover_files(), (Names{"IMAGE_no_cover.bmp", "Other album.bmp"}));
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(CoverCache, AlbumsOfOneDisplayNameShareTheFirstAlbumsFile) {
    Start();
    Album("x/A - B", "A - B", "cover.jpg", 255, 0, 0);
    Album("y/A - B", "A - B", "cover.jpg", 0, 255, 0);
    VxDatabase& db = VxDatabase::Instance();
    db.Create_and_remove_cached_covers();
    EXPECT_EQ(Cover_files(), (Names{"A - B.bmp", "IMAGE_no_cover.bmp"}));
    EXPECT_TRUE(Near(Read_bmp(Covers() + "A - B.bmp").centre, 255, 0, 0));
}

TEST_F(CoverCache, EmptyDownloadIsDeletedAndTheAlbumGoesOn) {
    Start();
    Album("A - B", "A - B", "VxCover.jpg");
    const std::string cover = home_ + "/music/A - B/VxCover.jpg";
    TestSupport::Write_file(cover, "");
    VxDatabase& db = VxDatabase::Instance();
    db.Create_and_remove_cached_covers();
    EXPECT_FALSE(fs::exists(cover));
    EXPECT_TRUE(fs::exists(home_ + "/music/A - B/1.mp3"));
    EXPECT_EQ(Cover_files(), (Names{"IMAGE_no_cover.bmp"}));
    EXPECT_EQ(db.Get_cd_cover(0), "VxCover.jpg");  // the record keeps the name until the next scan
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(CoverCache, WithCacheCoversOffOnlyThePlaceholderIsMade) {
    Start();
    Album("A - B", "A - B", "cover.jpg");
    Album("C - D", "C - D");
    TestSupport::Make_dirs(Covers());
    TestSupport::Write_file(Covers() + "C - D.bmp", "stale");
    VxRead::Instance().Set_cache_covers(false);
    VxDatabase& db = VxDatabase::Instance();
    int ticks = 0;
    db.Set_progress_hooks({[&](unsigned) { ++ticks; }, nullptr});
    db.Create_and_remove_cached_covers();
    EXPECT_EQ(Cover_files(), (Names{"C - D.bmp", "IMAGE_no_cover.bmp"}));
    EXPECT_EQ(ticks, 0);

    // The placeholder is made only when missing.
    TestSupport::Write_file(Covers() + "IMAGE_no_cover.bmp", "kept");
    db.Create_and_remove_cached_covers();
    EXPECT_EQ(TestSupport::Read_file(Covers() + "IMAGE_no_cover.bmp"), "kept");
}

namespace {
// An album whose cover is a BMP, as some rippers leave them: cached like a JPEG one.
class BitmapCover : public CoverCache {
protected:
    Bmp_info Cache(bool scaled) {
        Start({.save_scaled = scaled});
        Album("A - B", "A - B");
        const std::string cover = home_ + "/music/A - B/cover.bmp";
        EXPECT_EQ(Write_bmp(cover, 120, 70, Bmp_depth::bits_24, Bmp_padding_word::absent,
                            [](int, int) { return Platform::Make_pixel(200, 40, 10); }),
                  Bmp_result::written);
        list_.cds[0].cover = "cover.bmp";
        VxDatabase& db = VxDatabase::Instance();
        db.Set_musiclist(list_);
        db.Create_and_remove_cached_covers();
        EXPECT_TRUE(Dialogs().empty());
        return Read_bmp(db.Get_cd_cached_cover(0));
    }
};
}  // namespace

TEST_F(BitmapCover, IsCachedAtPanelSizeWhenScaled) {
    const Bmp_info a = Cache(true);
    EXPECT_EQ(a.width, 96);
    EXPECT_EQ(a.bits, 32);
    EXPECT_TRUE(Near(a.centre, 200, 40, 10));
}

TEST_F(BitmapCover, IsCachedAtItsOwnSizeIn24BitsWhenUnscaled) {
    const Bmp_info a = Cache(false);
    EXPECT_EQ(a.width, 120);
    EXPECT_EQ(a.height, 70);
    EXPECT_EQ(a.bits, 24);
    EXPECT_TRUE(Near(a.centre, 200, 40, 10));
}

TEST_F(CoverCache, UnscaledBitmapsKeepTheImagesOwnSizeIn24Bits) {
    Start({.save_scaled = false});
    Album("A - B", "A - B", "cover.jpg", 0, 0, 255, 203, 101);
    VxDatabase& db = VxDatabase::Instance();
    db.Create_and_remove_cached_covers();
    const Bmp_info a = Read_bmp(db.Get_cd_cached_cover(0));
    EXPECT_EQ(a.width, 203);
    EXPECT_EQ(a.height, 101);
    EXPECT_EQ(a.bits, 24);
    EXPECT_TRUE(Near(a.centre, 0, 0, 255));
    const Bmp_info placeholder = Read_bmp(Covers() + "IMAGE_no_cover.bmp");
    EXPECT_EQ(placeholder.width, 50);
    EXPECT_EQ(placeholder.height, 40);
    EXPECT_TRUE(Dialogs().empty());
}

int Count_dialogs(const std::vector<std::string>& lines, const std::string& text) {
    int n = 0;
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) ++n;
    return n;
}

TEST_F(CoverCache, OversizedCoversAreCachedAsThePlaceholderWithOneBox) {
    Start();
    Album("A - B", "A - B", "cover.jpg", 255, 0, 0, 300, 100);
    Album("C - D", "C - D", "cover.jpg", 255, 0, 0, 100, 300);
    Patch_jpeg_size(home_ + "/music/A - B/cover.jpg", 3000, 1000);
    Patch_jpeg_size(home_ + "/music/C - D/cover.jpg", 1000, 3000);
    VxDatabase& db = VxDatabase::Instance();
    db.Create_and_remove_cached_covers();
    for (int c = 0; c < 2; ++c) {
        const Bmp_info info = Read_bmp(db.Get_cd_cached_cover(c));
        EXPECT_EQ(info.width, 96);
        EXPECT_TRUE(Near(info.centre, 0, 0, 200));
    }
    EXPECT_EQ(Count_dialogs(Dialogs(), "was too large"), 1);
}

TEST_F(CoverCache, OversizedCoverUnscaledIsThePlaceholderAtItsOwnSize) {
    Start({.save_scaled = false});
    Album("A - B", "A - B", "cover.jpg", 255, 0, 0, 300, 100);
    Patch_jpeg_size(home_ + "/music/A - B/cover.jpg", 3000, 1000);
    VxDatabase& db = VxDatabase::Instance();
    db.Create_and_remove_cached_covers();
    const Bmp_info info = Read_bmp(db.Get_cd_cached_cover(0));
    EXPECT_EQ(info.width, 50);
    EXPECT_EQ(info.height, 40);
    EXPECT_TRUE(Near(info.centre, 0, 0, 200));
}

TEST_F(CoverCache, AlbumNamesNeverLeaveTheCoversFolder) {
    Start();
    Album("a", "../../x", "cover.jpg");
    Album("b", "..", "cover.jpg");
    Album("c", "..\\..\\y", "cover.jpg");
    VxDatabase& db = VxDatabase::Instance();
    for (int c = 0; c < 3; ++c) {
        const fs::path cached = fs::absolute(db.Get_cd_cached_cover(c)).lexically_normal();
        EXPECT_EQ(cached.parent_path(), fs::path(home_ + "/covers")) << cached;
    }
    db.Create_and_remove_cached_covers();
    EXPECT_EQ(Cover_files(), (Names{"...bmp", ".._.._x.bmp", ".._.._y.bmp", "IMAGE_no_cover.bmp"}));
    EXPECT_FALSE(fs::exists(home_ + "/x.bmp"));
    EXPECT_FALSE(fs::exists(fs::path(home_).parent_path() / "x.bmp"));
}

TEST_F(CoverCache, TheInstalledDownloaderRunsOnlyWhenDownloadsAreOn) {
    Start({.download = true});
    Album("A - B", "A - B");
    VxDatabase& db = VxDatabase::Instance();
    db.Set_download_count(5);
    int calls = 0;
    // As the internet services do: fetch the file, name it the cover, cache it at once.
    db.Set_cover_downloader([&](double budget_s) {
        ++calls;
        EXPECT_EQ(budget_s, VxDatabase::Cover_pass_budget_s);
        EXPECT_EQ(db.Get_download_count(), 0);
        Write_jpeg(home_ + "/music/A - B/VxCover.jpg", 60, 60, 0, 255, 0);
        db.Set_cd_cover(0, "VxCover.jpg");
        db.Set_download_count(1);
        db.Cache_cover(db.Get_cd_cover_path(0), db.Get_cd_cached_cover(0));
    });
    db.Create_and_remove_cached_covers();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(db.Get_download_count(), 1);
    EXPECT_TRUE(Near(Read_bmp(db.Get_cd_cached_cover(0)).centre, 0, 255, 0));

    VxRead::Instance().Set_download_covers(false);
    db.Create_and_remove_cached_covers();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(db.Get_download_count(), 0);
    db.Download_missing_covers();  // on request (the options mode) it runs whatever the setting
    EXPECT_EQ(calls, 2);
}

TEST_F(CoverCache, WithoutADisplayNothingIsCachedAndThePassStaysDue) {
    Start({.display = false});
    Album("A - B", "A - B", "cover.jpg");
    Album("C - D", "C - D");
    TestSupport::Make_dirs(Covers());
    TestSupport::Write_file(Covers() + "C - D.bmp", "stale");
    VxDatabase& db = VxDatabase::Instance();
    db.Cache_cover(db.Get_cd_cover_path(0), db.Get_cd_cached_cover(0));
    db.Create_and_remove_cached_covers();
    EXPECT_EQ(Cover_files(), Names{});  // the stale file still goes
    EXPECT_TRUE(VxRead::Instance().Get_cache_covers(true));
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("display is not initialised"), std::string::npos);
    EXPECT_TRUE(Dialogs().empty());
}
