// The library at start-up: first start, a good file, a corrupt file, an empty music folder,
// and the listing of a small generated tree as "--list" prints it.
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <sstream>

#include "library/Library_listing.h"
#include "library/Library_startup.h"
#include "library/VxDatabase.h"
#include "library/VxRating.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "tests/library/library_fixture.h"
#include "tests/support/test_support.h"

static constexpr auto P = TestSupport::Native;

namespace fs = boost::filesystem;

using Library_test::Jukebox;

namespace {

void Small_tree(const Jukebox& jb) {
    jb.Touch("Zappa - Hot Rats/01 - Peaches.mp3");
    jb.Touch("Zappa - Hot Rats/front.jpg");
    jb.Touch("Abba - Gold/01 - SOS.flac");
    jb.Touch("10cc - Best/01 - Wall Street.ogg");
    jb.Touch("Abba - Arrival/01 - Dancing Queen.wav");
    const std::string arrival = jb.Music() + P("/Abba - Arrival/tavrix.tag"),
                      gold = jb.Music() + P("/Abba - Gold/tavrix.tag");
    CIniFile::Create_file(arrival);
    CIniFile::Create_file(gold);
    CIniFile::Set_value("rating", "100", "01 - Dancing Queen.wav", arrival);
    CIniFile::Set_value("rating", "40", "01 - SOS.flac", gold);
}

std::string Listing() {
    std::ostringstream out;
    Write_library_listing(out);
    return out.str();
}

}  // namespace

TEST(Startup, FirstStartBuildsSavesAndListsTheLibrary) {
    Jukebox jb;
    Small_tree(jb);
    VxDatabase& db = VxDatabase::Instance();
    Library_startup::Library_at_startup();
    const std::string m = jb.Music_folder();
    const std::string expected =
        "Albums: 4\n"
        "[0] artist='10cc ' title='Best' name='10cc - Best' cover='' score=0\n"
        "    path='" +
        m + P("10cc - Best/'\n") +
        "    [0] file='01 - Wall Street.ogg' name=' Wall Street' rating=-1\n"
        "[1] artist='Abba ' title='Arrival' name='Abba - Arrival' cover='' score=1.25\n"
        "    path='" +
        m + P("Abba - Arrival/'\n") +
        "    [0] file='01 - Dancing Queen.wav' name=' Dancing Queen' rating=100\n"
        "[2] artist='Abba ' title='Gold' name='Abba - Gold' cover='' score=0\n"
        "    path='" +
        m + P("Abba - Gold/'\n") +
        "    [0] file='01 - SOS.flac' name=' SOS' rating=40\n"
        "[3] artist='Zappa ' title='Hot Rats' name='Zappa - Hot Rats' cover='front.jpg' score=0\n"
        "    path='" +
        m + P("Zappa - Hot Rats/'\n") +
        "    [0] file='01 - Peaches.mp3' name=' Peaches' rating=-1\n"
        "Index: 3\n"
        "  1: 0\n"
        "  A: 1 2\n"
        "  Z: 3\n"
        "Random list: 3\n";
    EXPECT_EQ(Listing(), expected);
    EXPECT_FALSE(db.Is_changed());
    // What was saved is what a later start loads.
    db.Clear();
    Library_startup::Library_at_startup();
    EXPECT_EQ(Listing(), expected);
    EXPECT_TRUE(jb.Dialogs().empty());
}

