// The main mode and the shared panels: mode panels alternating at each Enter, the status lines
// written on the panel in use, the intro on the content panel, and the main screen's keys.
#include <gtest/gtest.h>

#include <vector>

#include "display/VxButton.h"
#include "modes/Mode_images.h"
#include "modes/VxModeGeneric.h"
#include "modes/VxModeMain.h"
#include "playback/VxAudio.h"
#include "settings/VxRead.h"
#include "tests/modes/mode_fixture.h"

namespace {

class Main_mode : public ModeTest::Screen {};

TEST_F(Main_mode, EnteringTwiceAlternatesTheModePanelsAndSlidesThemInAndOut) {
    VxModeMain mode;
    VxMode_images& images = VxMode_images::Instance();
    const int first = images.mode_panel_in_use;
    mode.Enter();
    EXPECT_TRUE(mode.Is_active());
    const int in_use = images.mode_panel_in_use;
    EXPECT_NE(in_use, first);
    EXPECT_DOUBLE_EQ(images.mode_panel[in_use].Get_target().y, VxMode_images::Mode_panel_shown_y);
    mode.Leave();
    EXPECT_FALSE(mode.Is_active());
    EXPECT_DOUBLE_EQ(images.mode_panel[in_use].Get_target().y, VxMode_images::Mode_panel_hidden_y);
    mode.Enter();
    EXPECT_EQ(images.mode_panel_in_use, first);
    // The content panel comes in from below right and leaves the same way.
    EXPECT_DOUBLE_EQ(images.content_panel.Get_target().x, VxMode_images::Action_x);
    mode.Leave();
    EXPECT_DOUBLE_EQ(images.content_panel.Get_target().y, 120);
}

TEST_F(Main_mode, StatusLinesChangeThePanelInUse) {
    VxModeMain mode;
    mode.Enter();
    VxMode_images& images = VxMode_images::Instance();
    VxBitmap& panel = images.mode_panel[images.mode_panel_in_use];
    EXPECT_GT(panel.Get_text_cursor().y, 15);  // five lines written below the first cursor
}

TEST_F(Main_mode, WhileNothingPlaysTheStatusLinesFollowEveryChangeAfterItsKey) {
    VxModeMain mode;
    VxModeGeneric generic;
    generic.Set_current_mode_lookup([&]() -> VxMode* { return &mode; });
    mode.Enter();
    VxMode_images& images = VxMode_images::Instance();
    auto pixels = [&] {
        Platform::Surface& s = *images.mode_panel[images.mode_panel_in_use].Get_surface();
        std::vector<Platform::Pixel> all;
        for (int y = 0; y < s.Height(); ++y) all.insert(all.end(), s.Row(y), s.Row(y) + s.Width());
        return all;
    };
    // The shell hands each message to the current mode, then to the generic mode.
    auto deliver = [&](Platform::Message m) {
        mode.Handle_message(m);
        generic.Handle_message(m);
    };
    const auto before = pixels();
    deliver({Platform::WM_TIMER, TIMER_REDRAW, 0});
    EXPECT_EQ(pixels(), before);  // nothing changed, nothing is written

    VxRead::Instance().Set_use_random(!VxRead::Instance().Get_use_random());  // as the options' 3 does
    deliver({Platform::WM_CHAR, '3', 0});
    const auto random_toggled = pixels();
    EXPECT_NE(random_toggled, before);

    VxAudio::Instance().Set_main_volume(40);  // as the volume mode's 4 does; nothing plays
    deliver({Platform::WM_KEYDOWN, '4', 0});
    EXPECT_NE(pixels(), random_toggled);
    EXPECT_EQ(VxMode::Status_lines()[1], "Volume =40%");
}

TEST_F(Main_mode, KeysOpenTheirModesAndQIsQuitActingOncePerPress) {
    VxModeMain mode;
    const std::pair<char, int> keys[] = {
        {'b', MODE_BROWSE}, {'O', MODE_OPTIONS}, {'r', MODE_RATING}, {'S', MODE_SEARCH}, {'v', MODE_VOLUME}};
    for (auto [key, id] : keys) {
        Type(mode, key);
        ASSERT_FALSE(shell_.modes.empty());
        EXPECT_EQ(shell_.modes.back(), id) << key;
    }
    EXPECT_EQ(shell_.modes.size(), 5u);
    Type(mode, 'q');
    EXPECT_EQ(shell_.quits, 1);
    Type(mode, 'm');
    EXPECT_EQ(shell_.minimised, 1);
}

TEST_F(Main_mode, AClickOnAButtonActsExactlyAsItsKey) {
    VxModeMain mode;
    mode.Enter();
    VxButton_set* bar = mode.Get_button_bar();
    ASSERT_NE(bar, nullptr);
    // Find the Browse button's shown place and click its middle.
    for (VxClickBitmap* b : bar->main_row) {
        if (b->Get_label() != "Browse") continue;
        b->Set_position(b->Get_shown_position().x, b->Get_shown_position().y);
        const VxPoint p = b->Get_shown_position();
        const VxPoint size = b->Get_size();
        const int x = static_cast<int>((p.x + size.x / 2) * 8), y = static_cast<int>((p.y + size.y / 2) * 6);
        mode.Handle_message({Platform::WM_LBUTTONDOWN, 0, Platform::Make_point(x, y)});
    }
    ASSERT_EQ(shell_.modes.size(), 1u);
    EXPECT_EQ(shell_.modes[0], MODE_BROWSE);
    mode.Handle_message({Platform::WM_LBUTTONDOWN, 0, Platform::Make_point(799, 599)});  // no button there
    EXPECT_EQ(shell_.modes.size(), 1u);
}

TEST_F(Main_mode, GenericModeQuitsAndMinimisesFromItsWindowButtons) {
    VxModeGeneric generic;
    generic.On_key_down(Code_quit);
    generic.On_char(Code_quit);
    EXPECT_EQ(shell_.quits, 1);
    generic.On_char(Code_minimise);
    EXPECT_EQ(shell_.minimised, 1);
}

}  // namespace
