// The jukebox home as the program finds and makes it, with a temporary HOME and XDG variables: each
// step of the search order, a new home's pictures link and music folder, and the bad homes, each with
// one clear line and nothing of the user's touched. Also the start without a display.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "tests/app/program_run.h"
#include "tests/support/test_support.h"

namespace {
namespace fs = std::filesystem;
using ProgramTest::Outcome;
using ProgramTest::Run_program;
using TestSupport::Make_dirs;
using TestSupport::Read_file;
using TestSupport::Write_file;

const std::vector<std::string> Library_run{"--headless", "--rebuild-library"};

class Home_search : public ::testing::Test {
protected:
    Home_search() : user(scratch.Path() + "/user"), elsewhere(scratch.Path() + "/somewhere") {
        Make_dirs(user);
        Make_dirs(elsewhere);
        Write_file(elsewhere + "/notes.txt", "mine");
    }
    // The variables a desktop session gives; xdg-user-dir reads XDG_CONFIG_HOME/user-dirs.dirs.
    std::vector<std::string> Env(const std::vector<std::string>& more = {}) const {
        std::vector<std::string> env{"HOME=" + user, "PATH=/usr/bin:/bin", "XDG_CONFIG_HOME=" + user + "/.config"};
        env.insert(env.end(), more.begin(), more.end());
        return env;
    }
    std::string Settings(const std::string& home) { return Read_file(home + "/run/settings_v3.ini"); }
    // Only the file the test put there: the program wrote nothing into a folder that is no home.
    void Expect_untouched(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"notes.txt"}) << folder;
    }

    TestSupport::Scratch_dir scratch;
    std::string user, elsewhere;
};

TEST_F(Home_search, EachStepOfTheSearchInItsOrder) {
    // 3. An ordinary folder: $XDG_DATA_HOME/tavrix, made on the first start; the folder is left alone.
    const std::string data = scratch.Path() + "/data";
    Outcome o = Run_program(elsewhere, Library_run, Env({"XDG_DATA_HOME=" + data}));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_TRUE(fs::exists(data + "/tavrix/run/settings_v3.ini"));
    EXPECT_TRUE(fs::exists(data + "/tavrix/run/MusicDataBase.dat"));
    EXPECT_TRUE(fs::is_directory(data + "/tavrix/covers"));
    EXPECT_TRUE(fs::is_directory(data + "/tavrix/files"));
    Expect_untouched(elsewhere);

    // Without XDG_DATA_HOME (or with a relative one, which the rules ignore): ~/.local/share/tavrix.
    o = Run_program(elsewhere, Library_run, Env({"XDG_DATA_HOME=relative/data"}));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_TRUE(fs::exists(user + "/.local/share/tavrix/run/settings_v3.ini"));
    Expect_untouched(elsewhere);

    // 2. The run/ folder of a home is used as it is, before the data folder.
    const std::string own = scratch.Path() + "/own";
    Make_dirs(own + "/run");
    Make_dirs(own + "/music");
    o = Run_program(own + "/run", Library_run, Env({"XDG_DATA_HOME=" + data}));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(Settings(own).find(" MusicFolder=../music\n"), std::string::npos);  // today's default stays

    // 1. --home before everything, made when missing; the script named from the start folder.
    const std::string named = scratch.Path() + "/named";
    o = Run_program(own + "/run", {"--home", named, "--headless", "--list"}, Env({"XDG_DATA_HOME=" + data}));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_TRUE(fs::is_directory(named + "/run"));
    // An empty folder may become a home too.
    Make_dirs(scratch.Path() + "/empty");
    o = Run_program(elsewhere, {"--home", scratch.Path() + "/empty", "--headless", "--list"}, Env());
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_TRUE(fs::is_directory(scratch.Path() + "/empty/run"));
}

