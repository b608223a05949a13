// The folder scan on small trees of empty files: albums per folder, song order, cover rules,
// nesting, counters, logging, folders reached through symbolic links, and entries that are no files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <boost/filesystem.hpp>

#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "tests/library/library_fixture.h"
#include "tests/support/test_support.h"

static constexpr auto P = TestSupport::Native;

namespace fs = boost::filesystem;
using Library_test::Jukebox;
using Library_test::Listing;

namespace {

const VX_FileSystem_cd* Album_at(const std::string& path) {
    for (const auto& cd : VxDatabase::Instance().Musiclist().cds)
        if (cd.path == path) return &cd;
    return nullptr;
}

std::vector<std::string> Song_files(const VX_FileSystem_cd& cd) {
    std::vector<std::string> files;
    for (const auto& s : cd.songs) files.push_back(s.file_name);
    return files;
}

// The listing order restricted to the given names (the file system decides the order).
std::vector<std::string> Listed(const std::string& folder, std::vector<std::string> names) {
    std::vector<std::string> out;
    for (const auto& n : Listing(folder))
        if (std::find(names.begin(), names.end(), n) != names.end()) out.push_back(n);
    return out;
}

}  // namespace

TEST(ReadMusic, OneAlbumPerSongFolderWithSongsInListingOrder) {
    Jukebox jb;
    jb.Touch("Abba - Gold/cover.jpg");
    jb.Touch("Abba - Gold/01.mp3");
    jb.Touch("Abba - Gold/02.Mp3");
    jb.Touch("Abba - Gold/03.mpeg");
    jb.Touch("Abba - Gold/notes.txt");
    jb.Touch("Only cover/front.jpg");
    jb.Touch("Only cover/notes.txt");
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music_folder());
    ASSERT_EQ(db.Get_nof_cds(), 1);
    const VX_FileSystem_cd& cd = db.Musiclist().cds[0];
    EXPECT_EQ(cd.path, jb.Music_folder() + P("Abba - Gold/"));
    EXPECT_EQ(cd.artist, "Abba ");
    EXPECT_EQ(cd.title, "Gold");
    EXPECT_EQ(cd.cover, "cover.jpg");  // before or after the first song, it is the album's cover
    EXPECT_EQ(cd.score, 0.0);
    EXPECT_EQ(Song_files(cd), Listed(cd.path, {"01.mp3", "02.Mp3"}));
    for (const auto& s : cd.songs) EXPECT_EQ(s.rating, -1);
    EXPECT_EQ(db.Get_song_path(0, 0), cd.path + cd.songs[0].file_name);
    EXPECT_EQ(db.Get_folder_count(), 2);
}

TEST(ReadMusic, OnlyTheFirstJpgCounts) {
    Jukebox jb;
    jb.Touch("A - B/01.mp3");
    jb.Touch("A - B/a.jpg");
    jb.Touch("A - B/b.JPG");
    jb.Touch("A - B/c.jpeg");
    jb.Touch("A - B/d.png");
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music_folder());
    ASSERT_EQ(db.Get_nof_cds(), 1);
    EXPECT_EQ(db.Get_cd_cover(0), "a.jpg");  // entries are taken in name order
}

TEST(ReadMusic, NestedFoldersKeepTheirOwnSongsAndCovers) {
    Jukebox jb;
    jb.Touch("Abba/00.mp3");
    jb.Touch("Abba/99.mp3");
    jb.Touch("Abba/front.jpg");
    jb.Touch("Abba/Gold/01.mp3");
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music());  // without the final separator
    ASSERT_EQ(db.Get_nof_cds(), 2);
    const VX_FileSystem_cd* abba = Album_at(jb.Music_folder() + P("Abba/"));
    const VX_FileSystem_cd* gold = Album_at(jb.Music_folder() + P("Abba/Gold/"));
    ASSERT_TRUE(abba && gold);
    EXPECT_EQ(Song_files(*abba), Listed(abba->path, {"00.mp3", "99.mp3"}));
    EXPECT_EQ(Song_files(*gold), std::vector<std::string>{"01.mp3"});
    // front.jpg belongs to the folder that holds it, whatever was scanned in between.
    EXPECT_EQ(abba->cover, "front.jpg");
    EXPECT_EQ(gold->cover, "");
    // The newest album comes first: Gold, met after 00.mp3 had made Abba's album.
    EXPECT_EQ(db.Get_cd_path(0), gold->path);
}

TEST(ReadMusic, CountsEveryFolderAndRescansAppend) {
    Jukebox jb;
    for (int i = 0; i < 5; ++i) fs::create_directories(jb.Music() + P("/f") + int_to_string(i));
    jb.Touch("f0/sub/x.ogg");
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music_folder());
    EXPECT_EQ(db.Get_folder_count(), 6);
    EXPECT_EQ(db.Get_nof_cds(), 1);
    db.ReadMusic(jb.Music_folder());  // the counter runs on over scans; the library is extended
    EXPECT_EQ(db.Get_folder_count(), 12);
    EXPECT_EQ(db.Get_nof_cds(), 2);
}

