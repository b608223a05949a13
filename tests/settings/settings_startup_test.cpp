// What a start does to the settings file: the complete default file, nothing added at a second
// start, the digest that forces a rebuild, a bad music folder replaced, an invalid expression fatal.
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "platform/screen.h"
#include "settings/Atomic_file.h"
#include "settings/CIniFile.h"
#include "settings/CMD5.h"
#include "settings/VxRead.h"
#include "tests/settings/settings_home.h"

using Settings_test::Dialog_lines;
using Settings_test::Home;
using Settings_test::Start_in_child;
using TestSupport::Read_file;
constexpr auto P = TestSupport::Native;
using TestSupport::Write_file;

namespace {
const char* Ini = VxRead::File_name;
#ifdef _WIN32
const std::string Music_example = "# Example: D:\\artist\\title\\song.mp3\n";
#else
const std::string Music_example = "# Example: /media/music/artist/title/song.mp3\n";
#endif

std::string Expected_default_file() {
    const Platform::Screen_info screen = Platform::Screen();
    const std::string yes_no = "# options: {yes / no}\n# Default: yes\n";
#ifdef _WIN32
    const std::string slash_line = "# \\\\ : slash\n";
    const std::string drive = "c:\\music\\";
#else
    const std::string slash_line = "# / : slash\n";
    const std::string drive = "/music/";
#endif
    return "#Change this 'regular expression' to match your music directory and song structure.\n"
           "# Example: .*" +
           P("/") +
           "(.*)\n"
           "# options:\n" +
           slash_line +
           "# .* : anything\n"
           "# ()   : part to capture\n"
           "# (?:) : part to skip\n"
           "#  file on drive:  '" +
           drive + P("Kosheen/Kosheen-06, Suicide.ape'\n") + "#  used for regex:          '" +
           P("Kosheen/Kosheen-06, Suicide.ape'\n") +
           "#\n"
           // The address in angle brackets makes this comment read as a commented-out header,
           // which the next rewrite stores in its header form.
           "#<elect (O)ptions in player or consult <https://regex101.com/>\n"
           "#\n"
           " <REGULAR EXPRESSIONS>\n"
           " SONG=.*?[-|,]+(.*)\\.(?:\\w{3,4})\n"
           " CD_TITLE=[^-]*[-]*[\\s]*(.*)\n"
           " CD_ARTIST=([^-]*).*\n" +
           yes_no +
           " UseTwoDirectories=no\n"
           "#Specify if you want to enable automatic cover lookup.\n"
           " <INTERNET SETTINGS>\n" +
           yes_no + " CacheCovers=yes\n" + yes_no +
           " DownloadCovers=yes\n"
           "#Tavrix needs to know where your music is located.\n"
           " <MUSIC LOCATION>\n" +
           Music_example + " MusicFolder=" + P("../music") +
           "\n"
           "# Change these system settings when your bitmaps appear as grey squares\n"
           " <SYSTEM SETTINGS>\n" +
           yes_no + " SaveScaledBitmaps=yes\n" + "# options: {yes / no}\n# Default: no\n Userandom=no\n" + yes_no +
           " UseLogging=yes\n" + yes_no + " UseVideoMemory=yes\n" + yes_no +
           " CheckNewVersionOnStartup=yes\n"
           "#The CRC changes when the file has been changed by the user.\n"
           " <file_changed_settings>\n"
           " FileCrc=" +
           CMD5::Of(P("../music/") + "no([^-]*).*[^-]*[-]*[\\s]*(.*).*?[-|,]+(.*)\\.(?:\\w{3,4})") +
           "\n"
           "# Change these display settings to your likings.\n"
           " <DISPLAY SETTINGS>\n"
           "# Example: 0,0\n"
           " WindowOffset=0,0\n"
           "# Example: 1024x768\n"
           " WindowSize=" +
           std::to_string(screen.width) + "x" + std::to_string(screen.height) + "\n";
}
}  // namespace

