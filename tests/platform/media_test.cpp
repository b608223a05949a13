// The GStreamer media graph with a real-time fake sink: rendering and its failure kinds, volume
// read-back, pause keeping the position, and the completion wait ending at the end or on stop.
#include "platform/media.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "tests/support/test_support.h"
#include "tests/support/wav_file.h"

using Platform::Media_graph;
using Platform::Render_result;
using Clock = std::chrono::steady_clock;

namespace {
const bool sink_chosen = (setenv("TAVRIX_AUDIO_SINK", "fakesink sync=true", 0), true);

double Seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }
}  // namespace

TEST(Media, PlaysInRealTimeAndReadsBackVolumeAndDuration) {
    TestSupport::Scratch_dir dir;
    TestSupport::Write_wav("song.wav", 0.6);
    auto graph = Media_graph::Create();
    ASSERT_TRUE(graph);
    ASSERT_EQ(graph->Render_file(dir.Path() + "/song.wav"), Render_result::ok);

    int volume = 1;
    for (int wanted : {0, -374, -3000, -9999}) {
        ASSERT_TRUE(graph->Set_volume(wanted));
        ASSERT_TRUE(graph->Get_volume(volume));
        EXPECT_EQ(volume, wanted);
    }
    graph->Set_volume(-20000);
    graph->Get_volume(volume);
    EXPECT_EQ(volume, Platform::Volume_silence);

    double duration = 0;
    ASSERT_TRUE(graph->Duration(duration));
    EXPECT_NEAR(duration, 0.6, 0.01);

    const auto start = Clock::now();
    ASSERT_TRUE(graph->Run());
    graph->Wait_for_completion();
    EXPECT_GT(Seconds_since(start), 0.5);  // a fake sink that keeps time
    EXPECT_LT(Seconds_since(start), 3.0);
}

TEST(Media, PauseKeepsThePositionAndStopEndsTheWait) {
    TestSupport::Scratch_dir dir;
    TestSupport::Write_wav("song.wav", 5.0);
    auto graph = Media_graph::Create();
    ASSERT_EQ(graph->Render_file("song.wav"), Render_result::ok);  // relative paths work too
    graph->Run();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(graph->Pause());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    double paused_at = 0, later = 0;
    ASSERT_TRUE(graph->Position(paused_at));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(graph->Position(later));
    EXPECT_GT(paused_at, 0.15);
    EXPECT_NEAR(later, paused_at, 0.02);
    graph->Run();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    graph->Position(later);
    EXPECT_NEAR(later, paused_at + 0.3, 0.15);

    // Paused, the wait goes on; a stop from another thread ends it.
    graph->Pause();
    const auto start = Clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        graph->Stop();
    });
    graph->Wait_for_completion();
    stopper.join();
    EXPECT_GT(Seconds_since(start), 0.15);
    EXPECT_LT(Seconds_since(start), 2.0);
    EXPECT_FALSE(graph->Run());  // a stopped graph is only fit to be destroyed
}

TEST(Media, StopBeforeTheWaitEndsItAtOnce) {
    TestSupport::Scratch_dir dir;
    TestSupport::Write_wav("song.wav", 5.0);
    auto graph = Media_graph::Create();
    ASSERT_EQ(graph->Render_file("song.wav"), Render_result::ok);
    graph->Run();
    graph->Stop();
    const auto start = Clock::now();
    graph->Wait_for_completion();
    EXPECT_LT(Seconds_since(start), 0.5);
}

TEST(Media, FilesThatCannotPlayFailWithTheirKindAndNeverHang) {
    TestSupport::Scratch_dir dir;
    TestSupport::Write_file("empty.mp3", "");
    TestSupport::Write_file("notes.wav", "These are not the songs you are looking for.\n");
    std::string noise(64 * 1024, '\0');
    std::mt19937 random(7);
    for (char& c : noise) c = static_cast<char>(random());
    TestSupport::Write_file("noise.ogg", noise);
    // A picture: recognised, decoded, but there is nothing to hear.
    const unsigned char png[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
                                 0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00,
                                 0x00, 0x90, 0x77, 0x53, 0xde, 0x00, 0x00, 0x00, 0x0c, 0x49, 0x44, 0x41, 0x54, 0x78,
                                 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00, 0xc9, 0xfe, 0x92,
                                 0xef, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    TestSupport::Write_file("cover.mp3", std::string(reinterpret_cast<const char*>(png), sizeof png));
    // A WAV header that promises a format no decoder has.
    std::string bad_wav = TestSupport::Read_file((TestSupport::Write_wav("good.wav", 0.2), "good.wav"));
    bad_wav[20] = 0x55;  // format tag 0x0055 is MP3-in-WAV, but the data is PCM
    TestSupport::Write_file("odd.wav", bad_wav);

    struct Case {
        const char* file;
        Render_result expected;
    };
    for (const Case& c :
         {Case{"missing.wav", Render_result::other_failure}, Case{"empty.mp3", Render_result::unknown_file_type},
          Case{"notes.wav", Render_result::unknown_file_type}, Case{"cover.mp3", Render_result::unsupported_stream},
          Case{"noise.ogg", Render_result::unknown_file_type}}) {
        SCOPED_TRACE(c.file);
        auto graph = Media_graph::Create();
        const auto start = Clock::now();
        EXPECT_EQ(graph->Render_file(c.file), c.expected);
        // A failed graph still takes every call, and its completion wait returns at once.
        EXPECT_TRUE(graph->Set_volume(-3000));
        EXPECT_FALSE(graph->Run());
        double seconds = 0;
        EXPECT_FALSE(graph->Duration(seconds));
        graph->Wait_for_completion();
        EXPECT_LT(Seconds_since(start), 2.0);
    }
    // Whatever the decoder makes of it, a damaged header never hangs.
    auto graph = Media_graph::Create();
    const Render_result odd = graph->Render_file("odd.wav");
    if (odd == Render_result::ok) {
        graph->Run();
        graph->Wait_for_completion();
    }
}
