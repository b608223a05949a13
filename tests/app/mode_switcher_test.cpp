// Mode switching: leave before enter, the mode MODE_PREVIOUS returns to, the rating/volume swap,
// the timed modes' time-out and the unknown id.
#include "app/Mode_switcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window.h"

namespace {

struct Fake_mode : App_mode {
    Fake_mode(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
    void Handle_message(const Platform::Message&) override {}
    void Enter() override { log.push_back("enter " + name); }
    void Leave() override { log.push_back("leave " + name); }
    std::vector<std::string>& log;
    std::string name;
};

struct Switcher : ::testing::Test {
    Switcher() {
        Platform::Message_queue::Instance().Reset();
        const std::pair<int, const char*> ids[] = {{MODE_BROWSE, "browse"},
                                                   {MODE_VOLUME, "volume"},
                                                   {MODE_RATING, "rating"},
                                                   {MODE_MAIN, "main"},
                                                   {MODE_OPTIONS, "options"}};
        for (auto [id, name] : ids) {
            modes.push_back(std::make_unique<Fake_mode>(log, name));
            switcher.Set_mode_object(id, modes.back().get());
        }
        Mode_switcher::Hooks hooks;
        hooks.show_caption = [this](int id) { captions.push_back(id); };
        hooks.message_box = [this](const char* text) { boxes.push_back(text); };
        switcher.Set_hooks(hooks);
    }
    bool Timeout_running() { return Platform::Message_queue::Instance().Timer_running(TIMER_MODE_TIMEOUT); }
    std::vector<std::string> log, boxes;
    std::vector<int> captions;
    std::vector<std::unique_ptr<Fake_mode>> modes;
    Mode_switcher switcher;
};

TEST_F(Switcher, StartsInMainAndReentersItselfThroughPrevious) {
    EXPECT_EQ(switcher.Current(), MODE_MAIN);
    switcher.Set_mode(MODE_PREVIOUS);
    EXPECT_EQ(log, (std::vector<std::string>{"leave main", "enter main"}));
    EXPECT_EQ(switcher.Current(), MODE_MAIN);
    EXPECT_EQ(captions, std::vector<int>{MODE_MAIN});
}

TEST_F(Switcher, RatingAndVolumeSwapKeepTheModeBoth_ReturnTo) {
    switcher.Set_mode(MODE_BROWSE);
    switcher.Set_mode(MODE_RATING);
    switcher.Set_mode(MODE_VOLUME);
    switcher.Set_mode(MODE_RATING);
    EXPECT_EQ(switcher.Previous(), MODE_BROWSE);
    EXPECT_TRUE(Timeout_running());
    switcher.On_mode_timeout();
    EXPECT_EQ(switcher.Current(), MODE_BROWSE);
    EXPECT_FALSE(Timeout_running());
    EXPECT_EQ(log.back(), "enter browse");
}

TEST_F(Switcher, LeavingATimedModeStopsItsTimeOutAndEnteringOneRestartsIt) {
    switcher.Set_mode(MODE_BROWSE);
    for (int timed : {MODE_OPTIONS, MODE_VOLUME, MODE_RATING, MODE_SEARCH}) {
        SCOPED_TRACE(timed);
        switcher.Set_mode(timed);
        Platform::Message_queue::Instance().Set_timer(TIMER_MODE_TIMEOUT, 1000);  // as after a change
        switcher.Set_mode(MODE_BROWSE);  // a key handler that did not stop timer 5 itself
        EXPECT_FALSE(Timeout_running());
    }
    switcher.Set_mode(MODE_RATING);
    switcher.Set_mode(MODE_VOLUME);  // from one timed mode into another: the new one's time-out
    EXPECT_TRUE(Timeout_running());
    EXPECT_EQ(switcher.Previous(), MODE_BROWSE);
}

TEST_F(Switcher, UntimedModesStartNoTimeoutAndSelectShowsBrowseCaption) {
    switcher.Set_mode(MODE_SELECT);
    switcher.Set_mode(MODE_SEARCH);
    EXPECT_FALSE(Timeout_running());
    EXPECT_EQ(captions, std::vector<int>{MODE_BROWSE});
}

TEST_F(Switcher, UnknownIdSwitchesButReportsOnce) {
    switcher.Set_mode(5);
    EXPECT_EQ(boxes, std::vector<std::string>{"Invalid switch during switch mode"});
    EXPECT_EQ(switcher.Current(), 5);
    EXPECT_EQ(log, std::vector<std::string>{"leave main"});
}

}  // namespace
