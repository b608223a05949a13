// The audio player on real GStreamer graphs with a real-time fake sink and short generated songs:
// the cross-fade, pause and resume with fades, the end-of-song watch, failed songs, and quitting.
#ifndef _WIN32
#include <fcntl.h>
#endif
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "playback/VxAudio.h"
#include "tests/playback/audio_test_support.h"
#include "tests/support/mp3_file.h"
#include "tests/support/test_support.h"
#include "tests/support/wav_file.h"

using namespace AudioTest;

namespace {
class Audio : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::Open_trace_here();
        Use_fake_sink();
        // The songs that fail here must reach the media back end whatever decoders the system has
        // (Wine's Media Foundation has none for MP3): the codec offer is the codec service's test.
        audio.Set_codec_check([](const std::string&) { return true; });
    }
    std::string Song(const std::string& name, double seconds) {
        TestSupport::Write_wav(name, seconds);
        return dir.Path() + "/" + name;
    }
    TestSupport::Scratch_dir dir;
    VxAudio& audio = VxAudio::Instance();
};
}  // namespace

TEST_F(Audio, SongChangeCrossFadesFromTheOldSongWhileTheNewOnePlaysAtTheMainVolume) {
    File_list list({Song("a.wav", 4), Song("b.wav", 4)});
    audio.Play_audio(0);
    VxAudioChannel& old_channel = audio.Channel(audio.Get_current_channel());
    EXPECT_EQ(audio.Get_play_state_text(), "PLAYING");
    EXPECT_NEAR(old_channel.Get_level(), 75, 0.1);
    Run_loop(150);

    const auto change = Clock::now();
    audio.Play_audio(1);
    VxAudioChannel& new_channel = audio.Channel(audio.Get_current_channel());
    ASSERT_NE(&new_channel, &old_channel);
    EXPECT_NEAR(new_channel.Get_level(), 75, 0.1);  // at once, no fade in
    EXPECT_EQ(old_channel.Get_fade_state(), VxAudioChannel::Fade_stop);

    // Each reading is of the level the last fade tick set, and that tick ran between the previous reading
    // and this one: the two clock readings bracket it, so the checks below hold however late the loop runs.
    struct Sample {
        double after_ms, before_ms, level;  // the tick ran after after_ms and before before_ms
    };
    std::vector<Sample> samples;
    double stopped_at = -1, new_lowest = 100, last_ms = 0;
    for (int i = 0; i < 2000 && stopped_at < 0; ++i) {  // 10 s at most: the fade needs about 2
        Run_loop(5, &list, [&] {
            const double now = Ms_since(change);
            new_lowest = std::min(new_lowest, new_channel.Get_level());
            if (stopped_at < 0 && old_channel.Get_play_state() == VxAudioChannel::Stopped) stopped_at = now;
            if (stopped_at < 0) samples.push_back({last_ms, now, old_channel.Get_level()});
            last_ms = now;
        });
    }
    ASSERT_GT(stopped_at, 0) << "the old song stops once silent";
    EXPECT_GT(new_lowest, 74.9);
    ASSERT_FALSE(samples.empty());
    const Sample* ramp_start = nullptr;
    for (const Sample& s : samples) {
        if (s.before_ms < 300) {
            EXPECT_NEAR(s.level, 75, 0.1) << s.before_ms;  // held for 300 ms
        }
        if (!ramp_start && s.level < 70) ramp_start = &s;
    }
    ASSERT_NE(ramp_start, nullptr);
    // Then 50 level units a second, as the back end reports it (to a unit: volumes are whole 1/100 dB),
    // until the last tenth of a second where the ramp snaps to 0.
    for (const Sample& s : samples) {
        if (&s <= ramp_start || s.level < 6) continue;
        const double drop = ramp_start->level - s.level;
        EXPECT_GE(drop, 50 * (s.after_ms - ramp_start->before_ms) / 1000 - 1) << s.before_ms;
        EXPECT_LE(drop, 50 * (s.before_ms - ramp_start->after_ms) / 1000 + 1) << s.before_ms;
    }
    // Stopped only once silent, and the stop follows in the same tick, so no reading in between is seen.
    EXPECT_LT(samples.back().level, 10);
    EXPECT_GT(stopped_at, 1650) << "300 ms held, then 75 units at 50 a second less the snap";
    EXPECT_EQ(old_channel.Get_fade_state(), VxAudioChannel::Fade_idle);
    EXPECT_EQ(audio.Get_play_state_text(), "PLAYING");
}

