// The playlist's queue: next and previous with wrap-around, random fill with random play on and
// off, the empty playlist, and the play timer that every step starts.
#include <gtest/gtest.h>
#include <unistd.h>

#include "library/VxDatabase.h"
#include "platform/dialogs.h"
#include "platform/window.h"
#include "playback/VxPlaylist.h"
#include "settings/VxRead.h"
#include "tests/support/test_support.h"

namespace {

// A jukebox home (run/ as working folder, ../music present) with a three-album library whose
// random list holds album 2, song 1.
class Playlist : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::Set_headless(true);
        TestSupport::Make_dirs(scratch_.Path() + "/run");
        TestSupport::Make_dirs(scratch_.Path() + "/music");
        ASSERT_EQ(chdir((scratch_.Path() + "/run").c_str()), 0);
        TestSupport::Open_trace_here();
        VX_FileSystem_musiclist list;
        for (int c = 0; c < 3; ++c) {
            VX_FileSystem_cd cd;
            cd.path = "/nowhere/cd" + std::to_string(c) + "/";
            for (int s = 0; s < 2; ++s) cd.songs.push_back(VX_FileSystem_song{"s.mp3", "s", "", "", 80});
            list.cds.push_back(cd);
        }
        list.random_list.push_back(VX_song_reference{2, 1});
        VxDatabase::Instance().Set_musiclist(list);
        Platform::Message_queue::Instance().Reset();
    }
    void Random(bool on) { VxRead::Instance().Set_use_random(on); }
    bool Timer_started() { return Platform::Message_queue::Instance().Timer_running(VxPlaylist::Timer_play); }

    TestSupport::Scratch_dir scratch_;
    VxPlaylist& list_ = VxPlaylist::Instance();
};

TEST_F(Playlist, NextAndPreviousWrapAround) {
    Random(false);
    for (int s = 0; s < 3; ++s) list_.Insert_item(s, 0);
    EXPECT_EQ(list_.Get_item(1).rating, 80);
    list_.Start_and_update_next_song();
    EXPECT_EQ(list_.Get_current_index(), 1);
    EXPECT_TRUE(Timer_started());
    list_.Start_and_update_next_song();
    list_.Start_and_update_next_song();  // past the last item: back to the top
    EXPECT_EQ(list_.Get_current_index(), 0);
    EXPECT_EQ(list_.Get_nof_items(), 3);
    list_.start_and_update_previous_song();  // before the first: the last
    EXPECT_EQ(list_.Get_current_index(), 2);
    list_.start_and_update_previous_song();
    EXPECT_EQ(list_.Get_current_index(), 1);
}

TEST_F(Playlist, RandomPlayAppendsOneSongAtTheEnd) {
    Random(true);
    list_.Insert_item(0, 0);
    list_.Start_and_update_next_song();
    ASSERT_EQ(list_.Get_nof_items(), 2);
    EXPECT_EQ(list_.Get_current_index(), 1);
    EXPECT_EQ(list_.Get_item_song(1), (VX_song_reference{2, 1}));
    EXPECT_TRUE(Timer_started());
}

TEST_F(Playlist, EmptyPlaylist) {
    Random(false);
    list_.Start_and_update_next_song();  // nothing to play, but the timer still runs
    EXPECT_EQ(list_.Get_nof_items(), 0);
    EXPECT_TRUE(Timer_started());
    list_.Play_current();  // finds no items: nothing happens
    Platform::Message_queue::Instance().Reset();
    list_.start_and_update_previous_song();
    EXPECT_FALSE(Timer_started());
    list_.Start_and_update_song();
    EXPECT_FALSE(Timer_started());

    Random(true);
    list_.Start_and_update_next_song();
    EXPECT_EQ(list_.Get_nof_items(), 1);
    EXPECT_EQ(list_.Get_current_index(), 0);
}

TEST_F(Playlist, RandomPlayWithEmptyRandomListAppendsNothing) {
    VX_FileSystem_musiclist list = VxDatabase::Instance().Musiclist();
    list.random_list.clear();
    VxDatabase::Instance().Set_musiclist(list);
    Random(true);
    list_.Start_and_update_next_song();
    EXPECT_EQ(list_.Get_nof_items(), 0);
    EXPECT_TRUE(Timer_started());
}

}  // namespace

TEST_F(Playlist, AnItemFromBeforeARebuildPlaysNothingAndSaysSo) {
    list_.Insert_item(2, 1);
    // A new music folder: the library now holds one album; the queued album 2 is gone.
    VX_FileSystem_musiclist smaller;
    VX_FileSystem_cd cd;
    cd.path = "/nowhere/other/";
    cd.songs.push_back(VX_FileSystem_song{"t.mp3", "t", "", "", -1});
    smaller.cds.push_back(cd);
    VxDatabase::Instance().Set_musiclist(smaller);
    list_.Set_current_index(0);
    list_.Play_current();
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("Play_audio : playlist item 0 names no song of the library"),
              std::string::npos);
}