TEST(SettingsStart, WritesTheCompleteDefaultFileAndASecondStartAddsNothing) {
    Home home;
    ASSERT_EQ(Start_in_child(), 0);
    const std::string first = Read_file(Ini);
    EXPECT_EQ(first, Expected_default_file());
    // The digest's form is what stored files hold; on Windows the folder has its own separator.
    EXPECT_EQ(CMD5::Of("../music/no([^-]*).*[^-]*[-]*[\\s]*(.*).*?[-|,]+(.*)\\.(?:\\w{3,4})"),
              "a4111618313a3cc09cf72932b5aa9b86");
    EXPECT_EQ(CIniFile::Get_value("FileCrc", "file_changed_settings", Ini),
              CMD5::Of(P("../music/") + "no([^-]*).*[^-]*[-]*[\\s]*(.*).*?[-|,]+(.*)\\.(?:\\w{3,4})"));
    ASSERT_EQ(Start_in_child(), 0);
    EXPECT_EQ(Read_file(Ini), first);
    EXPECT_FALSE(CIniFile::File_exists("dialogs.txt"));

    // A key deleted by hand comes back alone, directly below its header, without its neighbours moving.
    CIniFile::Delete_record("UseLogging", "SYSTEM SETTINGS", Ini);  // a child replaying the test finds it gone
    ASSERT_EQ(CIniFile::Get_value("UseLogging", "SYSTEM SETTINGS", Ini), "");
    ASSERT_EQ(Start_in_child(), 0);
    std::vector<IniRecord> records;
    ASSERT_TRUE(CIniFile::Load_file(Ini, records));
    auto header = std::find_if(records.begin(), records.end(),
                               [](const IniRecord& r) { return r.section == "SYSTEM SETTINGS" && r.key.empty(); });
    ASSERT_NE(header, records.end());
    EXPECT_EQ((header + 1)->key, "UseLogging");
    EXPECT_EQ((header + 2)->key, "SaveScaledBitmaps");
    EXPECT_EQ(records.size(), 22u);  // with the commented-out header the address comment makes
}

TEST(SettingsStart, DigestOfLibraryKeysForcesOneRebuild) {
    Home home;
    TestSupport::Make_dirs("../other");
    ASSERT_EQ(Start_in_child(), 0);

    struct Edit {
        const char* key;
        const char* section;
        const char* value;
        bool rebuild;
    };
    const Edit edits[] = {
        {"UseLogging", "SYSTEM SETTINGS", "no", false},
        {"WindowSize", "DISPLAY SETTINGS", "800x600", false},
        {"DownloadCovers", "INTERNET SETTINGS", "no", false},
        {"MusicFolder", "MUSIC LOCATION", "../other", true},
        {"UseTwoDirectories", "REGULAR EXPRESSIONS", "yes", true},
        {"CD_ARTIST", "REGULAR EXPRESSIONS", "(.*)", true},
        {"CD_TITLE", "REGULAR EXPRESSIONS", "(.*)", true},
        {"SONG", "REGULAR EXPRESSIONS", "(.*)", true},
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.key);
        Write_file("MusicDataBase.dat", "library");
        ASSERT_TRUE(CIniFile::Set_value("CacheCovers", "no", "INTERNET SETTINGS", Ini));
        ASSERT_TRUE(CIniFile::Set_value(edit.key, edit.value, edit.section, Ini));
        ASSERT_EQ(Start_in_child(), 0);
        EXPECT_EQ(CIniFile::File_exists("MusicDataBase.dat"), !edit.rebuild);
        EXPECT_EQ(CIniFile::Get_value("CacheCovers", "INTERNET SETTINGS", Ini), edit.rebuild ? "yes" : "no");
        // Once the digest is stored again the next start leaves the library alone.
        Write_file("MusicDataBase.dat", "library");
        ASSERT_EQ(Start_in_child(), 0);
        EXPECT_TRUE(CIniFile::File_exists("MusicDataBase.dat"));
    }
    EXPECT_EQ(CIniFile::Get_value("FileCrc", "file_changed_settings", Ini),
              CMD5::Of("../other" + P("/") + "yes(.*)(.*)(.*)"));

    // A removed digest means one rebuild too.
    CIniFile::Delete_record("FileCrc", "file_changed_settings", Ini);  // a child replaying the test finds it gone
    ASSERT_EQ(CIniFile::Get_value("FileCrc", "file_changed_settings", Ini), "");
    ASSERT_EQ(Start_in_child(), 0);
    EXPECT_FALSE(CIniFile::File_exists("MusicDataBase.dat"));
}