TEST_F(Audio, FadeInOutTwiceReversesTheFadeFromTheLevelReached) {
    File_list list({Song("a.wav", 4)});
    audio.FadeInOut();  // stopped: nothing
    EXPECT_EQ(audio.Get_fade_state_text(), "..");
    audio.Play_audio(0);
    VxAudioChannel& ch = audio.Channel(audio.Get_current_channel());
    audio.FadeInOut();
    EXPECT_EQ(audio.Get_fade_state_text(), "ZEROING...");
    Run_loop(400);
    const double reached = ch.Get_level();
    EXPECT_NEAR(reached, 55, 5);
    audio.FadeInOut();
    EXPECT_EQ(audio.Get_fade_state_text(), "IN...");
    EXPECT_NEAR(ch.Ramp().Value(), reached, 1.5);  // no jump back to either end
    Run_loop(700);
    EXPECT_EQ(audio.Get_fade_state_text(), "..");
    EXPECT_GT(ch.Get_level(), 75 * 0.95);
    EXPECT_EQ(audio.Get_play_state_text(), "PLAYING");
}

TEST_F(Audio, PauseKeepsThePositionAndResumeContinuesFromIt) {
    File_list list({Song("a.wav", 6)});
    audio.Play_audio(0);
    Run_loop(200);
    audio.FadeInOut();
    // The fade to pause takes 1.5 s; a loaded machine may take longer, so wait on the state (10 s at most).
    double paused_at = -1;
    for (int i = 0; i < 2000 && paused_at < 0; ++i) {
        Run_loop(5, nullptr, [&] {
            if (paused_at < 0 && audio.Get_play_state_text() == "PAUSED")
                paused_at = audio.Channel(audio.Get_current_channel()).get_snd_position();
        });
    }
    Run_loop(300);
    ASSERT_EQ(audio.Get_play_state_text(), "PAUSED");
    const double position = audio.Channel(audio.Get_current_channel()).get_snd_position();
    EXPECT_NEAR(position, paused_at, 0.05) << "a paused song stays where it paused";
    EXPECT_GT(position, 1.3);  // 200 ms plus a fade of 1.5 s from 75

    audio.FadeInOut();
    EXPECT_EQ(audio.Get_play_state_text(), "PLAYING");
    EXPECT_EQ(audio.Get_fade_state_text(), "IN...");
    // It goes on from where it paused, never from the start, and no faster than the wall clock.
    const auto resumed = Clock::now();
    double now_at = position;
    for (int i = 0; i < 2000 && now_at < position + 0.2; ++i) {
        Run_loop(5);
        now_at = audio.Channel(audio.Get_current_channel()).get_snd_position();
    }
    EXPECT_GE(now_at, position + 0.2);
    EXPECT_LE(now_at, position + Ms_since(resumed) / 1000 + 0.15);
    EXPECT_GT(audio.Channel(audio.Get_current_channel()).Get_level(), 5);
}

TEST_F(Audio, EndOfSongWatchStartsTheNextSongOnceAndNotAfterAFadeToPause) {
    const std::string b = Song("b.wav", 3);
    File_list list({Song("a.wav", 3), b});
    audio.Play_audio(0);
    Run_loop(2500, &list);
    ASSERT_EQ(list.next_calls, 1);
    EXPECT_LE(list.remaining_at_next[0], 2.0);
    EXPECT_GT(list.remaining_at_next[0], 1.0);
    EXPECT_EQ(audio.Get_song_name(), b);
    EXPECT_TRUE(Platform::Message_queue::Instance().Timer_running(VxAudio::Timer_song_watch));

    // Fading to pause when the end comes: the song counts as stopped and nothing follows.
    audio.FadeInOut();
    Run_loop(1200, &list);
    EXPECT_EQ(list.next_calls, 1);
    EXPECT_EQ(audio.Get_play_state_text(), "STOPPED");
    EXPECT_EQ(audio.Get_fade_state_text(), "..");
}

