// The start-up check of changed folders: albums added, removed or renamed give the library a full
// rebuild would give, listing only what changed; a folder touched with nothing new keeps its album;
// a missing, corrupt or unwritable side file, and a vanished music folder, lose nothing.
#include "library/Folder_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <sstream>

#include "library/Folder_survey.h"
#include "library/Folder_times.h"
#include "library/Library_listing.h"
#include "library/Library_startup.h"
#include "library/VxDatabase.h"
#include "library/VxRating.h"
#include "settings/Atomic_file.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "tests/library/library_fixture.h"
#include "tests/support/test_support.h"

static constexpr auto P = TestSupport::Native;

namespace fs = boost::filesystem;
using Library_test::Jukebox;

namespace {

std::string Listing() {
    std::ostringstream out;
    Write_library_listing(out);
    return out.str();
}

void Rate(const std::string& tag, const std::string& song, int rating) {
    if (!fs::exists(tag)) CIniFile::Create_file(tag);
    CIniFile::Set_value("rating", std::to_string(rating), song, tag);
}

// Every folder below and including root an hour old: what a scan lists then carries a time that a
// later change is sure to alter.
void Age_tree(const std::string& root) {
    const std::time_t hour_ago = std::time(nullptr) - 3600;
    fs::last_write_time(root, hour_ago);
    for (fs::recursive_directory_iterator it(root), end; it != end; ++it)
        if (fs::is_directory(it->symlink_status())) fs::last_write_time(it->path(), hour_ago);
}

void Tree(const Jukebox& jb) {
    jb.Touch("Abba - Arrival/01 - Dancing Queen.wav");
    jb.Touch("Abba - Gold/01 - SOS.flac");
    jb.Touch("Abba - Gold/front.jpg");
    jb.Touch("Zappa - Hot Rats/01 - Peaches.mp3");
    jb.Touch("Various/Vol 1/01 - One.mp3");
    jb.Touch("Various/Vol 2/01 - Two.mp3");
    jb.Touch("Various/00 - Intro.mp3");
    // An album with folders inside, one met before its first song and one after.
    jb.Touch("Queen - Live/01 - Intro.mp3");
    jb.Touch("Queen - Live/0 Bonus/01 - Extra.mp3");
    jb.Touch("Queen - Live/Disc 2/01 - Outro.mp3");
    Rate(jb.Music() + P("/Abba - Arrival/tavrix.tag"), "01 - Dancing Queen.wav", 100);
    Rate(jb.Music() + P("/Abba - Gold/tavrix.tag"), "01 - SOS.flac", 40);
    Age_tree(jb.Music());
}

// The first start (a rebuild) and a later start, as two runs of the program would do them.
void First_start() {
    Library_startup::Library_at_startup();
    VxDatabase::Instance().Clear();
}

std::string Log_after(std::size_t offset) { return TestSupport::Read_trace("log.txt").substr(offset); }

}  // namespace

