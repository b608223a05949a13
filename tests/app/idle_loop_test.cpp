// The loop goes back to sleep after every mode round trip: each script runs round trips, each
// followed by "still", which waits (8 s at most) until the loop no longer spins and says so in log.txt.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/jukebox_fixture.h"

namespace {

class Idle_loop : public JukeboxTest::Home {
protected:
    void SetUp() override {
        // A song long enough to play through every run, and enough albums under "A" to page.
        Add_playable_album("Alpha - One", 1, 40);
        for (const char* album : {"Amber - Two", "Anvil - Three", "Aster - Four", "Atlas - Five", "Aura - Six",
                                  "Axis - Seven", "Azure - Eight", "Beta - Nine"})
            Add_album(album);
    }
    // Runs the round trips (ending on the main screen), each followed by "still"; the song plays in
    // real time with no sound card.
    void Expect_quiet_after_each(const std::string& round_trips, int count) {
        ASSERT_EQ(Start(round_trips + "key q\n", "'TAVRIX_AUDIO_SINK=fakesink sync=true'"), 0);
        const std::string log = Log();
        EXPECT_EQ(Count(log, "Script: nothing moves"), count) << log.substr(log.size() > 4000 ? log.size() - 4000 : 0);
        EXPECT_EQ(Count(log, "Script: still moving"), 0)
            << log.substr(log.find("Script: still moving") == std::string::npos ? 0 : log.find("Script: still moving"));
        EXPECT_EQ(Count(log, "\nquit"), 1);
    }
};

TEST_F(Idle_loop, OpeningAnAlbumQueueingItAndGoingBackLeavesNothingMoving) {
    // Queueing starts the song with a fade; the album's sheet, the content panel and the select
    // digits slide out while the browse mode is left in turn.
    Expect_quiet_after_each(
        "wait 300\nkey b\nwait 400\nkey 1\nwait 400\nkey a\nwait 400\nkey Escape\nwait 400\n"
        "key Escape\nstill 8000\n"
        "key b\nwait 400\nkey 2\nwait 400\nkey Escape\nwait 400\nkey Escape\nstill 8000\n"
        "key space\nwait 300\nkey space\nstill 8000\n",
        3);
}

TEST_F(Idle_loop, TimedModesAndTheirReturnLeaveNothingMoving) {
    // Rating and volume close a second after their digit (the script waits for that, as "still" only
    // looks at what moves), back to the browse mode; the options go back there by Escape, and Escape
    // then leaves for the main screen, where Q quits.
    Expect_quiet_after_each(
        "wait 300\nkey b\nwait 400\nkey 1\nwait 400\nkey 1\nwait 400\nkey Escape\nstill 8000\n"
        "key r\nwait 400\nkey 8\nwait 1500\nstill 8000\n"
        "key v\nwait 400\nkey +\nwait 1500\nstill 8000\n"
        "key o\nwait 400\nkey Escape\nwait 300\nkey Escape\nstill 8000\n",
        4);
}

TEST_F(Idle_loop, PagingTheBrowsePanelAndSearchingLeaveNothingMoving) {
    Expect_quiet_after_each(
        "wait 300\nkey b\nwait 400\nkey Right\nwait 300\nkey Left\nwait 300\nkey Down\nwait 300\n"
        "key Up\nwait 300\nkey Escape\nstill 8000\n"
        "key s\nwait 300\nkey a\nkey x\nkey Return\nwait 300\nkey Escape\nstill 8000\n"
        "key s\nwait 300\nkey Escape\nwait 300\nkey Escape\nstill 8000\n",
        3);
}

// One album of one song: nothing but the timers changes the screen once the modes are left.
class Quiet_shot : public JukeboxTest::Home {
protected:
    void SetUp() override { Add_playable_album("Alpha - One", 1, 40); }
};

TEST_F(Quiet_shot, ShowsWhatTheTimersChangedWhileTheScreenWasQuiet) {
    // Headless, the compositions that only timers ask for are put off until someone reads the frame:
    // the last shot must still show the time left that the ticks since the one before wrote. (The
    // first shot makes the one before it come from a composition right after a script command.)
    ASSERT_EQ(Start("wait 300\nkey b\nwait 400\nkey 1\nwait 400\nkey a\nwait 400\nkey Escape\nwait 400\n"
                    "key Escape\nstill 8000\nshot first.bmp\nshot before.bmp\nwait 4000\nshot after.bmp\nkey q\n",
                    "'TAVRIX_AUDIO_SINK=fakesink sync=true'"),
              0);
    const std::string before = JukeboxTest::Read_file(run + "/before.bmp");
    const std::string after = JukeboxTest::Read_file(run + "/after.bmp");
    ASSERT_FALSE(before.empty());
    ASSERT_EQ(before.size(), after.size());
    EXPECT_TRUE(before != after) << "the time left did not change on the screen in four seconds of play";
    EXPECT_EQ(Count(Log(), "Script: nothing moves"), 1);
}

// The pass that finds the last slide arrived may not be due for a frame: the screen must still come to
// show where everything stopped, not the last moving frame a pixel or so short of it. A click on an
// empty spot makes the next shot compose afresh, which must find the same frame.
TEST_F(Quiet_shot, ASlideThatEndedIsShownWhereItStopped) {
    ASSERT_EQ(Start("still 8000\nshot rest1.bmp\nclick 600 200\nshot fresh1.bmp\n"
                    "key b\nwait 400\nkey Escape\nstill 8000\nshot rest2.bmp\nclick 600 200\nshot fresh2.bmp\n"
                    "key q\n"),
              0);
    for (const char* n : {"1", "2"}) {
        const std::string rest = JukeboxTest::Read_file(run + "/rest" + n + ".bmp");
        ASSERT_FALSE(rest.empty()) << n;
        EXPECT_TRUE(rest == JukeboxTest::Read_file(run + "/fresh" + n + ".bmp")) << "after slide " << n;
    }
    EXPECT_EQ(Count(Log(), "Script: nothing moves"), 2);
}

}  // namespace
