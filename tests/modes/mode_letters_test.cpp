// The letters that lead from mode to mode: in every mode each letter, in either case, reaches the
// mode it names once, and a letter for a mode not offered there (or its own) does nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "modes/VxModeBrowse.h"
#include "modes/VxModeMain.h"
#include "modes/VxModeOptions.h"
#include "modes/VxModeRating.h"
#include "modes/VxModeSelect.h"
#include "modes/VxModeVolume.h"
#include "platform/window.h"
#include "tests/modes/mode_fixture.h"

namespace {

class Mode_letters : public ModeTest::Screen {
protected:
    Mode_letters() : Screen(false) {}
    void SetUp() override {
        Screen::SetUp();
        Platform::Message_queue::Instance().Reset();
    }
    // What the letters B, O, R, S and V, each typed in upper and then lower case, asked of the shell.
    std::vector<int> Modes_after_letters(VxMode& mode) {
        shell_.modes.clear();
        for (char letter : std::string("BORSV")) {
            Type(mode, letter);
            Type(mode, static_cast<char>(letter - 'A' + 'a'));
        }
        return shell_.modes;
    }
    static std::vector<int> Twice(std::vector<int> modes) {
        std::vector<int> twice;
        for (int mode : modes) twice.insert(twice.end(), {mode, mode});
        return twice;
    }
};

TEST_F(Mode_letters, EachModeOffersItsOwnSetOfModesInEitherCase) {
    VxModeBrowse browse;
    VxModeMain main;
    VxModeOptions options(&browse);
    VxModeSelect select(&browse);
    VxModeRating rating(&browse);
    VxModeVolume volume(&browse);
    EXPECT_EQ(Modes_after_letters(main), Twice({MODE_BROWSE, MODE_OPTIONS, MODE_RATING, MODE_SEARCH, MODE_VOLUME}));
    EXPECT_EQ(Modes_after_letters(browse), Twice({MODE_OPTIONS, MODE_RATING, MODE_SEARCH, MODE_VOLUME}));
    EXPECT_EQ(Modes_after_letters(options), Twice({MODE_BROWSE, MODE_RATING, MODE_SEARCH, MODE_VOLUME}));
    EXPECT_EQ(Modes_after_letters(select), Twice({MODE_RATING, MODE_SEARCH, MODE_VOLUME}));
    EXPECT_EQ(Modes_after_letters(rating), Twice({MODE_BROWSE, MODE_SEARCH, MODE_VOLUME}));
    EXPECT_EQ(Modes_after_letters(volume), Twice({MODE_BROWSE, MODE_RATING, MODE_SEARCH}));
}

TEST_F(Mode_letters, TheRatingModeStopsItsTimeOutBeforeTheNextModeStartsAndTheVolumeModeKeepsIt) {
    Platform::Message_queue& queue = Platform::Message_queue::Instance();
    VxModeRating rating(nullptr);
    VxModeVolume volume(nullptr);
    queue.Set_timer(TIMER_MODE_TIMEOUT, 30000);
    Type(rating, 'v');
    EXPECT_FALSE(queue.Timer_running(TIMER_MODE_TIMEOUT));
    queue.Set_timer(TIMER_MODE_TIMEOUT, 30000);
    Type(rating, 'o');  // not offered: nothing happens, the time-out runs on
    EXPECT_TRUE(queue.Timer_running(TIMER_MODE_TIMEOUT));
    Type(volume, 'r');
    EXPECT_TRUE(queue.Timer_running(TIMER_MODE_TIMEOUT));
    EXPECT_EQ(shell_.modes, (std::vector<int>{MODE_VOLUME, MODE_RATING}));
}

}  // namespace