TEST(FolderCheck, AddedRemovedAndRenamedAlbumsGiveWhatARebuildGives) {
    Jukebox jb;
    Tree(jb);
    First_start();
    const std::string m = jb.Music() + P("/");
    // A new album at the top and one inside another, one removed, one renamed (its tag file goes
    // with it), and a new folder with a link back to the top.
    jb.Touch("Beatles - Help/01 - Help.mp3");
    jb.Touch("Various/Vol 3/01 - Three.mp3");
    fs::remove_all(m + "Zappa - Hot Rats");
    fs::rename(m + "Abba - Gold", m + "Abba - Gold Remastered");
    fs::create_directories(m + "Links");
    fs::create_directory_symlink(m, m + P("Links/top"));
    const std::size_t log_start = TestSupport::Read_trace("log.txt").size();

    Library_startup::Library_at_startup();
    const std::string checked = Listing();
    const std::string log = Log_after(log_start);
    // Listed: the top and Various (changed); Beatles, Vol 3, Gold Remastered, Links (new). Not
    // listed: Arrival, Vol 1, Vol 2 and Queen's three. Gone: Hot Rats and Gold by its old name.
    EXPECT_NE(log.find("DB::Check_folders : 12 folders, 6 listed, 3 albums new or changed, 2 gone"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("DB.ReadMusic (dir: '" + m + P("Various/Vol 1/')")), std::string::npos);
    EXPECT_NE(
        checked.find("path='" + m + P("Abba - Gold Remastered/'\n    [0] file='01 - SOS.flac' name=' SOS' rating=40")),
        std::string::npos)
        << checked;
    EXPECT_NE(checked.find("file='01 - Dancing Queen.wav' name=' Dancing Queen' rating=100"), std::string::npos);
    EXPECT_EQ(checked.find("Hot Rats"), std::string::npos);
    // Saved as the jukebox ends; what was saved is what a later start loads, and what a rebuild of
    // the same tree makes.
    EXPECT_TRUE(VxDatabase::Instance().Is_changed());
    VxDatabase::Instance().Save_if_changed();
    VxDatabase::Instance().Clear();
    VxDatabase::Instance().Load();
    EXPECT_EQ(Listing(), checked);
    VxDatabase::Instance().Clear();
    Library_startup::Rebuild_library();
    EXPECT_EQ(Listing(), checked);
}

TEST(FolderCheck, NothingChangedListsNothingAndAFolderTouchedWithNothingNewKeepsItsAlbum) {
    Jukebox jb;
    Tree(jb);
    First_start();
    std::size_t log_start = TestSupport::Read_trace("log.txt").size();
    Library_startup::Library_at_startup();
    EXPECT_NE(Log_after(log_start).find("DB::Check_folders : 10 folders as they were"), std::string::npos);

    // A rating given in the jukebox rewrites the album's tag file, which touches its folder; this
    // album's folder holds others, so its time is looked at.
    VxDatabase& db = VxDatabase::Instance();
    int c = 0;
    while (c < db.Get_nof_cds() && db.Get_cd_path(c) != jb.Music() + P("/Various/")) ++c;
    ASSERT_LT(c, db.Get_nof_cds());
    ASSERT_TRUE(VxRating::Instance().SetSongRating(c, 0, 80));
    db.Set_song_score_and_update_cd_score(c, 0, 80);
    db.Save_if_changed();
    fs::last_write_time(jb.Music() + P("/Various"), std::time(nullptr) - 600);
    const std::string rated = TestSupport::Read_file(VxDatabase::File_name);
    db.Clear();

    log_start = TestSupport::Read_trace("log.txt").size();
    Library_startup::Library_at_startup();
    const std::string log = Log_after(log_start);
    EXPECT_NE(log.find("DB::Check_folders : 10 folders, 1 listed, 0 albums new or changed, 0 gone"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("DB::Save"), std::string::npos);
    EXPECT_EQ(TestSupport::Read_file(VxDatabase::File_name), rated);
    EXPECT_EQ(db.Get_song_rating(c, 0), 80);
    EXPECT_EQ(db.Get_cd_score(c), 1.0);
    // The folder's new time is kept: the next start lists nothing.
    db.Clear();
    log_start = TestSupport::Read_trace("log.txt").size();
    Library_startup::Library_at_startup();
    EXPECT_NE(Log_after(log_start).find("DB::Check_folders : 10 folders as they were"), std::string::npos);
}

// The times of a check that changed the library follow the library file onto the disk: a run that
// never saves it (a crash, a kill) leaves the next start to find the same new album; the run that
// saves it writes them, and the start after that lists nothing.
TEST(FolderCheck, TheTimesOfAChangeAreWrittenOnlyAfterTheLibrary) {
    Jukebox jb;
    Tree(jb);
    First_start();
    const std::string times = TestSupport::Read_file(Folder_times::File_name);
    jb.Touch("Yes - Fragile/01 - Roundabout.mp3");
    fs::last_write_time(jb.Music() + P("/Yes - Fragile"), std::time(nullptr) - 600);
    fs::last_write_time(jb.Music(), std::time(nullptr) - 600);
    VxDatabase& db = VxDatabase::Instance();
    for (int run = 0; run < 2; ++run) {
        const std::size_t log_start = TestSupport::Read_trace("log.txt").size();
        Library_startup::Library_at_startup();
        EXPECT_NE(Log_after(log_start).find("1 albums new or changed, 0 gone"), std::string::npos) << run;
        EXPECT_EQ(TestSupport::Read_file(Folder_times::File_name), times) << run;
        EXPECT_TRUE(db.Is_changed());
        db.Clear();  // ended without saving
    }
    Library_startup::Library_at_startup();
    db.Save_if_changed();
    EXPECT_NE(TestSupport::Read_file(Folder_times::File_name), times);
    db.Clear();
    const std::size_t log_start = TestSupport::Read_trace("log.txt").size();
    Library_startup::Library_at_startup();
    EXPECT_NE(Log_after(log_start).find("DB::Check_folders : 11 folders as they were"), std::string::npos)
        << Log_after(log_start);
}

TEST(FolderCheck, AMissingCorruptOrForeignSideFileListsEveryFolderAndLosesNothing) {
    Jukebox jb;
    Tree(jb);
    First_start();
    const std::string library = TestSupport::Read_file(VxDatabase::File_name);
    const std::string side = TestSupport::Read_file(Folder_times::File_name);
    ASSERT_FALSE(side.empty());
    const std::string cut = side.substr(0, side.size() - 4);
    std::string foreign = side;
    foreign.replace(foreign.find("library\t") + 8, 1, "12");
    for (const std::string* content : std::vector<const std::string*>{nullptr, &cut, &foreign}) {
        if (content)
            TestSupport::Write_file(Folder_times::File_name, *content);
        else
            std::remove(Folder_times::File_name);
        const std::size_t log_start = TestSupport::Read_trace("log.txt").size();
        const std::size_t errors_start = TestSupport::Read_trace("error.txt").size();
        Library_startup::Library_at_startup();
        EXPECT_NE(
            Log_after(log_start).find("DB::Check_folders : 10 folders, 10 listed, 0 albums new or changed, 0 gone"),
            std::string::npos);
        EXPECT_NE(TestSupport::Read_trace("error.txt").substr(errors_start).find("; every folder is listed"),
                  std::string::npos);
        EXPECT_EQ(TestSupport::Read_file(VxDatabase::File_name), library);
        EXPECT_EQ(VxDatabase::Instance().Get_nof_cds(), 9);
        // Written again whole: the same times, as nothing changed.
        EXPECT_EQ(TestSupport::Read_file(Folder_times::File_name), side);
        VxDatabase::Instance().Clear();
    }

    // A side file that cannot be replaced stays as it was, and the start goes on.
    TestSupport::Write_file(Folder_times::File_name, cut);
    Atomic_file::Inject_fault(Atomic_file::Fault::rename);
    Library_startup::Library_at_startup();
    Atomic_file::Inject_fault(Atomic_file::Fault::none);
    EXPECT_EQ(TestSupport::Read_file(Folder_times::File_name), cut);
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("DB::Check_folders : could not write 'MusicDataBase.folders'"),
              std::string::npos);
    EXPECT_EQ(VxDatabase::Instance().Get_nof_cds(), 9);
}

TEST(FolderCheck, AVanishedMusicFolderLeavesTheLibraryAsItWas) {
    Jukebox jb;
    Tree(jb);
    First_start();
    const std::string library = TestSupport::Read_file(VxDatabase::File_name);
    const std::string side = TestSupport::Read_file(Folder_times::File_name);
    fs::rename(jb.Music(), jb.Path() + "/unplugged");
    Library_startup::Library_at_startup();
    EXPECT_EQ(VxDatabase::Instance().Get_nof_cds(), 9);
    EXPECT_EQ(TestSupport::Read_file(VxDatabase::File_name), library);
    EXPECT_EQ(TestSupport::Read_file(Folder_times::File_name), side);
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("cannot be read; the library stays as it was"),
              std::string::npos);
    EXPECT_TRUE(jb.Dialogs().empty());
}

