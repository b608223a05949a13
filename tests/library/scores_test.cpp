// Ratings in tag files, album scores, the random list and the random draw, on scanned albums.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "library/VxRating.h"
#include "settings/CIniFile.h"
#include "tests/library/library_fixture.h"
#include "tests/support/test_support.h"

static constexpr auto P = TestSupport::Native;

using Library_test::Jukebox;

namespace {

// One album "A - B" with songs 1.mp3 .. n.mp3 whose tag file holds the given ratings (-1: none).
int Scan_album(const Jukebox& jb, const std::vector<int>& ratings) {
    for (std::size_t i = 0; i < ratings.size(); ++i) jb.Touch("A - B/" + int_to_string(i + 1) + ".mp3");
    const std::string tag = jb.Music() + P("/A - B/tavrix.tag");
    CIniFile::Create_file(tag);
    for (std::size_t i = 0; i < ratings.size(); ++i)
        if (ratings[i] != -1)
            CIniFile::Set_value("rating", int_to_string(ratings[i]), int_to_string(i + 1) + ".mp3", tag);
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music_folder());
    return db.Get_nof_cds() - 1;
}

// The rating a song of album 0 was given in the tag file, by its file name.
int Rated(const std::vector<int>& ratings, int c, int s) {
    const std::string file = VxDatabase::Instance().Get_song_file(c, s);
    return ratings[std::stoi(file) - 1];
}

}  // namespace

TEST(Scores, SumOfWeightsAndRatingsRefreshedFromTags) {
    Jukebox jb;
    const std::vector<int> ratings = {100, 80, 60, 95, 94, 70, 69, 50, 49, 101, -1};
    Scan_album(jb, ratings);
    VxDatabase& db = VxDatabase::Instance();
    db.Determine_cd_scores();
    EXPECT_DOUBLE_EQ(db.Get_cd_score(0), 1.25 + 1.0 + 0.25 + 1.25 + 1.0 + 1.0 + 0.25 + 0.25);
    for (int s = 0; s < 11; ++s) EXPECT_EQ(db.Get_song_rating(0, s), Rated(ratings, 0, s));
    EXPECT_EQ(db.Get_score_index(), 1);
    EXPECT_TRUE(db.Is_changed());
}

TEST(Scores, LowAndMissingRatingsScoreNothing) {
    Jukebox jb;
    Scan_album(jb, {40, -1, 110});
    VxDatabase& db = VxDatabase::Instance();
    db.Determine_cd_scores();
    EXPECT_EQ(db.Get_cd_score(0), 0.0);
}

TEST(Scores, UnreadableOrOddTagValues) {
    Jukebox jb;
    Scan_album(jb, {-1, -1});
    const std::string tag = jb.Music() + P("/A - B/tavrix.tag");
    TestSupport::Write_file(tag, " <1.mp3>\n rating=70abc\n <2.mp3>\n rating=abc\n");
    VxRating& rating = VxRating::Instance();
    const int c = 0;
    const int s1 = VxDatabase::Instance().Get_song_file(c, 0) == "1.mp3" ? 0 : 1;
    EXPECT_EQ(rating.GetSongRating(c, s1), 70);
    EXPECT_EQ(rating.GetSongRating(c, 1 - s1), 0);
    EXPECT_EQ(rating.Get_album_ratings(c)[s1], 70);
    std::remove(tag.c_str());
    EXPECT_EQ(rating.GetSongRating(c, 0), -1);
    EXPECT_EQ(rating.Get_album_ratings(c), (std::vector<int>{-1, -1}));
}

TEST(RandomList, DrawableSongsAndUpdates) {
    Jukebox jb;
    const std::vector<int> ratings = {70, 100, -1, 0, 50, 60};
    Scan_album(jb, ratings);
    VxDatabase& db = VxDatabase::Instance();
    db.ScoreSortRandomArray();
    ASSERT_EQ(db.Get_nof_random_songs(), 3);
    for (const auto& r : db.Musiclist().random_list) {
        const int given = Rated(ratings, r.cd_index, r.song_index);
        EXPECT_TRUE(given == 70 || given == 100 || given == -1) << given;
    }
    const VX_song_reference first = db.Musiclist().random_list.front();
    db.Update_random_list(first.cd_index, first.song_index, 60);
    EXPECT_EQ(db.Get_nof_random_songs(), 2);
    db.Update_random_list(first.cd_index, first.song_index, 80);
    EXPECT_EQ(db.Musiclist().random_list.back(), first);
    db.Update_random_list(first.cd_index, first.song_index, 90);  // already there
    EXPECT_EQ(db.Get_nof_random_songs(), 3);
}

