// The display: set-up, blits (position, clip, key), image files into surfaces with the key
// rule and the cover size limit, the refresh measurement and the error texts.
#include <gtest/gtest.h>

#include <vector>

#include "display/VxBitmap.h"
#include "display/VxDirectX.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "tests/display/display_fixture.h"

using DisplayTest::Count_boxes;
using DisplayTest::Count_lines;
using DisplayTest::Write_jpeg;
using Platform::Make_pixel;

namespace {
class DirectX : public DisplayTest::Display {
protected:
    // A bitmap of w x h pixels: red, with a pure-green (key) square in its top-left quarter.
    std::unique_ptr<VxBitmap> Sprite(int w, int h) {
        auto b = std::make_unique<VxBitmap>();
        b->Set_size(w * 100.0 / 800, h * 100.0 / 600);
        b->Make_surface();
        b->Get_surface()->Fill(Make_pixel(255, 0, 0));
        for (int y = 0; y < h / 2; ++y)
            for (int x = 0; x < w / 2; ++x) b->Get_surface()->Set_pixel(x, y, Platform::Colour_key);
        return b;
    }
    Platform::Pixel Screen(int x, int y) { return dx().Back_buffer().Get_pixel(x, y); }
};
}  // namespace

TEST_F(DirectX, BlitPlacesClipsAndKeys) {
    dx().Back_buffer().Fill(Make_pixel(0, 0, 255));
    auto s = Sprite(80, 60);
    s->Set_colour_key(true);
    dx().Blit(50, 50, *s);  // at (400, 300)
    EXPECT_EQ(Screen(400 + 60, 300 + 50), Make_pixel(255, 0, 0));
    EXPECT_EQ(Screen(400 + 10, 300 + 10), Make_pixel(0, 0, 255)) << "a keyed pixel was drawn";
    EXPECT_EQ(Screen(400 + 80, 300 + 50), Make_pixel(0, 0, 255)) << "drawn past the right edge";
    s->Set_colour_key(false);
    dx().Blit(50, 50, *s);
    EXPECT_EQ(Screen(410, 310), Platform::Colour_key) << "without the key the key colour is copied";

    // The clip rectangle cuts.
    dx().Back_buffer().Fill(0);
    s->Set_clip(0, 0, 55, 100);  // x up to 440
    dx().Blit(50, 50, *s);
    EXPECT_NE(Screen(439, 350), 0u);
    EXPECT_EQ(Screen(440, 350), 0u);

    // Off the screen: x beyond 100, or the right edge left of the window; partly outside is cut.
    dx().Back_buffer().Fill(0);
    s->Set_clip(0, 0, 100, 100);
    dx().Blit(101, 10, *s);
    dx().Blit(-11, 10, *s);  // right edge at -88 + 80 < 0
    for (int x = 0; x < 800; x += 7) EXPECT_EQ(Screen(x, 100), 0u);
    dx().Blit(-5, 90, *s);  // from x = -40, y = 540
    EXPECT_EQ(Screen(39, 590), Make_pixel(255, 0, 0));
    EXPECT_EQ(Screen(40, 590), 0u);
    EXPECT_EQ(Count_boxes("VxDirectX", ""), 0);
}

TEST_F(DirectX, ZoomStretchesTheImage) {
    dx().Back_buffer().Fill(0);
    auto s = Sprite(40, 40);
    s->Set_zoom(200);
    dx().Blit(0, 0, *s);
    EXPECT_EQ(Screen(79, 79), Make_pixel(255, 0, 0));
    EXPECT_EQ(Screen(30, 30), Platform::Colour_key);  // the key quarter, doubled
    EXPECT_EQ(Screen(80, 80), 0u);
}

TEST_F(DirectX, JpegKeyRuleTurnsPaintedBlueIntoTheKey) {
    const std::string path = Path("k.jpg");
    Write_jpeg(path, 64, 32, [](int x, int) { return x < 32 ? VxRgb{120, 20, 250} : VxRgb{250, 20, 240}; });
    int w = 0, h = 0;
    auto s = dx().bitmap_surface(path, w, h);
    ASSERT_TRUE(s);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 32);
    EXPECT_TRUE(Platform::Is_key(s->Get_pixel(8, 16)));
    EXPECT_FALSE(Platform::Is_key(s->Get_pixel(56, 16)));
}

