// Names that are not ASCII: UTF-8 in the library, the system's own form on disk (UTF-16 on Windows),
// through the scan, a rating's tag file and the song's path; and tag files as other editors write them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "library/VxDatabase.h"
#include "library/VxRating.h"
#include "platform/paths.h"
#include "tests/library/library_fixture.h"
#include "tests/support/test_support.h"

using Library_test::Jukebox;

namespace {

// The standard library's path of a UTF-8 name, made without the jukebox's own seam, so that the
// test checks the name the system holds and not the seam against itself.
std::filesystem::path On_disk(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

void Make_empty(const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).flush();
}

const std::string Album =
    "Bj\xC3\xB6rk - D\xC3\xA9"
    "but";                                                 // Björk - Début
const std::string Song = "01 - J\xC3\xB3ga \xC3\xB8.mp3";  // 01 - Jóga ø.mp3
const std::string Other = "02 - \xC3\x86nima.wav";         // 02 - Ænima.wav

}  // namespace

TEST(UnicodeNames, AccentedNamesRoundTripFromDiskThroughTheLibraryAndBack) {
    Jukebox jb;
    const std::string folder = jb.Music_folder() + Album + Platform::Path_separator_text;
    Make_empty(On_disk(folder + Song));
    Make_empty(On_disk(folder + Other));

    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music_folder());
    ASSERT_EQ(db.Get_nof_cds(), 1);
    EXPECT_EQ(db.Get_cd_name(0), Album);
    EXPECT_EQ(db.Get_cd_path(0), folder);
    ASSERT_EQ(db.Get_nof_songs(0), 2);
    EXPECT_EQ(db.Get_song_file(0, 0), Song);
    EXPECT_EQ(db.Get_song_file(0, 1), Other);
    // The path the player opens names the file the system holds.
    EXPECT_TRUE(std::filesystem::is_regular_file(On_disk(db.Get_song_path(0, 1))));

    // The rating's tag file lands in the album's folder under its UTF-8 names, and reads back.
    ASSERT_TRUE(VxRating::Instance().SetSongRating(0, 0, 80));
    const std::string tag = folder + VxRating::Tag_file_name;
    ASSERT_TRUE(std::filesystem::is_regular_file(On_disk(tag)));
    EXPECT_EQ(VxRating::Instance().GetSongRating(0, 0), 80);
    std::ifstream in(On_disk(tag), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("<" + Song + ">"), std::string::npos) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos) << "the same bytes as on Linux";
    // Nothing but the songs and the tag file: no temporary left, no second name for the folder.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(On_disk(folder))) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 3);
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(On_disk(jb.Music())), std::filesystem::directory_iterator()),
        1);
}

TEST(UnicodeNames, ATagFileWithWindowsLineEndsReadsAsOneWithLinuxOnes) {
    Jukebox jb;
    const std::string folder = jb.Music_folder() + Album + Platform::Path_separator_text;
    Make_empty(On_disk(folder + Song));
    Make_empty(On_disk(folder + Other));
    {
        std::ofstream tag(On_disk(folder + VxRating::Tag_file_name), std::ios::binary);
        tag << "\r\n <" << Song << ">\r\n rating=100\r\n <" << Other << ">\r\n rating=40\r\n";
    }
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music_folder());
    ASSERT_EQ(db.Get_nof_cds(), 1);
    EXPECT_EQ(VxRating::Instance().GetSongRating(0, 0), 100);
    EXPECT_EQ(VxRating::Instance().GetSongRating(0, 1), 40);
    // A new rating rewrites the file with the jukebox's own line ends and keeps the other one.
    ASSERT_TRUE(VxRating::Instance().SetSongRating(0, 0, 60));
    EXPECT_EQ(TestSupport::Read_file(folder + VxRating::Tag_file_name).find('\r'), std::string::npos);
    EXPECT_EQ(VxRating::Instance().GetSongRating(0, 0), 60);
    EXPECT_EQ(VxRating::Instance().GetSongRating(0, 1), 40);
}
