// Answers of the running settings object: cached getters and forced re-reads, the setters,
// the window geometry against the screen, the image-size guard, the folder choice, the trace switch.
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "platform/screen.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "tests/settings/settings_home.h"
#include "trace/VxTrace.h"

using Settings_test::Dialog_lines;
using Settings_test::Home;
using Settings_test::Start_in_child;
using TestSupport::Read_file;
constexpr auto P = TestSupport::Native;
using TestSupport::Write_file;

namespace {
const char* Ini = VxRead::File_name;
}

TEST(SettingsValues, GettersCacheUntilForcedAndOnlyExactYesIsOn) {
    Home home;
    VxRead& s = VxRead::Instance();
    EXPECT_TRUE(s.Get_use_logging());
    EXPECT_FALSE(s.Get_use_random());
    EXPECT_FALSE(s.Get_use_two_directories());
    EXPECT_TRUE(s.Get_download_covers());
    EXPECT_TRUE(s.Get_cache_covers());
    EXPECT_TRUE(s.Get_check_new_version());
    EXPECT_TRUE(s.Get_use_video_memory());
    EXPECT_TRUE(s.Get_save_scaled_bitmaps());
    ASSERT_TRUE(CIniFile::Set_value("UseLogging", "Yes", "SYSTEM SETTINGS", Ini));
    EXPECT_TRUE(s.Get_use_logging());
    EXPECT_FALSE(s.Get_use_logging(true));
    ASSERT_TRUE(CIniFile::Delete_record("SaveScaledBitmaps", "SYSTEM SETTINGS", Ini));
    EXPECT_FALSE(s.Get_save_scaled_bitmaps(true));

    std::vector<RegexSetting> expressions = s.Get_regular_expressions();
    ASSERT_EQ(expressions.size(), 3u);
    EXPECT_EQ(expressions[0].name, "CD_ARTIST");
    EXPECT_EQ(expressions[2].id, 2);
    EXPECT_EQ(expressions[2].regex, ".*?[-|,]+(.*)\\.(?:\\w{3,4})");
    ASSERT_TRUE(CIniFile::Delete_record("CD_TITLE", "REGULAR EXPRESSIONS", Ini));
    EXPECT_EQ(s.Get_regular_expressions(true)[1].regex, "");

    EXPECT_EQ(s.Base_folder(), P("../"));
    EXPECT_EQ(s.Pics_folder(), P("../pics/"));
    EXPECT_EQ(s.Covers_folder(), P("../covers/"));
    EXPECT_TRUE(s.File_exists(Ini));
    EXPECT_FALSE(s.File_exists("MusicDataBase.dat"));
}

TEST(SettingsValues, MusicFolderGetsOneTrailingSeparator) {
    Home home;
    VxRead& s = VxRead::Instance();
    EXPECT_EQ(s.Get_music_folder(), P("../music/"));
    ASSERT_TRUE(CIniFile::Set_value("MusicFolder", P("/srv/music/"), "MUSIC LOCATION", Ini));
    EXPECT_EQ(s.Get_music_folder(), P("../music/"));
    EXPECT_EQ(s.Get_music_folder(true), P("/srv/music/"));
    ASSERT_TRUE(CIniFile::Set_value("MusicFolder", "", "MUSIC LOCATION", Ini));
    EXPECT_EQ(s.Get_music_folder(true), "");  // never the root folder
}

TEST(SettingsValues, SettersFlipExistingKeysOnly) {
    Home home;
    VxRead& s = VxRead::Instance();
    EXPECT_TRUE(s.Set_use_random(true));
    EXPECT_EQ(CIniFile::Get_value("Userandom", "SYSTEM SETTINGS", Ini), "yes");
    EXPECT_FALSE(s.Set_download_covers(false));
    EXPECT_FALSE(s.Set_cache_covers(false));
    EXPECT_FALSE(s.Set_check_new_version(false));
    EXPECT_FALSE(s.Set_use_logging(false));
    EXPECT_EQ(CIniFile::Get_value("CheckNewVersionOnStartup", "SYSTEM SETTINGS", Ini), "no");
    ASSERT_TRUE(CIniFile::Delete_record("Userandom", "SYSTEM SETTINGS", Ini));
    EXPECT_FALSE(s.Set_use_random(true));
    EXPECT_FALSE(CIniFile::Record_exists("Userandom", "SYSTEM SETTINGS", Ini));
}

