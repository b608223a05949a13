// The volume mode: every volume key with its limits, the one-second close after a change (timer 5),
// the keys that leave the mode without touching the time-out; and the cover buttons of the timed modes.
#include <gtest/gtest.h>

#include "display/VxButton.h"
#include "library/VxDatabase.h"
#include "modes/Mode_images.h"
#include "modes/VxModeBrowse.h"
#include "modes/VxModeRating.h"
#include "modes/VxModeSearch.h"
#include "modes/VxModeVolume.h"
#include "platform/window.h"
#include "playback/VxAudio.h"
#include "tests/modes/mode_fixture.h"

namespace {

using Platform::Message_queue;

class Volume_mode : public ModeTest::Screen {
protected:
    Volume_mode() : Screen(false) {}
    void SetUp() override {
        Screen::SetUp();
        Message_queue::Instance().Reset();
    }
};

TEST_F(Volume_mode, EveryVolumeKeySetsItsLevelWithinZeroToHundredOncePerPress) {
    VxModeVolume mode(nullptr);
    VxAudio& audio = VxAudio::Instance();
    struct Case {
        double from;
        char key;
        double to;
    };
    const Case cases[] = {{99, '+', 100}, {100, '+', 100}, {50, '=', 51}, {1, '-', 0},   {0, '-', 0},
                          {50, '_', 49},  {70, 'D', 100},  {30, 'd', 60}, {1, 'H', 0.5}, {80, 'h', 40},
                          {20, '5', 50},  {20, '1', 10},   {20, '9', 90}, {20, '0', 100}};
    for (const Case& c : cases) {
        audio.Set_main_volume(c.from);
        Type(mode, c.key);
        EXPECT_DOUBLE_EQ(audio.Get_main_volume(), c.to) << c.from << " then '" << c.key << "'";
    }
    EXPECT_TRUE(shell_.modes.empty());
    for (const char* name : {"volume_up", "volume_down", "volume_half", "volume_double"})
        EXPECT_NE(Log().find(name), std::string::npos) << name;
}

TEST_F(Volume_mode, AChangeClosesTheModeOneSecondLaterEvenAtTheLimit) {
    VxModeVolume mode(nullptr);
    Message_queue& queue = Message_queue::Instance();
    for (char key : {'+', '-', 'H', 'D', '7'}) {
        VxAudio::Instance().Set_main_volume(100);
        queue.Set_timer(TIMER_MODE_TIMEOUT, 30000);  // as the shell starts it on entry
        Type(mode, key);
        const int left = Next_timer_ms();
        EXPECT_GT(left, 900) << key;
        EXPECT_LE(left, 1000) << key;
    }
}

TEST_F(Volume_mode, ModeKeysSwitchOnceAndLeaveTheTimeOutRunning) {
    VxModeVolume mode(nullptr);
    Message_queue& queue = Message_queue::Instance();
    queue.Set_timer(TIMER_MODE_TIMEOUT, 30000);
    const double volume = VxAudio::Instance().Get_main_volume();
    Type(mode, 'b');
    Type(mode, 'R');
    Type(mode, 's');
    Press(mode, Platform::VK_BACK, 8);
    Press(mode, Platform::VK_ESCAPE, 27);
    Type(mode, 'v');  // the volume mode's own key does nothing here
    EXPECT_EQ(shell_.modes, (std::vector<int>{MODE_BROWSE, MODE_RATING, MODE_SEARCH, MODE_BROWSE, MODE_BROWSE}));
    EXPECT_TRUE(queue.Timer_running(TIMER_MODE_TIMEOUT));
    EXPECT_GT(Next_timer_ms(), 20000);  // none of them restarted it
    Type(mode, 'm');
    EXPECT_EQ(shell_.minimised, 1);
    EXPECT_DOUBLE_EQ(VxAudio::Instance().Get_main_volume(), volume);
}

}  // namespace

namespace {

class Cover_buttons : public ModeTest::Screen {
protected:
    void SetUp() override {
        Screen::SetUp();
        Message_queue::Instance().Reset();
        Make_library_of("AB", 2);  // four albums: places 5 and 6 stay empty
    }
    // A click in the middle of cover place k (1..6) of the visible album panel.
    static void Click_cover(VxMode& mode, int k) {
        VxMode_images& images = VxMode_images::Instance();
        images.action_panel[images.action_panel_in_use].Set_position(VxMode_images::Action_x, VxMode_images::Action_y);
        for (VxClickBitmap* b : mode.Get_button_bar()->extras) {
            if (b->Get_id() != Code_cover_first + k - 1) continue;
            const VxPoint p = b->Get_absolute_position(), size = b->Get_size();
            mode.Handle_message({Platform::WM_LBUTTONDOWN, 0,
                                 Platform::Make_point(static_cast<int>((p.x + size.x / 2) * 8),
                                                      static_cast<int>((p.y + size.y / 2) * 6))});
            return;
        }
        ADD_FAILURE() << "no cover place " << k;
    }
};

// The volume, rating and search modes open the album under a clicked cover, once, as browse does.
TEST_F(Cover_buttons, AClickOnACoverOpensThatAlbumOnceInTheVolumeRatingAndSearchModes) {
    VxModeBrowse browse;
    VxModeVolume volume(&browse);
    VxModeRating rating(&browse);
    VxModeSearch search(&browse);
    for (VxMode* mode : std::initializer_list<VxMode*>{&volume, &rating, &search}) {
        shell_.modes.clear();
        Click_cover(*mode, 2);
        EXPECT_EQ(shell_.modes, std::vector<int>{MODE_SELECT}) << mode->Get_name();
        ASSERT_TRUE(browse.Get_panel_album(1).has_value());
        EXPECT_EQ(browse.Get_selected_album(), *browse.Get_panel_album(1)) << mode->Get_name();
        shell_.modes.clear();
        Click_cover(*mode, 6);  // no album there
        EXPECT_TRUE(shell_.modes.empty()) << mode->Get_name();
    }
}

}  // namespace
