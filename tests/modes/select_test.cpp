// The select mode: the sheet pages by ten, digits queue the song on their line once, 'A' queues
// the album and starts it by the empty-playlist rule, the first song follows the album opened,
// and the content panel and sheets slide in on Enter and out on Leave.
#include <gtest/gtest.h>

#include "modes/Mode_images.h"
#include "modes/VxModeBrowse.h"
#include "modes/VxModeSelect.h"
#include "platform/window.h"
#include "playback/VxPlaylist.h"
#include "tests/modes/mode_fixture.h"

namespace {

constexpr int Up = 38, Down = 40;

class Select_keys : public ModeTest::Screen {
protected:
    Select_keys() : Screen(false) {}
    // Albums "A Band k" with the given song counts, in this order on the first page.
    void Albums(std::initializer_list<int> songs) {
        std::vector<ModeTest::Album> albums;
        int k = 0;
        for (int n : songs) albums.push_back({"A Band " + std::to_string(k++), "T", n, ""});
        Make_library(albums);
    }
    void Open(VxModeBrowse& browse, VxModeSelect& select, int position) {
        ASSERT_TRUE(browse.Open_album(position));
        select.Enter();
    }
    static bool Play_timer_running() {
        return Platform::Message_queue::Instance().Timer_running(VxPlaylist::Timer_play);
    }
};

class Select_screen : public Select_keys {
protected:
    Select_screen() { with_display_ = true; }
};

TEST_F(Select_keys, TheSheetPagesByTenAndStopsAtBothEnds) {
    Albums({10, 11, 25});
    VxModeBrowse browse;
    VxModeSelect select(&browse);
    Open(browse, select, 0);  // ten songs: one page
    Press(select, Down, 0);
    EXPECT_EQ(select.Get_first_song(), 0);
    Open(browse, select, 1);  // eleven: two pages
    Press(select, Down, 0);
    EXPECT_EQ(select.Get_first_song(), 10);
    EXPECT_EQ(shell_.select_value, 10);  // kept by the shell
    Press(select, Down, 0);
    EXPECT_EQ(select.Get_first_song(), 10);
    Press(select, Up, 0);
    Press(select, Up, 0);
    EXPECT_EQ(select.Get_first_song(), 0);
    select.On_char('(');  // the arrows' codes as characters do nothing
    EXPECT_EQ(select.Get_first_song(), 0);
}

TEST_F(Select_keys, TheFirstSongIsKeptForTheSameAlbumAndStartsOverForAnother) {
    Albums({25, 25});
    VxModeBrowse browse;
    VxModeSelect select(&browse);
    Open(browse, select, 0);
    Press(select, Down, 0);
    Press(select, Down, 0);
    EXPECT_EQ(select.Get_first_song(), 20);
    select.Leave();
    Open(browse, select, 0);
    EXPECT_EQ(select.Get_first_song(), 20);
    select.Leave();
    Open(browse, select, 1);
    EXPECT_EQ(select.Get_first_song(), 0);
    EXPECT_EQ(select.Get_album(), *browse.Get_panel_album(1));
}

TEST_F(Select_keys, ADigitQueuesTheSongOnItsLineOnceAndStartsTheStoppedPlayer) {
    Albums({13});
    VxModeBrowse browse;
    VxModeSelect select(&browse);
    Open(browse, select, 0);
    Press(select, Down, 0);
    Type(select, '4');  // the second page holds three songs
    Type(select, '0');
    VxPlaylist& playlist = VxPlaylist::Instance();
    EXPECT_EQ(playlist.Get_nof_items(), 0);
    EXPECT_FALSE(Play_timer_running());
    Type(select, '3');
    ASSERT_EQ(playlist.Get_nof_items(), 1);
    EXPECT_EQ(playlist.Get_item(0).cd_index, select.Get_album());
    EXPECT_EQ(playlist.Get_item(0).song_index, 12);
    EXPECT_TRUE(Play_timer_running());
    const std::string log = Log();
    EXPECT_EQ(Count(log, "Select a song - Key 1-9,0"), 3);
    EXPECT_NE(log.find("Start_and_update_song"), std::string::npos);
    Press(select, Up, 0);
    Type(select, '0');  // line ten of the first page
    ASSERT_EQ(playlist.Get_nof_items(), 2);
    EXPECT_EQ(playlist.Get_item(1).song_index, 9);
}

TEST_F(Select_keys, TheWholeAlbumOnAnEmptyPlaylistStartsItsFirstSong) {
    Albums({4});
    VxModeBrowse browse;
    VxModeSelect select(&browse);
    Open(browse, select, 0);
    Type(select, 'a');
    VxPlaylist& playlist = VxPlaylist::Instance();
    ASSERT_EQ(playlist.Get_nof_items(), 4);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(playlist.Get_item(s).song_index, s);
    EXPECT_EQ(playlist.Get_current_index(), 0);
    EXPECT_TRUE(Play_timer_running());
    const std::string log = Log();
    EXPECT_EQ(Count(log, "Select all cd songs"), 1);
    EXPECT_NE(log.find("Start_and_update_song"), std::string::npos);
    EXPECT_EQ(log.find("Start_and_update_next_song"), std::string::npos);
}

TEST_F(Select_keys, TheWholeAlbumAfterOtherSongsStartsTheNextSong) {
    Albums({2, 3});
    VxModeBrowse browse;
    VxModeSelect select(&browse);
    Open(browse, select, 0);
    Type(select, '2');
    Platform::Message_queue::Instance().Kill_timer(VxPlaylist::Timer_play);
    Open(browse, select, 1);
    Type(select, 'A');
    VxPlaylist& playlist = VxPlaylist::Instance();
    ASSERT_EQ(playlist.Get_nof_items(), 4);
    EXPECT_EQ(playlist.Get_current_index(), 1);  // the album's first song follows the one queued before
    EXPECT_EQ(playlist.Get_item(1).cd_index, select.Get_album());
    EXPECT_EQ(playlist.Get_item(1).song_index, 0);
    EXPECT_TRUE(Play_timer_running());
    EXPECT_NE(Log().find("Start_and_update_next_song"), std::string::npos);
}

TEST_F(Select_keys, KeyTableActsOncePerPress) {
    Albums({3});
    VxModeBrowse browse;
    VxModeSelect select(&browse);
    Open(browse, select, 0);
    shell_.modes.clear();
    Press(select, 27, 27);
    Press(select, 8, 8);
    for (char c : {'r', 'S', 'v', 'M', 'o', 'b'}) Type(select, c);
    EXPECT_EQ(shell_.modes, (std::vector<int>{MODE_BROWSE, MODE_BROWSE, MODE_RATING, MODE_SEARCH, MODE_VOLUME}));
    EXPECT_EQ(shell_.minimised, 1);
    EXPECT_EQ(VxPlaylist::Instance().Get_nof_items(), 0);
}

TEST_F(Select_keys, WithoutAnOpenedAlbumNothingIsQueued) {
    Albums({3});
    VxModeBrowse browse;
    VxModeSelect select(&browse);
    select.Enter();
    Type(select, '1');
    Type(select, 'a');
    Press(select, Down, 0);
    EXPECT_EQ(VxPlaylist::Instance().Get_nof_items(), 0);
    EXPECT_EQ(select.Get_album(), -1);
}

TEST_F(Select_screen, TheAlbumSlidesInOnEnterPagesSlideByTheirHeightAndLeaveClearsTheScreen) {
    Albums({12});
    VxModeBrowse browse;
    VxModeSelect select(&browse);
    VxBitmap& content = VxMode_images::Instance().content_panel;
    Open(browse, select, 0);
    EXPECT_NEAR(content.Get_position().x, 100, 1.0);
    EXPECT_DOUBLE_EQ(content.Get_target().x, 26);
    EXPECT_DOUBLE_EQ(content.Get_target().y, 47);
    EXPECT_NE(select.Get_button_bar(), nullptr);
    Press(select, Down, 0);
    EXPECT_EQ(select.Get_first_song(), 10);
    select.Leave();
    EXPECT_DOUBLE_EQ(content.Get_target().x, 100);
    EXPECT_EQ(Dialogs(), "");
}

}  // namespace
