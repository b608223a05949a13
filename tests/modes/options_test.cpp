// The options mode: the menu lines from the stored settings, each toggle twice, a new music folder
// (the old library file goes before the rebuild), a cancelled folder dialog, the offline version
// line, and the keys that leave the mode without restarting its time-out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "display/VxButton.h"
#include "library/VxDatabase.h"
#include "modes/Mode_images.h"
#include "modes/VxModeOptions.h"
#include "platform/dialogs.h"
#include "platform/window.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "tests/modes/mode_fixture.h"

namespace fs = std::filesystem;

namespace {

using Platform::Message_queue;

class Options_mode : public ModeTest::Screen {
protected:
    void SetUp() override {
        // The version check must not leave the machine: with no server configured it fails at once.
        unsetenv("TAVRIX_DIST_SERVER");
        Screen::SetUp();
        VxModeOptions::Forget_version_for_tests();
    }
    static std::string Stored(const std::string& key) {
        return CIniFile::Get_value(key, "SYSTEM SETTINGS", VxRead::File_name);
    }
};

TEST_F(Options_mode, TheMenuShowsTheStoredSettingsAndSlidesInAndOut) {
    VxModeOptions mode(nullptr);
    mode.Enter();
    const std::vector<std::string>& lines = mode.Get_menu_lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "Select New Music Folder. ( Current folder = " + Home() + "/music/)");
    EXPECT_EQ(lines[1], "Cache all missing Covers");
    EXPECT_EQ(lines[2], "Enable Random Song Play ?. (no)");
    EXPECT_EQ(lines[3], "Download missing Cover (in DB) NOW !");
    EXPECT_EQ(lines[4], "Use internet connection on startup ?. (no)");
    EXPECT_EQ(lines[5], "Retrieve latest version (internet) !. (cur = v2.274 / new = v?\?)");
    EXPECT_EQ(lines[6], "Enable Logging ?. (yes)");
    EXPECT_EQ(Count(Log(), "Determine_new_version"), 0);  // not looked up while the setting is off

    VxBitmap& panel = mode.Get_menu_panel();
    EXPECT_GT(panel.Get_text_cursor().y, 40);  // seven lines written
    EXPECT_DOUBLE_EQ(panel.Get_target().x, VxMode_images::Action_x);
    EXPECT_DOUBLE_EQ(panel.Get_target().y, VxMode_images::Action_y);
    mode.Leave();
    EXPECT_DOUBLE_EQ(panel.Get_target().x, VxMode_images::Action_hidden_x);
}

TEST_F(Options_mode, EachToggleTwiceRestoresTheStoredValueAndTheLineFollowsAtOnce) {
    VxModeOptions mode(nullptr);
    mode.Enter();
    struct Toggle {
        char key;
        const char* setting;
        int line;
    };
    for (const Toggle t :
         {Toggle{'3', "Userandom", 2}, Toggle{'5', "CheckNewVersionOnStartup", 4}, Toggle{'7', "UseLogging", 6}}) {
        const std::string before = Stored(t.setting), after = before == "yes" ? "no" : "yes";
        Type(mode, t.key);
        EXPECT_EQ(Stored(t.setting), after) << t.setting;
        EXPECT_NE(mode.Get_menu_lines()[t.line].find("(" + after + ")"), std::string::npos) << t.setting;
        Type(mode, t.key);
        EXPECT_EQ(Stored(t.setting), before) << t.setting;
        EXPECT_NE(mode.Get_menu_lines()[t.line].find("(" + before + ")"), std::string::npos) << t.setting;
    }
    EXPECT_TRUE(shell_.modes.empty());
}

TEST_F(Options_mode, WithoutAServerTheVersionLineKeepsItsQuestionMarksAndNothingIsShown) {
    VxModeOptions mode(nullptr);
    mode.Enter();
    Type(mode, '5');  // on: the line now wants the newest version
    Type(mode, '5');
    Type(mode, '5');
    EXPECT_EQ(Count(Log(), "Connecting..."), 0);
    EXPECT_GE(Count(Log(), "Connection SKIPPED..."), 1);
    EXPECT_EQ(Dialogs(), "");
    EXPECT_NE(mode.Get_menu_lines()[5].find("new = v?\?)"), std::string::npos);

    // '6' puts the startup setting back after its own check.
    Type(mode, '5');
    ASSERT_EQ(Stored("CheckNewVersionOnStartup"), "no");
    Type(mode, '6');
    EXPECT_EQ(Stored("CheckNewVersionOnStartup"), "no");
    EXPECT_EQ(Count(Log(), "Connecting..."), 0);
    EXPECT_EQ(Dialogs(), "");
    EXPECT_EQ(mode.Get_menu_lines()[5], "Retrieve latest version (internet) !. (cur = v2.274 / new = v?\?)");
}

