// The search mode: typing into the search string and the type box line, the characters it refuses
// (which still restart the 15 s time-out), Backspace, the jump timer, and the keys that go to browse.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "display/VxButton.h"
#include "library/VxDatabase.h"
#include "modes/Mode_images.h"
#include "modes/VxModeBrowse.h"
#include "modes/VxModeSearch.h"
#include "platform/window.h"
#include "tests/modes/mode_fixture.h"

namespace {

using Platform::Message_queue;

class Search_mode : public ModeTest::Screen {
protected:
    void SetUp() override {
        Screen::SetUp();
        Message_queue::Instance().Reset();
    }
    static void Type_text(VxMode& mode, const std::string& text) {
        for (char c : text) Type(mode, c);
    }
    // Where the type box holds pixels of exactly this colour: left, right, top, bottom (empty: left > right).
    static Platform::Rect Extent_of(COLORREF colour) {
        Platform::Surface* s = VxMode_images::Instance().type_box.Get_surface();
        const Platform::Pixel want = Platform::Make_pixel(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
        Platform::Rect r{INT_MAX, INT_MAX, -1, -1};
        for (int y = 0; y < s->Height(); ++y)
            for (int x = 0; x < s->Width(); ++x)
                if ((s->Get_pixel(x, y) & 0x00FFFFFF) == want) {
                    r.left = std::min(r.left, x), r.right = std::max(r.right, x);
                    r.top = std::min(r.top, y), r.bottom = std::max(r.bottom, y);
                }
        return r;
    }
};

TEST_F(Search_mode, EnteringShowsTheCaptionStartsTheTimeOutAndClearsTheString) {
    VxModeSearch mode(nullptr);
    mode.Enter();
    Type_text(mode, "xy");
    mode.Leave();
    mode.Enter();
    EXPECT_EQ(shell_.captions, 2);
    EXPECT_EQ(mode.Get_current_search_string(), "");
    const int left = Next_timer_ms();
    EXPECT_GT(left, 14000);
    EXPECT_LE(left, 15000);
}

TEST_F(Search_mode, TypingBuildsTheStringAndWritesTheSearchLineInTheTypeBox) {
    VxModeSearch mode(nullptr);
    mode.Enter();
    const COLORREF text = RGB(255, 250, 240), enter = RGB(139, 26, 26);
    EXPECT_GT(Extent_of(text).left, Extent_of(text).right);  // nothing written yet
    Type_text(mode, "ab");
    EXPECT_EQ(mode.Get_current_search_string(), "ab");
    EXPECT_NE(Log().find("Get_current_search_string = ab"), std::string::npos);
    EXPECT_TRUE(Message_queue::Instance().Timer_running(TIMER_SEARCH_JUMP));
    // "Search: " then 'ab' then " <ENTER>", left to right on one line.
    const Platform::Rect quoted = Extent_of(text), hint = Extent_of(enter);
    ASSERT_LE(quoted.left, quoted.right);
    ASSERT_LE(hint.left, hint.right);
    EXPECT_LT(quoted.right, hint.left);
    EXPECT_GT(quoted.left, VxMode_images::Instance().type_box.Surface_width() / 10);  // "Search: " before it
    EXPECT_LT(std::max(quoted.top, hint.top), std::min(quoted.bottom, hint.bottom));
    // Space and the playback letters are search text here.
    Type_text(mode, " npm");
    EXPECT_EQ(mode.Get_current_search_string(), "ab npm");
    EXPECT_EQ(shell_.minimised, 0);
}

TEST_F(Search_mode, RefusedCharactersChangeNothingButStillRestartTheTimeOut) {
    VxModeSearch mode(nullptr);
    mode.Enter();
    Type(mode, 'a');
    Message_queue& queue = Message_queue::Instance();
    for (char c : std::string("\"'/:;?\\`|~}")) {
        queue.Kill_timer(TIMER_SEARCH_JUMP);
        queue.Set_timer(TIMER_MODE_TIMEOUT, 3000);
        Type(mode, c);
        if (c == '}') {  // the last accepted character
            EXPECT_EQ(mode.Get_current_search_string(), "a}");
            continue;
        }
        EXPECT_EQ(mode.Get_current_search_string(), "a") << c;
        EXPECT_FALSE(queue.Timer_running(TIMER_SEARCH_JUMP)) << c;
        EXPECT_GT(Next_timer_ms(), 14000) << c;
    }
    EXPECT_FALSE(VxModeSearch::Is_search_character(126));
    EXPECT_FALSE(VxModeSearch::Is_search_character(31));
}

TEST_F(Search_mode, BackspaceRemovesOneCharacterPerPressAndNothingWhenEmpty) {
    VxModeSearch mode(nullptr);
    mode.Enter();
    Type_text(mode, "abc");
    Press(mode, Platform::VK_BACK, 8);
    EXPECT_EQ(mode.Get_current_search_string(), "ab");
    Press(mode, Platform::VK_BACK, 8);
    Press(mode, Platform::VK_BACK, 8);
    EXPECT_EQ(mode.Get_current_search_string(), "");
    Message_queue::Instance().Kill_timer(TIMER_SEARCH_JUMP);
    Press(mode, Platform::VK_BACK, 8);
    EXPECT_EQ(mode.Get_current_search_string(), "");
    EXPECT_FALSE(Message_queue::Instance().Timer_running(TIMER_SEARCH_JUMP));
    EXPECT_TRUE(shell_.modes.empty());
}

TEST_F(Search_mode, EnterEscapeAndTheArrowsGoToBrowseOnceStoppingBothTimers) {
    VxModeSearch mode(nullptr);
    Message_queue& queue = Message_queue::Instance();
    const std::pair<int, int> keys[] = {{Platform::VK_RETURN, 13}, {Platform::VK_ESCAPE, 27}, {Platform::VK_LEFT, 0},
                                        {Platform::VK_UP, 0},      {Platform::VK_RIGHT, 0},   {Platform::VK_DOWN, 0}};
    for (auto [key, character] : keys) {
        mode.Enter();
        Type(mode, 'a');
        shell_.modes.clear();
        Press(mode, key, character);
        EXPECT_EQ(shell_.modes, std::vector<int>{MODE_BROWSE}) << key;
        EXPECT_FALSE(queue.Timer_running(TIMER_MODE_TIMEOUT)) << key;
        EXPECT_FALSE(queue.Timer_running(TIMER_SEARCH_JUMP)) << key;
        mode.Leave();
    }
}

TEST_F(Search_mode, TheSearchKeyboardTypesAndLeavingTakesTheLineAway) {
    VxModeSearch mode(nullptr);
    mode.Enter();
    VxButton_set* bar = mode.Get_button_bar();
    ASSERT_NE(bar, nullptr);
    auto click = [&](const std::string& label) {
        for (VxClickBitmap* b : bar->main_row) {
            if (b->Get_label() != label) continue;
            const VxPoint p = b->Get_shown_position(), size = b->Get_size();
            b->Set_position(p.x, p.y);
            mode.Handle_message({Platform::WM_LBUTTONDOWN, 0,
                                 Platform::Make_point(static_cast<int>((p.x + size.x / 2) * 8),
                                                      static_cast<int>((p.y + size.y / 2) * 6))});
            return;
        }
        ADD_FAILURE() << "no key " << label;
    };
    click("q");
    click("7");
    click(" ");
    EXPECT_EQ(mode.Get_current_search_string(), "q7 ");
    click(" << ");
    EXPECT_EQ(mode.Get_current_search_string(), "q7");
    click("Enter");
    EXPECT_EQ(shell_.modes, std::vector<int>{MODE_BROWSE});

    VxBitmap& box = VxMode_images::Instance().type_box;
    mode.Leave();
    EXPECT_DOUBLE_EQ(box.Get_target().x, box.Get_hidden_position().x);
    EXPECT_GT(Extent_of(RGB(255, 250, 240)).left, Extent_of(RGB(255, 250, 240)).right);  // the line is gone
    VxModeSearch next(nullptr);  // whichever mode comes next brings the box back
    next.Enter();
    EXPECT_DOUBLE_EQ(box.Get_target().x, box.Get_shown_position().x);
}

}  // namespace

namespace {

class Search_jump : public Search_mode {
protected:
    // The album whose artist is this one.
    static int Album_of(const std::string& artist) {
        VxDatabase& db = VxDatabase::Instance();
        for (int c = 0; c < db.Get_nof_cds(); ++c)
            if (db.Get_cd_artist(c) == artist) return c;
        return -1;
    }
};

TEST_F(Search_jump, TheJumpTimerMovesThePanelToTheTypedAlbumsAndEnterJumpsAtOnce) {
    Make_library(
        {{"Cream", "Wheels", 1, ""}, {"Abba", "Gold", 1, ""}, {"Ace", "Five", 1, ""}, {"Blur", "Parklife", 1, ""}});
    VxModeBrowse browse;
    VxModeSearch mode(&browse);
    mode.Enter();
    Type(mode, 'a');
    Type(mode, 'b');
    mode.Handle_message({Platform::WM_TIMER, TIMER_SEARCH_JUMP, 0});
    EXPECT_FALSE(Message_queue::Instance().Timer_running(TIMER_SEARCH_JUMP));
    ASSERT_TRUE(browse.Get_panel_album(0).has_value());
    EXPECT_EQ(*browse.Get_panel_album(0), Album_of("Abba"));
    EXPECT_TRUE(shell_.modes.empty());

    mode.Leave();
    mode.Enter();
    Type(mode, 'b');
    Press(mode, Platform::VK_RETURN, 13);  // before the timer: at once
    EXPECT_EQ(shell_.modes, std::vector<int>{MODE_BROWSE});
    ASSERT_TRUE(browse.Get_panel_album(0).has_value());
    EXPECT_EQ(*browse.Get_panel_album(0), Album_of("Blur"));
}

}  // namespace