// A rebuild asks the disk for the tag files of the album folders whose listing showed one (a folder
// so named included); the others have none.
TEST(Startup, ARebuildReadsTheTagFilesItsListingsShowed) {
    Jukebox jb;
    jb.Touch("Artist/Album/01 - One.mp3");
    jb.Touch("B - C/01 - Two.mp3");
    jb.Touch("D - E/01 - Three.mp3");
    const std::string nested = jb.Music() + P("/Artist/Album/tavrix.tag");
    CIniFile::Create_file(nested);
    CIniFile::Set_value("rating", "90", "01 - One.mp3", nested);
    const std::string folder_tag = jb.Music() + P("/B - C/tavrix.tag");
    TestSupport::Make_dirs(folder_tag);
    Library_startup::Rebuild_library();
    const std::string listing = Listing();
    EXPECT_NE(listing.find("file='01 - One.mp3' name=' One' rating=90"), std::string::npos) << listing;
    EXPECT_NE(listing.find("file='01 - Two.mp3' name=' Two' rating=-1"), std::string::npos) << listing;
    EXPECT_NE(listing.find("file='01 - Three.mp3' name=' Three' rating=-1"), std::string::npos) << listing;
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("VxRating : '" + folder_tag + "' is no file"),
              std::string::npos);
}

TEST(Startup, CorruptFileIsReportedAndReplaced) {
    Jukebox jb;
    Small_tree(jb);
    TestSupport::Write_file(VxDatabase::File_name, "22 serialization::archive 3 0 0 0 0 0 0 4000000000 0");
    Library_startup::Library_at_startup();
    EXPECT_EQ(jb.Dialogs(),
              (std::vector<std::string>{
                  "The Tavrix Jukebox\tWarning 'MusicDataBase.dat' is corrupt . The file will be replaced",
                  "The Tavrix Jukebox\tRELOADING 'MusicDataBase.dat' "}));
    EXPECT_EQ(VxDatabase::Instance().Get_nof_cds(), 4);
    EXPECT_TRUE(VxDatabase::Instance().Is_changed());
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("is corrupt . The file will be replaced : "),
              std::string::npos);
    // The replacement on disk loads.
    VxDatabase::Instance().Load();
    EXPECT_EQ(VxDatabase::Instance().Get_nof_cds(), 4);
}

TEST(Startup, EmptyMusicFolderIsReported) {
    Jukebox jb;
    Library_startup::Library_at_startup();
    EXPECT_EQ(jb.Dialogs(), std::vector<std::string>{"The Tavrix Jukebox\tNo directories with songs found"});
    EXPECT_EQ(VxDatabase::Instance().Get_nof_cds(), 0);
    EXPECT_NE(TestSupport::Read_file(VxDatabase::File_name).find("serialization::archive 3"), std::string::npos);
}

TEST(Startup, RebuildReportsProgressTicks) {
    Jukebox jb;
    Small_tree(jb);
    std::vector<unsigned> ticks;
    VX_progress_hooks hooks;
    hooks.tick = [&](unsigned id) { ticks.push_back(id); };
    VxDatabase::Instance().Set_progress_hooks(hooks);
    Library_startup::Rebuild_library();
    // Four folders entered and four albums created (timer 10), four albums scored (timer 14).
    EXPECT_EQ(std::count(ticks.begin(), ticks.end(), 10u), 8);
    EXPECT_EQ(std::count(ticks.begin(), ticks.end(), 14u), 4);
}

TEST(Startup, ALoadedLibraryRunsACachingPassThatIsStillDueOnce) {
    Jukebox jb;
    Small_tree(jb);
    int passes = 0;
    const auto pass = [&passes] {
        ++passes;
        VxRead::Instance().Set_cache_covers(false);  // as a completed pass does
    };
    // Built without a window: the pass could not run and stays due.
    Library_startup::Library_at_startup();
    VxRead::Instance().Set_cache_covers(true);
    VxDatabase::Instance().Clear();
    Library_startup::Library_at_startup(pass);
    EXPECT_EQ(passes, 1);
    EXPECT_FALSE(VxDatabase::Instance().Is_changed());  // nothing was downloaded
    VxDatabase::Instance().Clear();
    Library_startup::Library_at_startup(pass);
    EXPECT_EQ(passes, 1);
}

namespace {
// Sets a file's time of last writing back, as if it had been left there some while ago.
void Age(const std::string& path, int seconds) {
    const auto when = fs::last_write_time(path) - seconds;
    fs::last_write_time(path, when);
}
}  // namespace

