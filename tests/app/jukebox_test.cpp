// The jukebox program end to end, headless and scripted, on a generated home in a scratch folder:
// first start, second start, a corrupt library file, an empty music folder, a settings file that
// is no file, closing the window.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/surface.h"
#include "tests/app/jukebox_fixture.h"
#include "tests/support/jpeg_file.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using TestSupport::Make_dirs;
using TestSupport::Read_file;
using TestSupport::Write_file;

namespace {

using Jukebox = JukeboxTest::Home;

TEST_F(Jukebox, FreshHomeStartsScansShowsMainAndQuitsWithQSavingTheLibrary) {
    Add_album("Alpha - One");
    ASSERT_EQ(Start("wait 300\nshot frame.bmp\nkey q\n"), 0);
    EXPECT_TRUE(fs::exists(run + "/settings_v3.ini"));
    EXPECT_NE(Read_file(run + "/MusicDataBase.dat").find("One"), std::string::npos);
    const std::string log = Read_file(run + "/log.txt");
    EXPECT_NE(log.find("set_main_mode"), std::string::npos);
    EXPECT_EQ(Count(log, "\nquit"), 1);  // one press, one action
    EXPECT_GT(fs::file_size(run + "/frame.bmp"), 1024u * 768u * 3u);

    // The second start loads the file and scans in the album added meanwhile, saving it at the quit.
    Add_album("Beta - Two");
    ASSERT_EQ(Start("wait 200\nkey q\n"), 0);
    EXPECT_NE(Read_file(run + "/MusicDataBase.dat").find("Two"), std::string::npos);
    EXPECT_NE(Read_file(run + "/log.txt").find("1 albums new or changed, 0 gone"), std::string::npos);
}

TEST_F(Jukebox, CorruptLibraryShowsBothMessagesAndIsRebuilt) {
    Add_album("Alpha - One");
    ASSERT_EQ(Start("wait 100\nkey q\n"), 0);  // settings and library in place
    fs::remove(run + "/dialogs.txt");
    Write_file(run + "/MusicDataBase.dat", "this is no library");
    ASSERT_EQ(Start("wait 200\nkey q\n"), 0);
    const std::string dialogs = Dialogs();
    const size_t warning = dialogs.find("Warning 'MusicDataBase.dat' is corrupt . The file will be replaced");
    const size_t reloading = dialogs.find("RELOADING 'MusicDataBase.dat' ");
    ASSERT_NE(warning, std::string::npos) << dialogs;
    ASSERT_NE(reloading, std::string::npos) << dialogs;
    EXPECT_LT(warning, reloading);
    EXPECT_NE(Read_file(run + "/MusicDataBase.dat").find("One"), std::string::npos);
}

TEST_F(Jukebox, EmptyMusicFolderIsReportedOnceAndTheJukeboxStillRuns) {
    ASSERT_EQ(Start("wait 200\nkey q\n"), 0);
    EXPECT_EQ(Count(Dialogs(), "No directories with songs found"), 1);
    EXPECT_NE(Read_file(run + "/log.txt").find("set_main_mode"), std::string::npos);
}

TEST_F(Jukebox, ASettingsFileThatIsNoFileEndsTheStartWithCode1AndChangesNothing) {
    Add_album("Alpha - One");
    ASSERT_EQ(Start("wait 100\nkey q\n"), 0);
    const std::string library = Read_file(run + "/MusicDataBase.dat");
    // A folder, and a FIFO (which would block whoever opens it for reading).
    fs::remove(run + "/settings_v3.ini");
    Make_dirs(run + "/settings_v3.ini/inside");
    fs::remove(run + "/dialogs.txt");
    EXPECT_EQ(Start("wait 100\nkey q\n"), 1);
    EXPECT_EQ(Dialogs(), "VxRead\tError: Could not read or create : settings_v3.ini file !\n");
    EXPECT_EQ(Read_file(run + "/MusicDataBase.dat"), library);
    EXPECT_TRUE(fs::is_directory(run + "/settings_v3.ini/inside"));
    EXPECT_EQ(Read_file(run + "/log.txt").find("DB.ReadMusic"), std::string::npos);

    fs::remove_all(run + "/settings_v3.ini");
    ASSERT_EQ(::mkfifo((run + "/settings_v3.ini").c_str(), 0644), 0);
    fs::remove(run + "/dialogs.txt");
    EXPECT_EQ(Start("wait 100\nkey q\n"), 1);
    EXPECT_EQ(Count(Dialogs(), "Could not read or create : settings_v3.ini"), 1);
    EXPECT_EQ(Read_file(run + "/MusicDataBase.dat"), library);
}

TEST_F(Jukebox, ClosingTheWindowEndsTheJukeboxAndKeepsTheLibrary) {
    Add_album("Alpha - One");
    ASSERT_EQ(Start("wait 200\nclose\n"), 0);
    EXPECT_NE(Read_file(run + "/log.txt").find("WM_DESTROY"), std::string::npos);
    EXPECT_NE(Read_file(run + "/MusicDataBase.dat").find("One"), std::string::npos);
}

TEST_F(Jukebox, WithoutServersAStartAsksNothingAndShowsNoFailure) {
    // Alpha has no cover: with no image search configured nobody is asked for one either.
    Add_album("Alpha - One");
    ASSERT_EQ(Start("wait 300\nkey q\n"), 0);
    EXPECT_EQ(Dialogs().find("Could not determine current version"), std::string::npos) << Dialogs();
    const std::string errors = fs::exists(run + "/error.txt") ? Read_file(run + "/error.txt") : "";
    EXPECT_EQ(errors.find("Can't open url"), std::string::npos) << errors;
    EXPECT_GE(Count(Log(), "Connection SKIPPED..."), 3);  // version check, start notice, cover search
}

TEST_F(Jukebox, ABlueCoverIsShownBlueInTheBrowsePanel) {
    // The theme's pictures turn pure blue into the colour key; a cover must not, on its way through
    // the cache file into the panel.
    Add_album("Alpha - One");
    ASSERT_TRUE(TestSupport::Write_jpeg(home + "/music/Alpha - One/cover.jpg", 300, 200, 0, 0, 255));
    ASSERT_EQ(Start("wait 300\nkey b\nwait 1500\nshot browse.bmp\nkey Escape\nwait 300\nkey q\n"), 0);
    std::string error;
    auto shot = Platform::Surface::Load_bmp(run + "/browse.bmp", error);
    ASSERT_TRUE(shot) << error;
    // Cover 1 at 1024x768: the panel at (26, 47) per cent, the place at (10, 13) per cent of it.
    const Platform::Pixel p = shot->Get_pixel(341 + 60, 410 + 60);
    EXPECT_LT((p >> 16) & 0xFF, 40u);
    EXPECT_LT((p >> 8) & 0xFF, 40u);
    EXPECT_GT(p & 0xFF, 220u);
}

TEST_F(Jukebox, UnreadableScriptIsRefused) {
    const std::string command = "cd '" + run + "' && SDL_VIDEODRIVER=dummy timeout 30 '" +
                                std::string(TAVRIX_BINARY_DIR) +
                                "/app/tavrix' --headless --script missing.txt 2>/dev/null";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace

// A real X window on a virtual display with real X key events: the path a person's keyboard takes.
TEST_F(Jukebox, RealKeyEventsUnderXvfbOpenBrowseAndQuit) {
    if (std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v xdpyinfo >/dev/null") !=
        0)
        GTEST_SKIP() << "Xvfb, xdotool or xdpyinfo missing (scripts/install-deps.sh installs them)";
    Add_album("Alpha - One");
    ASSERT_EQ(Start("wait 100\nkey q\n"), 0);  // settings and library in place
    const std::string command = "timeout 60 bash '" + std::string(TAVRIX_SOURCE_DIR) + "/tests/app/xvfb_smoke.sh' '" +
                                std::string(TAVRIX_BINARY_DIR) + "/app/tavrix' '" + home + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_GT(fs::file_size(run + "/smoke.bmp"), 1024u * 768u * 3u);
}
