// The browse mode: start-character stepping and its wrap-around, the first album kept or backed
// off, paging and the ring's way back, the no-songs box, the slides, and opening an album by key
// and by a click on its cover.
#include <gtest/gtest.h>

#include <algorithm>

#include "display/VxButton.h"
#include "library/VxDatabase.h"
#include "modes/Album_panel.h"
#include "modes/Mode_images.h"
#include "modes/Panel_manager.h"
#include "modes/VxModeBrowse.h"
#include "tests/modes/mode_fixture.h"

namespace {

constexpr int Left = 37, Up = 38, Right = 39, Down = 40;

class Browse_keys : public ModeTest::Screen {
protected:
    Browse_keys() : Screen(false) {}
    void Key(VxModeBrowse& mode, int arrow) { Press(mode, arrow, 0); }
    std::string Page(const VxModeBrowse& mode) {
        return mode.Get_start_string() + "/" + std::to_string(mode.Get_first_album());
    }
};

class Browse_screen : public ModeTest::Screen {
protected:
    // The pixel in the middle of cover place k (0..5) of the panel at its shown place.
    static Platform::Message Click_on_cover(int k) {
        const VxPoint place = Album_panel::Cover_place(k);
        const double x = VxMode_images::Action_x + place.x * 0.73 + Album_panel::Cover_width() / 2;
        const double y = VxMode_images::Action_y + place.y * 0.49 + Album_panel::Cover_height / 2;
        return {Platform::WM_LBUTTONDOWN, 0, Platform::Make_point(static_cast<int>(x * 8), static_cast<int>(y * 6))};
    }
    static VxBitmap& Visible_panel() {
        VxMode_images& images = VxMode_images::Instance();
        return images.action_panel[images.action_panel_in_use];
    }
};

TEST_F(Browse_keys, StartCharactersWrapAroundAndSkipCharactersWithoutAlbums) {
    Make_library_of("09AZ", 2);
    VxModeBrowse mode;
    EXPECT_EQ(Page(mode), "0/0");
    const char* down[] = {"9/0", "A/0", "Z/0", "0/0"};
    for (const char* expected : down) {
        Key(mode, Down);
        EXPECT_EQ(Page(mode), expected);
    }
    Key(mode, Up);  // from "0" back to "Z"
    EXPECT_EQ(Page(mode), "Z/0");
    EXPECT_EQ(Dialogs(), "");
}

TEST_F(Browse_keys, TheFirstPageHasAlbumsEvenWhenZeroHasNone) {
    Make_library_of("CD", 3);
    VxModeBrowse mode;
    EXPECT_EQ(Page(mode), "C/0");
    ASSERT_TRUE(mode.Get_panel_album(2));
    EXPECT_FALSE(mode.Get_panel_album(3));
    // A new library starts over at its own first page.
    Make_library_of("7", 1);
    mode.Reset_panel();
    EXPECT_EQ(Page(mode), "7/0");
    EXPECT_EQ(mode.Get_selected_album(), -1);
}

TEST_F(Browse_keys, APanelMadeOnAnEmptyLibraryFindsItsFirstPageOnRefresh) {
    VxModeBrowse mode;
    EXPECT_FALSE(mode.Get_panel_album(0));
    Make_library_of("K", 2);
    mode.Refresh();  // as on entering the mode
    EXPECT_EQ(Page(mode), "K/0");
    EXPECT_TRUE(mode.Get_panel_album(1));
}

TEST_F(Browse_keys, ACharacterChangeKeepsTheFirstAlbumOrBacksOffByWholePages) {
    // 14 albums under A and B, 8 under C, 2 under D.
    std::vector<ModeTest::Album> albums;
    for (auto [c, n] : {std::pair{'A', 14}, {'B', 14}, {'C', 8}, {'D', 2}})
        for (int k = 0; k < n; ++k) albums.push_back({std::string(1, c) + " Band " + std::to_string(k), "T", 1, ""});
    Make_library(albums);
    VxModeBrowse mode;
    Key(mode, Right);
    Key(mode, Right);
    EXPECT_EQ(Page(mode), "A/12");
    Key(mode, Down);
    EXPECT_EQ(Page(mode), "B/12");  // B has that many
    Key(mode, Down);
    EXPECT_EQ(Page(mode), "C/6");  // 12 is beyond C's 8: one page back
    Key(mode, Down);
    EXPECT_EQ(Page(mode), "D/0");
    EXPECT_EQ(mode.Get_panel_album(1), 37);
    EXPECT_FALSE(mode.Get_panel_album(2));
}

TEST_F(Browse_keys, PagingStopsAtBothEndsWithoutABox) {
    Make_library_of("A", 14);
    VxModeBrowse mode;
    Key(mode, Left);
    EXPECT_EQ(Page(mode), "A/0");
    for (int i = 0; i < 3; ++i) Key(mode, Right);
    EXPECT_EQ(Page(mode), "A/12");
    EXPECT_TRUE(mode.Get_panel_album(1));
    EXPECT_FALSE(mode.Get_panel_album(2));  // 14 albums: the last page holds two
    Key(mode, Left);
    EXPECT_EQ(Page(mode), "A/6");
    EXPECT_EQ(Dialogs(), "");
}

TEST_F(Browse_keys, TheOppositeKeyStepsBackThroughTheRingOnceItHoldsHistory) {
    std::vector<ModeTest::Album> albums;
    for (int k = 0; k < 40; ++k) albums.push_back({"A Band " + std::to_string(k), "T", 1, ""});
    for (int k = 0; k < 3; ++k) albums.push_back({"B Band " + std::to_string(k), "T", 1, ""});
    Make_library(albums);
    VxModeBrowse mode;
    // Early on the way back is computed: B's page 0 leads up to A's page 0.
    Key(mode, Right);
    Key(mode, Right);
    Key(mode, Down);
    EXPECT_EQ(Page(mode), "B/0");
    Key(mode, Up);
    EXPECT_EQ(Page(mode), "A/0");
    // After more than five pages the ring is the way back: up returns to the page left.
    for (int i = 0; i < 6; ++i) Key(mode, Right);
    EXPECT_EQ(Page(mode), "A/36");
    Key(mode, Down);
    EXPECT_EQ(Page(mode), "B/0");
    Key(mode, Up);
    EXPECT_EQ(Page(mode), "A/36");
    // The ring holds four older pages; beyond them paging goes on by computing.
    const char* back[] = {"A/30", "A/24", "A/18", "A/12", "A/6", "A/0", "A/0"};
    for (const char* expected : back) {
        Key(mode, Left);
        EXPECT_EQ(Page(mode), expected);
    }
    EXPECT_EQ(Dialogs(), "");
}

TEST_F(Browse_keys, AStepBackToAPageTheLibraryNoLongerHasRecovers) {
    Make_library_of("A", 40);
    VxModeBrowse mode;
    for (int i = 0; i < 6; ++i) Key(mode, Right);
    Key(mode, Down);  // wraps round to A's first page: the character after A has no albums
    ASSERT_EQ(Page(mode), "A/0");
    Make_library_of("C", 2);  // replaced without Reset_panel
    Key(mode, Up);            // back to A/36, which has gone
    EXPECT_EQ(Count(Dialogs(), "VxModeBrowse\tRECOVERY FROM EMPTY PANEL"), 1);
    EXPECT_EQ(Page(mode), "C/0");  // the search went on to a page that exists
}

TEST_F(Browse_keys, AnEmptyLibraryShowsTheNoSongsBoxOncePerKey) {
    VxModeBrowse mode;  // nothing to show: no box yet
    EXPECT_EQ(Dialogs(), "");
    Key(mode, Down);
    const std::string box = Dialogs();
    EXPECT_EQ(Count(box, "VxModeBrowse\tNo songs were found! Verify logging."), 1);
    EXPECT_NE(box.find("(Delete MusicDataBase.dat if neccesary !)"), std::string::npos);
    Key(mode, Right);
    mode.show_6cdpanel_char("AB");
    EXPECT_EQ(Count(Dialogs(), "No songs were found!"), 3);
    EXPECT_EQ(Page(mode), "0/0");
    EXPECT_FALSE(mode.Get_panel_album(0));
}

TEST_F(Browse_keys, AJumpFindsTheAlbumsStartingWithTheTextAndStaysWithoutThem) {
    Make_library(
        {{"Abba", "Gold", 1, ""}, {"Abc", "Lexicon", 1, ""}, {"Beatles", "Help", 1, ""}, {"ACDC", "Back", 1, ""}});
    VxModeBrowse mode;
    mode.show_6cdpanel_char("ab");
    EXPECT_EQ(mode.Get_start_string(), "ab");
    ASSERT_TRUE(mode.Get_panel_album(1));
    EXPECT_FALSE(mode.Get_panel_album(2));
    mode.show_6cdpanel_char("xq");  // nothing there: the page stays, no box
    EXPECT_EQ(mode.Get_start_string(), "ab");
    mode.show_6cdpanel_char("b");
    EXPECT_EQ(Page(mode), "b/0");
    EXPECT_EQ(mode.Get_panel_album(0), 3);
    EXPECT_EQ(Dialogs(), "");
}

TEST_F(Browse_keys, DigitsOpenTheAlbumOnThatPlaceOnceAndNothingBeyondThePage) {
    Make_library_of("A", 4);
    VxModeBrowse mode;
    Type(mode, '5');
    Type(mode, '6');
    mode.On_key_down(Code_cover_first + 5);
    mode.On_char(Code_cover_first + 5);
    EXPECT_TRUE(shell_.modes.empty());
    EXPECT_FALSE(mode.Open_album(4));
    Type(mode, '2');
    ASSERT_EQ(shell_.modes, std::vector<int>{MODE_SELECT});
    EXPECT_EQ(mode.Get_selected_album(), *mode.Get_panel_album(1));
    mode.On_key_down(Code_cover_first + 3);  // a cover button: key-down and character, once
    mode.On_char(Code_cover_first + 3);
    EXPECT_EQ(shell_.modes.size(), 2u);
    EXPECT_EQ(mode.Get_selected_album(), *mode.Get_panel_album(3));
    EXPECT_GE(Count(Log(), "MODE_BROWSE - Key 1-6"), 2);
}

TEST_F(Browse_keys, KeyTableActsOncePerPress) {
    Make_library_of("AB", 2);
    VxModeBrowse mode;
    Press(mode, 27, 27);
    Press(mode, 8, 8);
    for (char c : {'v', 'O', 'r', 'S', 'm'}) Type(mode, c);
    EXPECT_EQ(shell_.modes,
              (std::vector<int>{MODE_MAIN, MODE_MAIN, MODE_VOLUME, MODE_OPTIONS, MODE_RATING, MODE_SEARCH}));
    EXPECT_EQ(shell_.minimised, 1);
    // An arrow press moves one character; its codes as characters ("(" is 40) do nothing.
    Key(mode, Down);
    EXPECT_EQ(Page(mode), "B/0");
    mode.On_char(Down);
    mode.On_char(Right);
    EXPECT_EQ(Page(mode), "B/0");
}

TEST_F(Browse_screen, PagesSlideInFromTheirSideWhileTheVisibleOneLeaves) {
    Make_library_of("AB", 8);
    VxModeBrowse mode;
    VxMode_images& images = VxMode_images::Instance();
    struct Case {
        int key;
        VxPoint old_target, new_start;
    };
    const Case cases[] = {{Down, {26, 47 - 49}, {26, 47 + 49 + 10}},
                          {Up, {26, 47 + 49}, {26, 47 - 49 - 10}},
                          {Right, {26 - 73 - 10, 47}, {100, 47}},
                          {Left, {100, 47}, {26 - 73 - 10, 47}}};
    for (const Case& c : cases) {
        const int before = images.action_panel_in_use;
        Press(mode, c.key, 0);
        ASSERT_NE(images.action_panel_in_use, before) << c.key;
        VxBitmap& old_panel = images.action_panel[before];
        VxBitmap& new_panel = images.action_panel[images.action_panel_in_use];
        EXPECT_DOUBLE_EQ(old_panel.Get_target().x, c.old_target.x) << c.key;
        EXPECT_DOUBLE_EQ(old_panel.Get_target().y, c.old_target.y) << c.key;
        // It came in from new_start: read at once it is there, but a loaded machine may let it move on a
        // little, so it lies between there and its target (never behind the start or on the other side).
        const VxPoint now = new_panel.Get_position();
        auto between = [](double v, double from, double to) {
            return v >= std::min(from, to) - 1e-9 && v <= std::max(from, to) + 1e-9;
        };
        EXPECT_TRUE(between(now.x, c.new_start.x, 26)) << c.key << ": " << now.x;
        EXPECT_TRUE(between(now.y, c.new_start.y, 47)) << c.key << ": " << now.y;
        EXPECT_DOUBLE_EQ(new_panel.Get_target().x, 26);
        EXPECT_DOUBLE_EQ(new_panel.Get_target().y, 47);
        old_panel.Set_position(100, 47);  // as once the slide has ended
        new_panel.Set_position(26, 47);
    }
    EXPECT_EQ(Dialogs(), "");  // every cover came from a placeholder without a box
}

TEST_F(Browse_screen, AClickOnACoverOpensItsAlbumOnceAndThePlacesFollowTheVisiblePanel) {
    Make_library_of("AB", 5);
    VxModeBrowse mode;
    mode.Enter();
    Visible_panel().Set_position(26, 47);
    mode.Handle_message(Click_on_cover(4));
    ASSERT_EQ(shell_.modes, std::vector<int>{MODE_SELECT});
    EXPECT_EQ(mode.Get_selected_album(), *mode.Get_panel_album(4));
    mode.Handle_message(Click_on_cover(5));  // only five albums on the page
    EXPECT_EQ(shell_.modes.size(), 1u);

    // Another mode's buttons answer on the covers of the page now on screen.
    Press(mode, Down, 0);
    Visible_panel().Set_position(26, 47);
    VxButton_set other;
    mode.Add_cover_places(other);
    ASSERT_EQ(other.extras.size(), 6u);
    EXPECT_EQ(other.extras[2]->Get_label(), "cover 3/6");
    const Platform::Message click = Click_on_cover(2);
    EXPECT_EQ(VxButton::Instance().Hit_test(other, Platform::Point_x(click.lparam), Platform::Point_y(click.lparam)),
              503);
    mode.Handle_message(click);
    EXPECT_EQ(mode.Get_start_string(), "B");
    EXPECT_EQ(mode.Get_selected_album(), *mode.Get_panel_album(2));
}

TEST_F(Browse_screen, MissingAndBrokenCoversFallBackToThePlaceholderWithoutBoxes) {
    Make_library({{"Abba", "Gold", 1, "cover.jpg"}, {"Abc", "Lexicon", 1, ""}});
    // A cache file that cannot be decoded.
    TestSupport::Write_file(VxDatabase::Instance().Get_cd_cached_cover(0), "not a bitmap");
    VxModeBrowse mode;
    mode.Refresh();
    mode.Refresh();
    EXPECT_LE(Count(Dialogs(), "\n"), 1);  // at most the decoder's one complaint
    VxBitmap probe;
    probe.Set_size(10, 10);
    EXPECT_TRUE(Album_panel::Load_first(probe, Album_panel::Panel_cover_candidates(1)));
}

}  // namespace

TEST_F(Browse_screen, NamesBesideACoverBreakBetweenWordsAndTheLastLineIsCut) {
    const double height = 1.68;
    const int width = 90;
    auto fits = [&](const std::string& line) {
        return Album_panel::Fit_text(line, width, height) == line;  // unchanged when it fits
    };
    const std::string name = "The Extraordinarily Long Named Orchestra of Somewhere Far Away";
    const auto lines = Album_panel::Wrap_text(name, width, height, 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(fits(lines[0]));
    EXPECT_TRUE(fits(lines[1]));
    EXPECT_EQ(name.rfind(lines[0], 0), 0u);  // whole words from the start
    EXPECT_NE(lines[0].back(), ' ');
    EXPECT_EQ(lines[1].substr(lines[1].size() - 2), "..");
    EXPECT_EQ(Album_panel::Wrap_text("Abba", width, height, 2), std::vector<std::string>{"Abba"});
    EXPECT_EQ(Album_panel::Wrap_text("", width, height, 2), std::vector<std::string>{""});
    // One word longer than a line is cut on its one line.
    const auto cut = Album_panel::Wrap_text("Supercalifragilisticexpialidocious", width, height, 3);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].substr(cut[0].size() - 2), "..");
}
