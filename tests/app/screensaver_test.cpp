// The screensaver follows the play state: held off only while a song plays. In-process through the
// player's state (paused and stopped included), and end to end while a queued song plays.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Screensaver_follow.h"
#include "platform/screen.h"
#include "playback/VxAudio.h"
#include "playback/VxAudioChannel.h"
#include "tests/app/jukebox_fixture.h"
#include "tests/support/test_support.h"

namespace {

TEST(Screensaver, HeldOffOnlyWhileASongPlays) {
    TestSupport::Scratch_dir scratch;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    using Platform::Screensaver;
    EXPECT_EQ(Platform::Screensaver_state(), Screensaver::allowed);  // nothing plays at the start
    VxAudio& audio = VxAudio::Instance();
    const struct {
        int state;
        Screensaver expected;
    } steps[] = {{VxAudioChannel::Playing, Screensaver::held_off},
                 {VxAudioChannel::Paused, Screensaver::allowed},
                 {VxAudioChannel::Playing, Screensaver::held_off},
                 {VxAudioChannel::Stopped, Screensaver::allowed},
                 {VxAudioChannel::Stopped, Screensaver::allowed}};
    for (const auto& step : steps) {
        audio.Set_play_state(step.state);
        Screensaver_follows_play_state();
        EXPECT_EQ(Platform::Screensaver_state(), step.expected) << step.state;
    }
}

using Screensaver_session = JukeboxTest::Home;

TEST_F(Screensaver_session, TheScreensaverIsHeldOffOnceTheQueuedSongPlays) {
    Add_playable_album("Alpha - One", 1, 20);
    ASSERT_TRUE(Run_until("", "wait 300\nkey b\nwait 400\nkey 1\nwait 400\nkey 1\n", [&] {
        return Log().find("Screensaver held off") != std::string::npos;
    })) << Log();
    const std::string log = Log();
    EXPECT_LT(log.find("songname ="), log.find("Screensaver held off"));  // not before the song
    EXPECT_EQ(log.find("Screensaver allowed"), std::string::npos);
}

}  // namespace