TEST(FolderTimes, OddNamesRoundTripAndDamagedFilesDoNotRead) {
    Jukebox jb;
    VX_folder_times times;
    times.root = "/music/";
    times.library = "2 abc";
    times.folders = {{"/music/", "/mnt/disk/music", 123456789012345},
                     {"/music/tab\there/", "/mnt/disk/music/tab\there", Scan_record::Unknown_time},
                     {"/elsewhere/", "/elsewhere", 7},
                     {"/music/new\nline \\ back/", "/music/new\nline \\ back", 42}};
    ASSERT_TRUE(Folder_times::Write(times));
    std::string why;
    const auto read = Folder_times::Read(why);
    ASSERT_TRUE(read) << why;
    EXPECT_EQ(read->root, times.root);
    EXPECT_EQ(read->library, times.library);
    // A folder not below the music folder is left out: a check lists it again.
    times.folders.erase(times.folders.begin() + 2);
    ASSERT_EQ(read->folders.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read->folders[i].path, times.folders[i].path);
        EXPECT_EQ(read->folders[i].real, times.folders[i].real);
        EXPECT_EQ(read->folders[i].time, times.folders[i].time);
        EXPECT_EQ(read->folders[i].leaf, i > 0);
    }

    const std::string good = TestSupport::Read_file(Folder_times::File_name);
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    for (const std::string& bad :
         {std::string(), good.substr(0, good.size() - 4), good + "more\n", replaced("folders\t3", "folders\t4"),
          replaced("folders\t3", "folders\t99999999999"), replaced("folders\t3", "folders\tthree"),
          replaced("123456789012345", "12x"), replaced("\tF\t", "\tX\t"), replaced("\\t", "\\q"),
          replaced("root\t/music/", "root\t"), replaced("Tavrix folder times 1", "Tavrix folder times 2")}) {
        TestSupport::Write_file(Folder_times::File_name, bad);
        EXPECT_FALSE(Folder_times::Read(why)) << bad;
        EXPECT_NE(why.find("is corrupt"), std::string::npos) << why;
    }
    std::remove(Folder_times::File_name);
    EXPECT_FALSE(Folder_times::Read(why));
    EXPECT_EQ(why, "no 'MusicDataBase.folders'");
}