TEST(RandomList, SetSongRatingWritesTheTagFileAndUpdatesEverything) {
    Jukebox jb;
    Scan_album(jb, {-1, -1});
    VxDatabase& db = VxDatabase::Instance();
    db.Determine_cd_scores();
    db.ScoreSortRandomArray();
    db.Create_lookup_table();
    db.Set_changed(false);
    VxRating::Instance().SetSongRating(0, 1, 40);
    const std::string tag = TestSupport::Read_file(jb.Music() + P("/A - B/tavrix.tag"));
    EXPECT_EQ(tag, " <" + db.Get_song_file(0, 1) + ">\n rating=40\n");
    EXPECT_EQ(db.Get_song_rating(0, 1), 40);
    EXPECT_EQ(db.Get_nof_random_songs(), 1);
    EXPECT_TRUE(db.Is_changed());
    VxRating::Instance().SetSongRating(0, 1, 100);
    EXPECT_EQ(db.Get_cd_score(0), 1.25);
    EXPECT_EQ(db.Get_nof_random_songs(), 2);
    EXPECT_EQ(VxRating::Instance().GetSongWeight(0, 1), 1.25);
}

TEST(RandomList, DrawsOnlyEntriesAndNothingFromAnEmptyList) {
    Jukebox jb;
    VxDatabase& db = VxDatabase::Instance();
    EXPECT_FALSE(db.Get_random_song().has_value());
    Scan_album(jb, {-1, 100, 0});
    db.ScoreSortRandomArray();
    random_seed(3);
    for (int i = 0; i < 50; ++i) {
        const auto song = db.Get_random_song();
        ASSERT_TRUE(song.has_value());
        EXPECT_NE(db.Get_song_file(song->cd_index, song->song_index), "3.mp3");
    }
}

TEST(RandomList, ATagFileTooLargeOrNoFileIsNeitherReadNorRewritten) {
    Jukebox jb;
    Scan_album(jb, {95, -1});
    VxDatabase& db = VxDatabase::Instance();
    const std::string tag = jb.Music() + P("/A - B/tavrix.tag");
    // A real rating line, then padding past the limit: none of it counts.
    std::string big = TestSupport::Read_file(tag);
    big += "#" + std::string(VxRating::Max_tag_file_size, 'x') + "\n";
    TestSupport::Write_file(tag, big);
    db.Determine_cd_scores();
    db.ScoreSortRandomArray();
    EXPECT_EQ(db.Get_song_rating(0, 0), -1);
    EXPECT_EQ(VxRating::Instance().GetSongRating(0, 0), -1);
    EXPECT_FALSE(VxRating::Instance().SetSongRating(0, 1, 80));
    EXPECT_EQ(TestSupport::Read_file(tag), big);
    EXPECT_EQ(db.Get_song_rating(0, 1), -1);  // the song keeps what the tag file would say
    const std::string errors = TestSupport::Read_trace("error.txt");
    const std::string reason = "VxRating : '" + tag + "' is larger than 1048576 bytes; its ratings are not used";
    EXPECT_EQ(errors.find(reason), errors.rfind(reason)) << "once per file and run";
    EXPECT_NE(errors.find(reason), std::string::npos);
    EXPECT_NE(errors.find("SetSongRating : could not write '" + tag + "'"), std::string::npos);

    // A folder in its place, as a person or a broken copy may leave it.
    std::remove(tag.c_str());
    TestSupport::Make_dirs(tag);
    EXPECT_FALSE(VxRating::Instance().SetSongRating(0, 1, 80));
    EXPECT_EQ(VxRating::Instance().GetSongRating(0, 1), -1);
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("VxRating : '" + tag + "' is no file"), std::string::npos);
}

TEST(RandomList, ARatingWritesItsTagFileOnceAndClearsTheStaleTemporariesOfItsFolder) {
    Jukebox jb;
    jb.Touch("A - B/1.mp3");
    jb.Touch("A - B/2.mp3");
    VxDatabase& db = VxDatabase::Instance();
    db.ReadMusic(jb.Music_folder());
    const std::string folder = jb.Music() + P("/A - B/");
    // What a kill during an earlier rating left, and a write of another jukebox that is still going on.
    const std::string stale = folder + ".tavrix.tag.tmp-a1B2c3", young = folder + ".tavrix.tag.tmp-d4E5f6";
    TestSupport::Write_file(stale, " <1.mp3>\n ra");
    TestSupport::Write_file(young, " <2.mp3>\n ra");
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2);
    std::filesystem::last_write_time(stale, old);
    ASSERT_TRUE(VxRating::Instance().SetSongRating(0, 1, 70));
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(young));
    // A missing tag file is made with its section and key in one piece.
    EXPECT_EQ(TestSupport::Read_file(folder + "tavrix.tag"), " <" + db.Get_song_file(0, 1) + ">\n rating=70\n");
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("Removed 1 stale temporary files in " + folder),
              std::string::npos);
}