TEST_F(DirectX, OversizedCoversBecomeThePlaceholderWhileTheLimitIsOn) {
    Write_jpeg(Pics() + "IMAGE_no_cover.jpg", 40, 40, [](int, int) { return VxRgb{90, 90, 90}; });
    const std::string big = Path("big.jpg");
    Write_jpeg(big, 3000, 1000, [](int, int) { return VxRgb{200, 100, 50}; });
    const std::string bomb = Path("bomb.jpg");
    Write_jpeg(bomb, 16, 16, [](int, int) { return VxRgb{1, 2, 3}; });
    DisplayTest::Patch_jpeg_size(bomb, 65000, 65000);
    int w = 0, h = 0;
    dx().Set_size_limit(true);
    EXPECT_TRUE(dx().bitmap_surface(big, w, h));
    EXPECT_EQ(w, 40);
    EXPECT_TRUE(dx().bitmap_surface(big, w, h));
    EXPECT_TRUE(dx().bitmap_surface(bomb, w, h)) << "a decompression bomb is treated like an oversized cover";
    EXPECT_EQ(w, 40);
    EXPECT_EQ(Count_boxes("VxDirectX", "The image: " + big + " was too large\\nmax = 2048\\ actual = 3000 [pixels]"),
              1);
    EXPECT_EQ(Count_lines("dialogs.txt", "VxDirectX\tThe image:"), 1) << "the box is shown once per run";
    EXPECT_EQ(Count_lines("error.txt", "The image: "), 3);
    dx().Set_size_limit(false);
    EXPECT_TRUE(dx().bitmap_surface(big, w, h));
    EXPECT_EQ(w, 3000);
    EXPECT_EQ(h, 1000);
    EXPECT_FALSE(dx().bitmap_surface(bomb, w, h)) << "without the limit a bomb is a decoder error";
    EXPECT_EQ(Count_boxes("VxDirectX", "Could not load jpg ! Err :"), 1);
}

TEST_F(DirectX, BrokenFilesAreReportedAndLoadingGoesOn) {
    TestSupport::Write_file(Path("empty.jpg"), "");
    TestSupport::Write_file(Path("bad.jpg"), "\xFF\xD8\xFF\xE0 not really");
    TestSupport::Write_file(Path("bad.bmp"), "BM this is not a bitmap");
    TestSupport::Write_file(Path("odd.png"), "x");
    int w = 0, h = 0;
    EXPECT_FALSE(dx().bitmap_surface(Path("empty.jpg"), w, h));
    EXPECT_FALSE(dx().bitmap_surface(Path("bad.jpg"), w, h));
    EXPECT_FALSE(dx().bitmap_surface(Path("bad.bmp"), w, h));
    EXPECT_FALSE(dx().bitmap_surface(Path("odd.png"), w, h));
    EXPECT_EQ(Count_boxes("VxDirectX", "Could not load jpg ! Err :"), 2);
    EXPECT_EQ(Count_lines("error.txt", "Could not load jpg ! Err :"), 2);
    EXPECT_EQ(Count_boxes("VxDirectX", "Error creating Bitmap :" + Path("bad.bmp")), 1);
    EXPECT_EQ(Count_boxes("VxDirectX", "Cannot load :"), 1);
    // A bitmap loaded from a broken file has no picture, and drawing it is harmless.
    VxBitmap b;
    b.Set_size(10, 10);
    b.Loading_surface(Path("bad.jpg"));
    EXPECT_EQ(b.Get_surface(), nullptr);
    b.Draw();
}

TEST_F(DirectX, RefreshMeasurementNeedsOneStableAttempt) {
    std::vector<double> gaps;
    size_t next = 0;
    double now = 0;
    auto wait = [&] { now += gaps[next++ % gaps.size()]; };
    auto clock = [&] { return now; };
    gaps = {16.7};
    auto period = VxDirectX::Measure_refresh_period(wait, clock);
    ASSERT_TRUE(period);
    EXPECT_NEAR(*period, 16.7, 1e-9);
    // Every attempt's two measurements 2 ms or more apart: no period.
    gaps = {1, 16, 1, 19};
    next = 0;
    EXPECT_FALSE(VxDirectX::Measure_refresh_period(wait, clock));
    // The real window's blank clock (60 Hz on the dummy driver).
    const double measured = dx().Get_monitor_refresh_rate();
    EXPECT_GT(measured, 12.0);
    EXPECT_LT(measured, 25.0);
    const int line = dx().Get_scan_line();
    EXPECT_GE(line, 0);
    EXPECT_LT(line, 2000);
}