TEST(SettingsValues, WindowGeometryIsClampedToTheScreen) {
    Home home;
    const Platform::Screen_info screen = Platform::Screen();
    VxRead& s = VxRead::Instance();
    int w = -1, h = -1, x = -1, y = -1;
    s.Get_window_geometry(w, h, x, y);
    EXPECT_EQ(w, screen.width);
    EXPECT_EQ(h, screen.height);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);

    struct Case {
        const char* size;
        const char* offset;
        int w, h, x, y;
    };
    const Case cases[] = {
        {"640x480", "10,20", 640, 480, 10, 20},
        {"99999x480", "-30,5", screen.width, 480, -30, 5},
        {"640x99999999999999999999", "7,y", 640, screen.height, 7, 0},
        {"800", "15", 0, 0, 0, 0},  // without separators both parts stay empty
        {"-5x12abc", "a,b", 0, 12, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        ASSERT_TRUE(CIniFile::Set_value("WindowSize", c.size, "DISPLAY SETTINGS", Ini));
        ASSERT_TRUE(CIniFile::Set_value("WindowOffset", c.offset, "DISPLAY SETTINGS", Ini));
        s.Get_window_geometry(w, h, x, y, true);
        EXPECT_EQ(w, c.w);
        EXPECT_EQ(h, c.h);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
    // Without force the cached texts stand.
    ASSERT_TRUE(CIniFile::Set_value("WindowSize", "100x100", "DISPLAY SETTINGS", Ini));
    s.Get_window_geometry(w, h, x, y);
    EXPECT_EQ(h, 12);
}

TEST(SettingsValues, ImageSizeLimitsAndOneMessagePerRun) {
    Home home;
    VxRead& s = VxRead::Instance();
    Write_file("exact.jpg", std::string(3000000, 'j'));
    Write_file("big.JPG", std::string(3000001, 'j'));
    Write_file("exact.bmp", std::string(10000000, 'b'));
    Write_file("big.bmp", std::string(10000001, 'b'));
    Write_file("small.png", "p");
    TestSupport::Make_dirs("folder.jpg");
    EXPECT_TRUE(s.Check_image_size("exact.jpg"));
    EXPECT_TRUE(s.Check_image_size("exact.bmp"));
    EXPECT_FALSE(s.Check_image_size("missing.jpg"));
    EXPECT_FALSE(CIniFile::File_exists("dialogs.txt"));
    EXPECT_FALSE(s.Check_image_size("big.JPG"));
    EXPECT_FALSE(s.Check_image_size("big.bmp"));
    EXPECT_FALSE(s.Check_image_size("small.png"));
    EXPECT_EQ(Dialog_lines(), std::vector<std::string>{"VxRead\tThe jpg image: big.JPG is too large to handle"});
    EXPECT_FALSE(s.Check_image_size("folder.jpg"));
    EXPECT_EQ(Dialog_lines().back(), "VxRead\tThe file: folder.jpg could not be read");
}

TEST(SettingsValues, OtherImageTypesAreRefusedWithAMessage) {
    Home home;
    Write_file("cover.jpeg", "j");
    EXPECT_FALSE(VxRead::Instance().Check_image_size("cover.jpeg"));
    EXPECT_EQ(Dialog_lines(),
              std::vector<std::string>{"VxRead\tThe image: cover.jpeg is not a jpg or bmp file and cannot be loaded"});
}

TEST(SettingsValues, ChooseMusicFolder) {
    Home home;
    VxRead& s = VxRead::Instance();
    Platform::Queue_folder(P("/srv/songs"));
    EXPECT_EQ(s.Choose_music_folder(), P("/srv/songs"));
    EXPECT_EQ(s.Get_music_folder(), P("/srv/songs/"));
    EXPECT_FALSE(CIniFile::File_exists("dialogs.txt"));

    Platform::Queue_folder("");  // cancelled
    EXPECT_EQ(s.Choose_music_folder(), "");
    Platform::Queue_folder("/");
    EXPECT_EQ(s.Choose_music_folder(), "");
    Platform::Queue_folder("/srv/two\nlines");
    EXPECT_EQ(s.Choose_music_folder(), "");
    EXPECT_EQ(Dialog_lines(), (std::vector<std::string>{
                                  "VxRead\tThe selected folder was invalid..,",
                                  "VxRead\tError Creating Folder dialoque",
                                  "VxRead\tpath look invalid ?",
                                  "VxRead\tError Creating Folder dialoque",
                                  "VxRead\tError Creating Folder dialoque",
                              }));
    EXPECT_EQ(s.Get_music_folder(), P("/srv/songs/"));
}

TEST(SettingsValues, TraceMarkersFollowUseLogging) {
    Home home;
    ASSERT_EQ(Start_in_child(), 0);
    ASSERT_TRUE(CIniFile::Set_value("UseLogging", "no", "SYSTEM SETTINGS", Ini));
    Install_trace_logging_switch();
    VxTrace& trace = VxTrace::Instance();
    // The settings object reads the switch as off when it is built.
    VxRead::Instance();
    trace.Enter("First");
    trace.Write("line");
    VxRead::Instance().Set_use_logging(true);
    trace.Enter("Second");
    EXPECT_EQ(TestSupport::Read_trace("log.txt"), "\n\nStarting VxTrace \n\nline\n> **(Second)**");
}