TEST_F(Home_search, ANewHomeNamesTheUsersMusicFolderAndLinksTheInstalledTheme) {
    Make_dirs(user + "/.config");
    Make_dirs(user + "/Tunes/Alpha - One");
    Write_file(user + "/Tunes/Alpha - One/01 - First.mp3", "");
    Write_file(user + "/.config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n");
    const std::string home = scratch.Path() + "/data/tavrix";
    Outcome o = Run_program(elsewhere, {"--headless", "--rebuild-library", "--list"},
                            Env({"XDG_DATA_HOME=" + scratch.Path() + "/data"}));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(Settings(home).find(" MusicFolder=" + user + "/Tunes\n"), std::string::npos) << Settings(home);
    EXPECT_NE(o.out.find("name='Alpha - One'"), std::string::npos) << o.out;
    // The theme of the build (installed: <prefix>/share/tavrix/pics), through a link.
    ASSERT_TRUE(fs::is_symlink(home + "/pics"));
    EXPECT_TRUE(fs::exists(home + "/pics/IMAGE_background.jpg"));
    EXPECT_FALSE(fs::exists(home + "/music"));  // the user's folder serves

    // Without a configured music folder: ~/Music; without that either, the home's own music/.
    fs::remove(user + "/.config/user-dirs.dirs");
    Make_dirs(user + "/Music");
    o = Run_program(elsewhere, Library_run, Env({"XDG_DATA_HOME=" + scratch.Path() + "/d2"}));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(Settings(scratch.Path() + "/d2/tavrix").find(" MusicFolder=" + user + "/Music\n"), std::string::npos);
    fs::remove(user + "/Music");
    o = Run_program(elsewhere, Library_run, Env({"XDG_DATA_HOME=" + scratch.Path() + "/d3"}));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(Settings(scratch.Path() + "/d3/tavrix").find(" MusicFolder=../music\n"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(scratch.Path() + "/d3/tavrix/music"));

    // A home with pictures of its own keeps them.
    const std::string own = scratch.Path() + "/own";
    Make_dirs(own + "/run");
    Make_dirs(own + "/pics");
    o = Run_program(elsewhere, {"--home", own, "--headless", "--list"}, Env());
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_FALSE(fs::is_symlink(own + "/pics"));
}

TEST_F(Home_search, BadHomesGiveOneLineAndTouchNothing) {
    Write_file(scratch.Path() + "/a-file", "mine");
    Outcome o = Run_program(elsewhere, {"--home", scratch.Path() + "/a-file", "--headless", "--list"}, Env());
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.err, "tavrix: the jukebox home " + scratch.Path() + "/a-file is not a folder\n");
    EXPECT_EQ(Read_file(scratch.Path() + "/a-file"), "mine");

    o = Run_program(scratch.Path(), {"--home", elsewhere, "--headless", "--list"}, Env());
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find("is not a jukebox home (it has no run/ folder) and is not empty"), std::string::npos) << o.err;
    Expect_untouched(elsewhere);

    // A full disk: no write succeeds. The start ends before a settings file or log is half written.
    const std::string full = scratch.Path() + "/full";
    o = Run_program(elsewhere, {"--home", full, "--headless", "--list"}, Env(), ProgramTest::File_size::none);
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.err.rfind("tavrix: the jukebox home cannot be written: " + full + "/run: File too large", 0), 0u)
        << o.err;
    EXPECT_TRUE(fs::is_empty(full + "/run"));

    // An unwritable home (root writes everywhere, so the program runs as nobody there).
    const std::string locked = scratch.Path() + "/locked";
    Make_dirs(locked + "/run");
    fs::permissions(scratch.Path(), fs::perms::all, fs::perm_options::add);
    fs::permissions(locked + "/run", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                         fs::perms::others_exec | fs::perms::group_read | fs::perms::group_exec);
    o = Run_program(elsewhere, {"--home", locked, "--headless", "--list"}, Env(), ProgramTest::File_size::unlimited,
                    getuid() == 0 ? 65534 : 0);
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find("cannot be written: " + locked + "/run: Permission denied"), std::string::npos) << o.err;
    fs::permissions(locked + "/run", fs::perms::owner_all, fs::perm_options::add);

    // Without HOME and XDG_DATA_HOME no home can be named.
    o = Run_program(elsewhere, {"--headless", "--list"}, {"PATH=/usr/bin:/bin"});
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.err, "tavrix: no folder for the jukebox home: set HOME or XDG_DATA_HOME, or use --home DIR\n");
    Expect_untouched(elsewhere);
}

TEST_F(Home_search, ADanglingPicturesLinkIsPointedAtTheThemeOrRefused) {
    const std::string home = scratch.Path() + "/home";
    Make_dirs(home + "/run");
    fs::create_symlink(scratch.Path() + "/gone/pics", home + "/pics");
    // The window needs the pictures: the link is pointed at the theme there is, with a note.
    Outcome o = Run_program(elsewhere, {"--home", home, "--headless", "--script", "/nonexistent-script"}, Env());
    EXPECT_EQ(o.code, 2);  // the script then cannot be read: the home was entered before that
    EXPECT_NE(o.err.find(home + "/pics pointed at " + scratch.Path() + "/gone/pics, which is gone; it now points at "),
              std::string::npos)
        << o.err;
    EXPECT_TRUE(fs::exists(home + "/pics/IMAGE_background.jpg"));

    // A pictures folder without the theme: one clear line instead of a box for every picture.
    fs::remove(home + "/pics");
    Make_dirs(home + "/pics");
    o = Run_program(elsewhere, {"--home", home, "--headless"}, Env());
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.err, "tavrix: the theme pictures are missing: no " + home +
                         "/pics/IMAGE_background.jpg (reinstall tavrix, or copy a theme into " + home + "/pics)\n");
    EXPECT_FALSE(fs::exists(home + "/run/dialogs.txt"));
}