// The frames measure the refresh as they are shown; the first frame never waits for it.
TEST_F(DirectX, PresentedFramesMeasureTheRefreshWithoutHoldingTheFirstOne) {
    const double reported = dx().Get_monitor_refresh_rate();  // the dummy driver reports none: 60 Hz
    EXPECT_NEAR(reported, 1000.0 / 60, 1e-9);
    dx().Add_blank_interval(40);  // a missed blank and a pause between frames measure nothing
    dx().Add_blank_interval(400);
    for (int i = 0; i < 9; ++i) dx().Add_blank_interval(i % 2 ? 14.0 : 14.5);
    EXPECT_NEAR(dx().Refresh_period_ms(), reported, 1e-9);  // one measurement short
    dx().Add_blank_interval(14.0);
    EXPECT_NEAR(dx().Refresh_period_ms(), 14.0, 1e-9);
    EXPECT_EQ(Count_lines("log.txt", "Monitor refresh rate measured (fps) = "), 1);
    dx().Add_blank_interval(16.0);  // measured once: later frames change nothing
    EXPECT_NEAR(dx().Get_monitor_refresh_rate(), 14.0, 1e-9);
    EXPECT_EQ(Count_lines("error.txt", "Unable to find stable monitor frequency"), 0);
}

// A busy machine shows frames at uneven times: the pacing keeps the reported rate, says so, and
// the program goes on.
TEST_F(DirectX, AnUnstableMeasurementKeepsTheReportedRate) {
    const double reported = dx().Get_monitor_refresh_rate();
    for (int i = 0; i < 10; ++i) dx().Add_blank_interval(i % 2 ? 10.0 : 22.0);
    EXPECT_NEAR(dx().Refresh_period_ms(), reported, 1e-9);
    EXPECT_EQ(Count_lines("error.txt", "Unable to find stable monitor frequency, pacing at 60"), 1);
    EXPECT_EQ(Count_boxes("VxDirectX", "Unable to find stable monitor frequency"), 0);
}

TEST_F(DirectX, ErrorTextsAndMemoryReport) {
    EXPECT_EQ(VxDirectX::Error_text(VxDX_result::Out_of_video_memory), "Out of Video Memory");
    EXPECT_EQ(VxDirectX::Error_text(VxDX_result::Primary_surface_already_exists),
              "Primary surface already exist\nPerhaps another directX application interferes ?");
    EXPECT_EQ(VxDirectX::Error_text(VxDX_result::Invalid_caps), "Invalid device capabilities");
    EXPECT_EQ(VxDirectX::Error_text(VxDX_result::Other), "Unknown error !");
    dx().Show_error(VxDX_result::Out_of_memory);
    EXPECT_EQ(Count_boxes("VxDirectX", "Out of Memory"), 1);
    dx().Show_available_memory();
    dx().Show_available_memory();
    EXPECT_EQ(Count_lines("log.txt", "total mem [MB]="), 1);
    EXPECT_EQ(Count_lines("log.txt", "free mem [MB]="), 2);
    dx().Present();
    EXPECT_EQ(Count_lines("error.txt", "DX.Present failed"), 0);
}

TEST(DirectXStart, SurfacesBeforeInitEndTheProcess) {
    TestSupport::Scratch_dir dir;
    Platform::Set_headless(true);
    EXPECT_EXIT(VxDirectX::Instance().Create_surface(4, 4, false), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(VxDirectX::Instance().Init(nullptr, 0, 0, 800, 600, VxDisplay_config{}), ::testing::ExitedWithCode(1),
                "");
    EXPECT_EQ(Count_boxes("VxDirectX", "Warning, DirectX has NOT yet been initialized"), 1);
    EXPECT_EQ(Count_boxes("VxDirectX", "DirectDrawCreate FAILED"), 1);
}