TEST_F(Audio, AnMp3WithoutALengthHeaderIsMeasuredWhileItPlaysAndTheWatchWaitsForIt) {
    TestSupport::Write_mp3_without_length("plain.mp3", 4);
    File_list list({dir.Path() + "/plain.mp3"});
    audio.Play_audio(0);
    VxAudioChannel& ch = audio.Channel(audio.Get_current_channel());
    ASSERT_TRUE(ch.Has_graph());
    // Until the decoder has timed the stream the length reads as not available, so the remaining time
    // is large and the watch does not move on; asked every few ms, as the status lines are.
    double length = 999;
    const auto start = Clock::now();
    while (length == 999 && ch.Has_graph() && Ms_since(start) < 10000) {
        length = ch.get_duration();
        if (length == 999) {
            EXPECT_GT(audio.Get_remaining_time(), 2.0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_NEAR(length, 4.0, 0.2);
    EXPECT_EQ(TestSupport::Read_trace("error.txt").find("DEACT"), std::string::npos);
}

TEST_F(Audio, SongsThatCannotBeOpenedReportAndNeverBlockThePlayer) {
    TestSupport::Write_file("empty.mp3", "");
    TestSupport::Write_file("notes.ogg", "not a song at all\n");
    std::string noise(32 * 1024, '\0');
    unsigned x = 12345;
    for (char& c : noise) c = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
    TestSupport::Write_file("noise.flac", noise);
    File_list list({dir.Path() + "/missing.wav", dir.Path() + "/empty.mp3", dir.Path() + "/notes.ogg",
                    dir.Path() + "/noise.flac"});
    for (int i = 0; i < list.Get_nof_items(); ++i) {
        SCOPED_TRACE(i);
        const auto start = Clock::now();
        audio.Play_audio(i);
        VxAudioChannel& ch = audio.Channel(audio.Get_current_channel());
        // The worker leaves its completion wait at once; the limit is a safety net, not a bound.
        while (ch.Has_graph() && Ms_since(start) < 30000) Run_loop(10);
        EXPECT_FALSE(ch.Has_graph());
        EXPECT_EQ(audio.Get_remaining_time(), 0.0);
    }
    const std::string errors = TestSupport::Read_trace("error.txt");
    // Each failure came back with the hand-over: a start that waited for its deadline instead
    // (the worker never signalling a failed song) writes this line.
    EXPECT_EQ(errors.find("did not start within"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Failed to render file: " + dir.Path() + "/missing.wav. \nBut why ??"), std::string::npos);
    EXPECT_NE(errors.find("The media type of this file: " + dir.Path() + "/empty.mp3 is not recognized."),
              std::string::npos)
        << errors;
}

// POSIX only: a FIFO is what makes an open hang here, and Windows has none.
#ifndef _WIN32
TEST_F(Audio, ASongThatNeverOpensFailsAtTheDeadlineAndItsStuckWorkerIsLeftBehindSafely) {
    // Opening a FIFO blocks until a writer comes: the back end's worker hangs in it.
    const std::string pipe = dir.Path() + "/pipe.mp3";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const std::string good = Song("good.wav", 40);
    File_list list({pipe, good});
    audio.Play_audio(0);  // returns at the deadline
    VxAudioChannel& stuck = audio.Channel(audio.Get_current_channel());
    EXPECT_FALSE(stuck.Has_graph());
    EXPECT_EQ(audio.Get_remaining_time(), 0.0);  // so the end-of-song watch moves on
    EXPECT_NE(
        TestSupport::Read_trace("error.txt").find("Failed to render file: " + pipe + ". \nIt did not start within 5 s"),
        std::string::npos);

    // The channel takes its next song on a new worker.
    audio.Play_audio(1);
    audio.Play_audio(1);
    ASSERT_EQ(&audio.Channel(audio.Get_current_channel()), &stuck);
    EXPECT_TRUE(stuck.Has_graph());
    EXPECT_EQ(audio.Get_play_state_text(), "PLAYING");

    // The stuck worker comes back (writers open the FIFO: the back end opens it more than once)
    // and goes without touching the channel. The back end may close its end between a writer's
    // open and its write: that write fails with EPIPE instead of ending the test with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    auto feed = [&] {
        const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);  // fails while nobody reads
        if (writer < 0) return;
        (void)!::write(writer, "no song", 7);
        ::close(writer);
    };
    auto reported = [&] {  // the pipe's render failure names it a second time
        const std::string errors = TestSupport::Read_trace("error.txt");
        const std::size_t first = errors.find(pipe);
        return first != std::string::npos && errors.find(pipe, first + 1) != std::string::npos;
    };
    const auto start = Clock::now();
    while (!reported() && Ms_since(start) < 30000) {
        feed();
        Run_loop(20);
    }
    EXPECT_TRUE(reported());
    Run_loop(200);
    EXPECT_TRUE(stuck.Has_graph());
    EXPECT_EQ(audio.Get_song_name(), good);
    EXPECT_NEAR(stuck.Get_level(), 75, 0.1);
}
#endif

TEST_F(Audio, AFailedSongIsFollowedByTheNextOne) {
    const std::string good = Song("good.wav", 3);
    File_list list({dir.Path() + "/missing.mp3", good});
    audio.Play_audio(0);
    bool playing_good = false;
    // A watch tick and the 700 ms start delay when the machine keeps up; the limit is a safety net.
    for (const auto start = Clock::now(); !playing_good && Ms_since(start) < 30000;)
        Run_loop(50, &list, [&] { playing_good = playing_good || audio.Get_song_name() == good; });
    EXPECT_TRUE(playing_good) << TestSupport::Read_trace("error.txt");
    EXPECT_EQ(list.next_calls, 1);
    EXPECT_TRUE(audio.Channel(audio.Get_current_channel()).Has_graph());
}

TEST_F(Audio, QuitWhilePlayingFadesOutThenPostsQuit) {
    File_list list({Song("a.wav", 5)});
    audio.Play_audio(0);
    Run_loop(100);
    bool marked = false;
    audio.Set_quit_faded_handler([&] { marked = true; });
    bool all_stopped = true;
    audio.Quit(all_stopped);
    EXPECT_FALSE(all_stopped);
    EXPECT_EQ(audio.Get_fade_state_text(), "UNKNOWN");
    VxAudioChannel& ch = audio.Channel(audio.Get_current_channel());
    const double before = ch.Get_level();
    const auto start = Clock::now();
    // Every level the loop read on the way down; how often it read does not matter.
    std::vector<double> levels;
    const bool quit = Run_loop(30000, nullptr, [&] {
        if (ch.Has_graph()) levels.push_back(ch.Get_level());
    });
    EXPECT_TRUE(quit);
    EXPECT_TRUE(marked);
    EXPECT_GT(Ms_since(start), 1600);  // the fade takes its time, however late the loop runs
    // A fade, not a cut: the level never rises on the way, and it was read between full and silent.
    ASSERT_FALSE(levels.empty());
    EXPECT_TRUE(std::is_sorted(levels.rbegin(), levels.rend()));
    EXPECT_TRUE(std::any_of(levels.begin(), levels.end(), [&](double l) { return l > 5 && l < before - 5; }))
        << "from " << before;
    EXPECT_EQ(audio.Get_play_state_text(), "STOPPED");
}

TEST_F(Audio, QuitWithNothingPlayingNeedsNoFade) {
    bool all_stopped = false;
    audio.Quit(all_stopped);
    EXPECT_TRUE(all_stopped);
}

TEST_F(Audio, QuitAfterAFailedSongNeedsNoFade) {
    // A song that failed leaves its channel "PLAYING" without a graph: nothing to fade.
    File_list list({dir.Path() + "/missing.wav"});
    audio.Play_audio(0);
    while (audio.Channel(audio.Get_current_channel()).Has_graph()) Run_loop(10);
    bool all_stopped = false;
    audio.Quit(all_stopped);
    EXPECT_TRUE(all_stopped);
}

TEST_F(Audio, OnceQuittingNoSongStartsAndTheQuitFadeEndsInTheQuit) {
    const std::string first = Song("a.wav", 5);
    File_list list({first, Song("b.wav", 5)});
    audio.Play_audio(0);
    Run_loop(100);
    list.Start_and_update_next_song();  // the next song is 700 ms away (timer 6)
    bool all_stopped = true;
    audio.Quit(all_stopped);
    EXPECT_FALSE(all_stopped);
    int quits = 0;
    audio.Set_quit_faded_handler([&] { ++quits; });
    audio.Quit(all_stopped);  // a second Q changes nothing
    EXPECT_FALSE(all_stopped);

    // Timer 6 fires during the fade and the end-of-song watch runs: neither starts a song.
    EXPECT_TRUE(Run_loop(4000, &list, [&] { audio.Watch_end_of_song(); }));
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(audio.Get_song_name(), first);
    EXPECT_EQ(audio.Channel(0).Get_play_state(), VxAudioChannel::Stopped);
    EXPECT_EQ(audio.Channel(1).Get_play_state(), VxAudioChannel::Stopped);
    EXPECT_FALSE(Platform::Message_queue::Instance().Timer_running(VxAudio::Timer_song_watch));
    audio.Play_audio(1);
    EXPECT_EQ(audio.Get_song_name(), first);
}

TEST_F(Audio, QuitDuringACrossFadeEndsOnceBothSongsAreSilent) {
    File_list list({Song("a.wav", 5), Song("b.wav", 5)});
    audio.Play_audio(0);
    Run_loop(100);
    audio.Play_audio(1);
    Run_loop(600);  // the replaced song is fading out on its own
    int quits = 0;
    audio.Set_quit_faded_handler([&] { ++quits; });
    bool all_stopped = true;
    audio.Quit(all_stopped);
    EXPECT_FALSE(all_stopped);
    EXPECT_TRUE(Run_loop(4000, &list));
    EXPECT_EQ(quits, 1);
    for (int channel : {0, 1}) {
        EXPECT_EQ(audio.Channel(channel).Get_play_state(), VxAudioChannel::Stopped) << channel;
        EXPECT_EQ(audio.Get_fade_state(channel), VxAudioChannel::Fade_idle) << channel;
    }
}

TEST_F(Audio, StartingOnABusyChannelHaltsItsSongFirst) {
    // Songs far longer than the start deadline: a channel whose old song were not halted would keep
    // its worker in that song's completion wait, so the new song would miss the deadline ("did not
    // start within", no graph) or the start would hang (the deadline's last look takes the old graph
    // for the new one coming), however fast or slow the machine is; never a pass.
    const std::string a = Song("a.wav", 20), b = Song("b.wav", 20), c = Song("c.wav", 20), d = Song("d.wav", 20);
    File_list list({a, b, c, d});
    const auto started = [&](const std::string& song) {
        EXPECT_EQ(audio.Get_song_name(), song);
        EXPECT_EQ(audio.Get_play_state_text(), "PLAYING");
        EXPECT_TRUE(audio.Channel(audio.Get_current_channel()).Has_graph());
        const std::string errors = TestSupport::Read_trace("error.txt");
        EXPECT_EQ(errors.find("did not start within"), std::string::npos) << errors;
    };
    audio.Play_audio(0);
    audio.Play_audio(1);
    audio.Channel(audio.Get_current_channel()).Pause_toggle();
    EXPECT_EQ(audio.Get_play_state_text(), "PAUSED");
    for (int i : {2, 3}) {  // onto a fading channel, then onto a paused one
        SCOPED_TRACE(i);
        audio.Play_audio(i);
        started(i == 2 ? c : d);
    }
    // A stopped state over a live graph (the end-of-song watch does that) is halted too.
    audio.Channel(0).Set_play_state(VxAudioChannel::Stopped);
    audio.Channel(1).Set_play_state(VxAudioChannel::Stopped);
    audio.Play_audio(0);
    started(a);
    audio.Play_audio(1);
    started(b);
}

TEST_F(Audio, MainVolumeFollowsOnlyWhenSomethingPlays) {
    audio.Set_main_volume(40);
    EXPECT_EQ(audio.Get_main_volume(), 40);
    EXPECT_EQ(audio.Get_fade_state_text(), "..");
    File_list list({Song("a.wav", 4)});
    audio.Play_audio(0);
    VxAudioChannel& ch = audio.Channel(audio.Get_current_channel());
    EXPECT_NEAR(ch.Get_level(), 40, 0.1);
    audio.Set_main_volume(20);
    EXPECT_EQ(audio.Get_fade_state_text(), "OUT...");
    Run_loop(500);
    EXPECT_EQ(audio.Get_fade_state_text(), "..");
    EXPECT_NEAR(ch.Get_level(), 20, 1.5);
}