TEST_F(Options_mode, ANewMusicFolderRemovesTheLibraryFileBeforeTheRebuild) {
    Make_library_of("AB", 2);
    TestSupport::Write_file(VxDatabase::File_name, "old library");
    const std::string folder = Home() + "/music2";
    TestSupport::Make_dirs(folder);
    bool file_gone_at_rebuild = false;
    shell_.on_rebuild = [&] { file_gone_at_rebuild = !fs::exists(VxDatabase::File_name); };
    VxModeOptions mode(nullptr);
    mode.Enter();
    Platform::Queue_folder(folder);
    Type(mode, '1');
    EXPECT_EQ(shell_.rebuilds, 1);
    EXPECT_TRUE(file_gone_at_rebuild);
    EXPECT_EQ(VxDatabase::Instance().Get_nof_cds(), 0);  // cleared for the rebuild
    EXPECT_EQ(VxRead::Instance().Get_music_folder(), folder + "/");
    EXPECT_EQ(CIniFile::Get_value("MusicFolder", "MUSIC LOCATION", VxRead::File_name), folder);
    EXPECT_EQ(mode.Get_menu_lines()[0], "Select New Music Folder. ( Current folder = " + folder + "/)");
}

TEST_F(Options_mode, ACancelledFolderDialogChangesNothing) {
    Make_library_of("AB", 2);
    TestSupport::Write_file(VxDatabase::File_name, "old library");
    VxModeOptions mode(nullptr);
    mode.Enter();
    Platform::Queue_folder("");
    Type(mode, '1');
    EXPECT_EQ(shell_.rebuilds, 0);
    EXPECT_TRUE(fs::exists(VxDatabase::File_name));
    EXPECT_EQ(VxDatabase::Instance().Get_nof_cds(), 4);
    EXPECT_EQ(VxRead::Instance().Get_music_folder(), Home() + "/music/");
    EXPECT_EQ(CIniFile::Get_value("MusicFolder", "MUSIC LOCATION", VxRead::File_name), Home() + "/music");
}

TEST_F(Options_mode, CachingCoversRunsTheCachingPassEvenWhenTheSettingWasOff) {
    Make_library({{"Alpha", "First", 1, "cover.jpg"}});
    CIniFile::Set_value("CacheCovers", "no", "INTERNET SETTINGS", VxRead::File_name);
    ASSERT_FALSE(VxRead::Instance().Get_cache_covers(true));
    const std::string cached = VxDatabase::Instance().Get_cd_cached_cover(0);
    ASSERT_FALSE(fs::exists(cached));
    VxModeOptions mode(nullptr);
    mode.Enter();
    const int rendering = shell_.rendering;
    Type(mode, '2');
    EXPECT_TRUE(fs::exists(cached)) << cached;
    EXPECT_GT(shell_.rendering, rendering);
}

TEST_F(Options_mode, OptionKeysLeaveTheTimeOutAndModeKeysSwitchOnce) {
    VxModeOptions mode(nullptr);
    mode.Enter();
    Message_queue& queue = Message_queue::Instance();
    queue.Set_timer(TIMER_MODE_TIMEOUT, 20000);
    for (char key : {'3', '3', '4', '7', '7', '8', '9', '0'}) Type(mode, key);
    const int left = Next_timer_ms();
    EXPECT_GT(left, 19000);
    EXPECT_LE(left, 20000);

    Press(mode, Platform::VK_BACK, 8);
    Press(mode, Platform::VK_ESCAPE, 27);
    for (char key : {'b', 'R', 's', 'V', 'o'}) Type(mode, key);
    EXPECT_EQ(shell_.modes,
              (std::vector<int>{MODE_PREVIOUS, MODE_PREVIOUS, MODE_BROWSE, MODE_RATING, MODE_SEARCH, MODE_VOLUME}));
    Type(mode, 'M');
    EXPECT_EQ(shell_.minimised, 1);
}

TEST_F(Options_mode, AClickOnADigitButtonActsOnceAsItsKey) {
    VxModeOptions mode(nullptr);
    mode.Enter();
    VxButton_set* bar = mode.Get_button_bar();
    ASSERT_NE(bar, nullptr);
    const std::string before = Stored("Userandom");
    for (VxClickBitmap* b : bar->extras) {
        if (b->Get_label() != "3") continue;
        const VxPoint p = b->Get_shown_position(), size = b->Get_size();
        b->Set_position(p.x, p.y);
        mode.Handle_message(
            {Platform::WM_LBUTTONDOWN, 0,
             Platform::Make_point(static_cast<int>((p.x + size.x / 2) * 8), static_cast<int>((p.y + size.y / 2) * 6))});
    }
    EXPECT_NE(Stored("Userandom"), before);  // toggled once, not twice
    EXPECT_TRUE(shell_.modes.empty());
}

}  // namespace