TEST(Startup, ALibrarySavedBetweenTheTwoSavesOfARebuildIsCompletedAndSaved) {
    Jukebox jb;
    Small_tree(jb);
    // What a rebuild killed after its first save leaves: the albums as scanned, no scores, no
    // index, no random list.
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music_folder());
    db.Save();
    db.Clear();
    Library_startup::Library_at_startup();
    EXPECT_EQ(db.Get_nof_start_chars(), 3);
    EXPECT_EQ(db.Get_nof_random_songs(), 3);
    EXPECT_EQ(db.Get_cd_name(1), "Abba - Arrival");  // sorted, with the score from its tag file
    EXPECT_DOUBLE_EQ(db.Get_cd_score(1), 1.25);
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("does not fit its albums; they are made again"),
              std::string::npos);
    // The completed library is on disk: the next start loads it as it is.
    db.Clear();
    db.Load();
    EXPECT_TRUE(Derived_parts_fit(db.Musiclist()));
    EXPECT_TRUE(jb.Dialogs().empty());
}

TEST(Startup, TheFitCheckTakesWhatRatingsAndSearchesLeaveAndRefusesWhatIsMissing) {
    Jukebox jb;
    Small_tree(jb);
    VxDatabase& db = VxDatabase::Instance();
    Library_startup::Library_at_startup();
    ASSERT_TRUE(Derived_parts_fit(db.Musiclist()));
    // A rating reorders an index entry and leaves the random list; a search adds an empty entry.
    VxRating::Instance().SetSongRating(2, 0, 99);
    db.Find_start_char_index("Q");
    EXPECT_TRUE(Derived_parts_fit(db.Musiclist()));

    VX_FileSystem_musiclist m = db.Musiclist();
    m.lookup_table.start_chars.pop_back();  // the entry of "Z" and its album
    m.lookup_table.start_chars.pop_back();
    EXPECT_FALSE(Derived_parts_fit(m));
    m = db.Musiclist();
    m.random_list.pop_back();
    EXPECT_FALSE(Derived_parts_fit(m));
    m = db.Musiclist();
    m.random_list.push_back(m.random_list.front());  // a song twice instead of another
    m.random_list.erase(m.random_list.begin() + 1);
    EXPECT_FALSE(Derived_parts_fit(m));
}

TEST(Startup, StaleTemporaryFilesOfInterruptedSavesAreRemoved) {
    Jukebox jb;
    Small_tree(jb);
    const std::string album = jb.Music() + P("/Abba - Gold/");
    for (const std::string& path : {std::string(".MusicDataBase.dat.tmp-a1B2c3"),
                                    std::string(".settings_v3.ini.tmp-zzzzzz"), album + ".tavrix.tag.tmp-Q9q9Q9"}) {
        TestSupport::Write_file(path, "half a file");
        Age(path, 120);
    }
    // A write of another process may be under way; and these are not ours.
    TestSupport::Write_file(".MusicDataBase.dat.tmp-young1", "being written");
    for (const std::string& path :
         {std::string(".notes.tmp-ab"), std::string("MusicDataBase.dat.tmp-abcdef"), album + "tavrix.tag.bak"}) {
        TestSupport::Write_file(path, "keep");
        Age(path, 120);
    }
    Library_startup::Library_at_startup();
    EXPECT_EQ(Library_test::Listing("."),
              (std::vector<std::string>{".MusicDataBase.dat.tmp-young1", ".notes.tmp-ab", "MusicDataBase.dat",
                                        "MusicDataBase.dat.tmp-abcdef", "MusicDataBase.folders", "error.txt", "log.txt",
                                        "music", "settings_v3.ini"}));
    EXPECT_EQ(Library_test::Listing(album),
              (std::vector<std::string>{"01 - SOS.flac", "tavrix.tag", "tavrix.tag.bak"}));
    EXPECT_EQ(VxDatabase::Instance().Get_nof_songs(2), 1);  // the temporary file was no song
}