TEST(ReadMusic, NotADirectoryLeavesTheLibraryAlone) {
    Jukebox jb;
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music() + P("/missing"));
    EXPECT_EQ(db.Get_nof_cds(), 0);
    EXPECT_EQ(jb.Dialogs(), std::vector<std::string>{"VxDatabase\tError : This is not an directory"});
}

TEST(ReadMusic, LinkLoopsEndAndLinkedFoldersAreScannedOnce) {
    Jukebox jb;
    jb.Touch("A - One/01.mp3");
    jb.Touch("B - Two/deep/01.mp3");
    fs::create_directory_symlink(jb.Music(), jb.Music() + P("/A - One/loop"));           // back to the top
    fs::create_directory_symlink("..", jb.Music() + P("/B - Two/deep/up"));              // back to its parent
    fs::create_directory_symlink(jb.Music() + P("/A - One"), jb.Music() + P("/again"));  // a second way in
    fs::create_directory_symlink(jb.Music() + P("/nowhere"), jb.Music() + P("/dangling"));
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music_folder());
    EXPECT_EQ(db.Get_nof_cds(), 2);
    // A second scan behaves the same: the record of visited folders belongs to one scan.
    db.ReadMusic(jb.Music_folder());
    EXPECT_EQ(db.Get_nof_cds(), 4);
}

TEST(ReadMusic, LoggingOnWritesDetailLines) {
    Jukebox jb;
    jb.Touch("A - B/cover.jpg");
    jb.Touch("A - B/01.mp3");
    VxDatabase::Instance().ReadMusic(jb.Music_folder());
    const std::string log = TestSupport::Read_trace("log.txt");
    EXPECT_NE(log.find("New cd added [1] = " + jb.Music_folder() + P("A - B/01.mp3")), std::string::npos) << log;
    EXPECT_NE(log.find("valid song = 01.mp3"), std::string::npos);
    EXPECT_NE(log.find("Cover added to album[1] = "), std::string::npos);
    EXPECT_NE(log.find("DB.ReadMusic (dir: '" + jb.Music_folder() + "') "), std::string::npos);
}

TEST(ReadMusic, LoggingOffWritesNoDetailLines) {
    Jukebox jb(Library_test::Options{false, false, ""});
    jb.Touch("A - B/cover.jpg");
    jb.Touch("A - B/01.mp3");
    VxDatabase::Instance().ReadMusic(jb.Music_folder());
    const std::string log = TestSupport::Read_trace("log.txt");
    EXPECT_EQ(log.find("New cd added"), std::string::npos);
    EXPECT_EQ(log.find("valid song"), std::string::npos);
    EXPECT_EQ(log.find("Cover added"), std::string::npos);
}

// POSIX only: Windows folders have no mode bits that lock them, and no FIFOs.
#ifndef _WIN32
TEST(ReadMusic, UnreadableSubfolderIsLoggedAndSkipped) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    Jukebox jb;
    jb.Touch("A - B/01.mp3");
    jb.Touch("Locked/01.mp3");
    fs::permissions(jb.Music() + P("/Locked"), fs::perms::no_perms);
    VxDatabase::Instance().ReadMusic(jb.Music_folder());
    fs::permissions(jb.Music() + P("/Locked"), fs::perms::owner_all);
    EXPECT_EQ(VxDatabase::Instance().Get_nof_cds(), 1);
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("Locked : "), std::string::npos);
}

TEST(ReadMusic, OnlyFilesAndLinksToFilesAreSongsOrCovers) {
    Jukebox jb;
    jb.Touch("Real - Songs/01 - Real.mp3");
    jb.Touch("Elsewhere/kept.ogg");
    const std::string album = jb.Music() + P("/Odd - Entries/");
    fs::create_directories(album);
    // Opening a FIFO blocks until someone writes to it: a song or cover named so must never be opened.
    ASSERT_EQ(::mkfifo((album + "01 - Pipe.mp3").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((album + "cover.jpg").c_str(), 0644), 0);
    fs::create_symlink(jb.Music() + P("/Elsewhere/kept.ogg"), album + "02 - Linked.ogg");
    fs::create_symlink(album + "missing.mp3", album + "03 - Dangling.mp3");
    TestSupport::Write_file(album + "front.jpg", "");
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music_folder());
    const VX_FileSystem_cd* odd = Album_at(album);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(Song_files(*odd), (std::vector<std::string>{"02 - Linked.ogg"}));
    EXPECT_EQ(odd->cover, "front.jpg");
    EXPECT_EQ(db.Get_nof_cds(), 3);
}
#endif