TEST_F(Home_search, AMusicFolderThatVanishedKeepsTheSettingAndTheLibrary) {
    const std::string home = scratch.Path() + "/home";
    Make_dirs(home + "/run");
    Make_dirs(scratch.Path() + "/disk/Alpha - One");
    Write_file(scratch.Path() + "/disk/Alpha - One/01 - First.mp3", "");
    Write_file(home + "/run/settings_v3.ini", " <MUSIC LOCATION>\n MusicFolder=" + scratch.Path() + "/disk\n");
    ASSERT_EQ(Run_program(home + "/run", Library_run, Env()).code, 0);
    const std::string library = Read_file(home + "/run/MusicDataBase.dat");
    ASSERT_NE(library.find("One"), std::string::npos);

    fs::rename(scratch.Path() + "/disk", scratch.Path() + "/unplugged");
    Outcome o = Run_program(home + "/run", {"--headless", "--rebuild-library", "--list"}, Env());
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_NE(Read_file(home + "/run/dialogs.txt")
                  .find("VxRead\tError: the music folder " + scratch.Path() +
                        "/disk can not be found (is its disk connected?)."),
              std::string::npos);
    EXPECT_NE(Settings(home).find(" MusicFolder=" + scratch.Path() + "/disk\n"), std::string::npos);
    EXPECT_EQ(Read_file(home + "/run/MusicDataBase.dat"), library);
    EXPECT_NE(o.out.find("name='Alpha - One'"), std::string::npos);

    // Plugged in again: everything as before, no rebuild.
    fs::rename(scratch.Path() + "/unplugged", scratch.Path() + "/disk");
    fs::remove(home + "/run/dialogs.txt");
    ASSERT_EQ(Run_program(home + "/run", Library_run, Env()).code, 0);
    EXPECT_FALSE(fs::exists(home + "/run/dialogs.txt"));
    EXPECT_EQ(Read_file(home + "/run/MusicDataBase.dat"), library);
}

TEST_F(Home_search, WithoutADisplayTheWindowRunEndsAtOnceWithOneLine) {
    const std::string expected = "tavrix: no display (set DISPLAY, or use --headless)\n";
    // No server answers on :4093: the test support's virtual displays take numbers from 100 to 419,
    // and one of a test running beside this one would be opened.
    for (const std::vector<std::string>& display : {std::vector<std::string>{},
                                                    {"DISPLAY=:4093"},
                                                    {"WAYLAND_DISPLAY=tavrix-test-none"},
                                                    {"SDL_VIDEODRIVER=dummy"},
                                                    {"SDL_VIDEODRIVER=offscreen", "DISPLAY=:4093"}}) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::string> env = Env({"XDG_DATA_HOME=" + scratch.Path() + "/data", "XDG_RUNTIME_DIR=" + user});
        env.insert(env.end(), display.begin(), display.end());
        Outcome o = Run_program(elsewhere, {}, env);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(o.code, 1) << (display.empty() ? "none" : display[0]);
        EXPECT_EQ(o.err, expected);
        // Generous for a loaded machine; a run that fell back to a hidden window would last until killed.
        EXPECT_LT(seconds, 10.0);
        EXPECT_FALSE(fs::exists(scratch.Path() + "/data"));  // nothing written before the display
    }
}

// A machine without a usable HTTP library (here a broken libcurl first in the search path) still
// runs the jukebox; each request that cannot be made says why in error.txt.
TEST_F(Home_search, WithoutTheHttpLibraryAFailedRequestSaysWhy) {
    const std::string libs = scratch.Path() + "/libs", home = scratch.Path() + "/home";
    Make_dirs(libs);
    Write_file(libs + "/libcurl.so.4", "not a library");
    Write_file(elsewhere + "/close.txt", "close\n");
    Outcome o = Run_program(elsewhere, {"--home", home, "--headless", "--script", "close.txt"},
                            Env({"LD_LIBRARY_PATH=" + libs, "TAVRIX_DIST_SERVER=http://127.0.0.1:9/"}));
    ASSERT_EQ(o.code, 0) << o.err;
    const std::string errors = Read_file(home + "/run/error.txt");
    EXPECT_NE(errors.find("Can't open url:http://127.0.0.1:9/Info.txt (" + libs + "/libcurl.so.4: "), std::string::npos)
        << errors;
}

}  // namespace