// The survey is made beside the load, so the disk may change between it and the walk: an album added
// then is found by the next start, and the walk gives a rebuild's library from the survey's answers.
TEST(FolderCheck, AChangeAfterTheSurveyIsFoundByTheNextStart) {
    Jukebox jb;
    Tree(jb);
    First_start();
    const std::string m = jb.Music() + P("/");
    jb.Touch("Various/Vol 3/01 - Three.mp3");
    fs::last_write_time(m + "Various", std::time(nullptr) - 600);
    VX_folder_survey survey = Folder_survey::Make(VxRead::Instance().Get_music_folder());
    ASSERT_FALSE(survey.as_they_were);
    EXPECT_EQ(survey.listings.count(m + P("Various/")), 1u);  // listed ahead for the walk
    EXPECT_EQ(survey.listings.count(m + P("Various/Vol 1/")), 0u);
    // After the survey: a new album at the top, the top an hour older than its new time.
    jb.Touch("Beatles - Help/01 - Help.mp3");
    fs::last_write_time(m, std::time(nullptr) - 300);
    VxDatabase::Instance().Load();
    const VX_folder_check first = Folder_check::Check_music_folder(std::move(survey));
    EXPECT_EQ(first.added, 1);  // Vol 3; the top's recorded time was taken before Beatles came
    VxDatabase::Instance().Save_if_changed();
    VxDatabase::Instance().Clear();

    const std::size_t log_start = TestSupport::Read_trace("log.txt").size();
    Library_startup::Library_at_startup();
    EXPECT_NE(Log_after(log_start).find("1 albums new or changed, 0 gone"), std::string::npos) << Log_after(log_start);
    const std::string checked = Listing();
    EXPECT_NE(checked.find("Beatles - Help"), std::string::npos);
    VxDatabase::Instance().Clear();
    Library_startup::Rebuild_library();
    EXPECT_EQ(Listing(), checked);
}