TEST(SettingsStart, BadMusicFolderIsReplacedByTheDefault) {
    Home home;
    Write_file("../a-file", "not a folder");
#ifdef _WIN32
    const std::string missing = "\nError : ";  // in the words and the language of the system
#else
    const std::string missing = "\nError : No such file or directory";
#endif
    struct Case {
        const char* folder;
        const char* message;
        std::string error;  // what the start writes to error.txt, "" for nothing checked
    };
    const Case cases[] = {
        {"../no-such-folder",
         "VxRead\tError: specified music folder can not be found.  \\nPlease select a valid music folder ! ", missing},
        {"../a-file", "VxRead\tError: specified music folder is INVALID.  \\nPlease select a valid music folder ! ",
         ""},
        {"", "VxRead\tError: specified music folder is INVALID.  \\nPlease select a valid music folder ! ", ""},
    };
    ASSERT_EQ(Start_in_child(), 0);
    const std::string defaults = Read_file(Ini);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        std::remove("dialogs.txt");
        ASSERT_TRUE(CIniFile::Set_value("MusicFolder", c.folder, "MUSIC LOCATION", Ini));
        ASSERT_EQ(Start_in_child(), 0);
        EXPECT_EQ(Dialog_lines(), std::vector<std::string>{c.message});
        EXPECT_EQ(CIniFile::Get_value("MusicFolder", "MUSIC LOCATION", Ini), P("../music"));
        EXPECT_NE(Read_file(Ini).find("#Tavrix needs to know where your music is located.\n <MUSIC LOCATION>\n" +
                                      Music_example + " MusicFolder=" + P("../music") + "\n"),
                  std::string::npos);
        // Read after each start: a child on Windows is a new process that begins the trace files anew.
        if (!c.error.empty()) {
            EXPECT_NE(TestSupport::Read_trace("error.txt").find(c.error), std::string::npos);
        }
    }
}

TEST(SettingsStart, ReplacedFolderIsTheOneAnsweredEvenWhenTheDigestWasMissing) {
    Home home;
    // A hand-written file without a digest: the digest is computed before the folder is checked.
    Write_file(Ini, " <MUSIC LOCATION>\n MusicFolder=../gone\n");
    VxRead& settings = VxRead::Instance();
    EXPECT_EQ(settings.Get_music_folder(), P("../music/"));
    EXPECT_EQ(CIniFile::Get_value("FileCrc", "file_changed_settings", Ini),
              CMD5::Of(P("../music/") + "no([^-]*).*[^-]*[-]*[\\s]*(.*).*?[-|,]+(.*)\\.(?:\\w{3,4})"));
}

TEST(SettingsStartDeath, InvalidExpressionEndsAfterTwoMessages) {
    GTEST_FLAG_SET(death_test_style, "fast");
    Home home;
    ASSERT_EQ(Start_in_child(), 0);
    ASSERT_TRUE(CIniFile::Set_value("CD_TITLE", "(", "REGULAR EXPRESSIONS", Ini));
    EXPECT_EXIT(VxRead::Instance(), testing::ExitedWithCode(1), "");
    std::vector<std::string> lines = Dialog_lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("VxRead\tThe regular expression CD_TITLE is invalid ! \\n regex = ' ( ' Code = ' ", 0), 0u)
        << lines[0];
    EXPECT_EQ(lines[0].substr(lines[0].size() - 4), " '\\n");
    EXPECT_EQ(lines[1], "VxRead\tError: At least one of the regular expression is invalid");
}

TEST(SettingsStartDeath, SettingsFileThatCannotBeCreatedEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "fast");
    Home home;
    Atomic_file::Inject_fault(Atomic_file::Fault::create);
    EXPECT_EXIT(VxRead::Instance(), testing::ExitedWithCode(1), "");
    Atomic_file::Inject_fault(Atomic_file::Fault::none);
    EXPECT_EQ(Dialog_lines(),
              std::vector<std::string>{"VxRead\tError: Could not read or create : settings_v3.ini file !"});
}

TEST(SettingsStart, AFileWithWindowsLineEndsReadsAsTheSameSettings) {
    Home home;
    ASSERT_EQ(Start_in_child(), 0);
    // As another editor saves it: every line ends in CR LF (idempotent, as a replaying child repeats it).
    std::string crlf;
    for (char c : Read_file(Ini)) {
        if (c == '\r') continue;
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    Write_file(Ini, crlf);
    Write_file("MusicDataBase.dat", "library");
    ASSERT_EQ(Start_in_child(), 0);
    // The digest still matches, so the library stays, and every value reads without its CR.
    EXPECT_TRUE(CIniFile::File_exists("MusicDataBase.dat"));
    EXPECT_EQ(CIniFile::Get_value("MusicFolder", "MUSIC LOCATION", Ini), P("../music"));
    EXPECT_EQ(CIniFile::Get_value("UseLogging", "SYSTEM SETTINGS", Ini), "yes");
    EXPECT_FALSE(CIniFile::File_exists("dialogs.txt"));
    // A value set afterwards rewrites the file with the jukebox's own line ends.
    ASSERT_TRUE(CIniFile::Set_value("UseLogging", "no", "SYSTEM SETTINGS", Ini));
    EXPECT_EQ(Read_file(Ini).find('\r'), std::string::npos);
    EXPECT_EQ(CIniFile::Get_value("UseLogging", "SYSTEM SETTINGS", Ini), "no");
}
