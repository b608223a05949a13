// What the screen shows, read from the script's screenshots: every arrow of the browse and select
// screens in full sight and answering a click at 4:3 and 16:9, the song sheet inside its panel, and
// a search text that can be read, a search keyboard that covers the playlist under it, and a shot that shows
// what the key just before it did.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "settings/CIniFile.h"
#include "tests/app/jukebox_fixture.h"
#include "tests/support/virtual_display.h"

namespace {

using Platform::Pixel;
using Platform::Surface;

int Red(Pixel p) { return static_cast<int>((p >> 16) & 0xFF); }
int Green(Pixel p) { return static_cast<int>((p >> 8) & 0xFF); }
int Blue(Pixel p) { return static_cast<int>(p & 0xFF); }

// WCAG relative luminance of an sRGB pixel.
double Luminance(Pixel p) {
    auto channel = [](int v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(Red(p)) + 0.7152 * channel(Green(p)) + 0.0722 * channel(Blue(p));
}

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool Empty() const { return right <= left || bottom <= top; }
    int Centre_x() const { return (left + right) / 2; }
    int Centre_y() const { return (top + bottom) / 2; }
    // Whether the boxes come closer than gap pixels.
    bool Near(const Box& o, int gap) const {
        return left - gap < o.right && o.left - gap < right && top - gap < o.bottom && o.top - gap < bottom;
    }
};

// An arrow button: where the jukebox draws it (per cent of the window; a square 5 % high) and its key.
struct Arrow {
    const char* name;
    double x, y;
    const char* handler;  // the trace scope its key opens
    Box On(int width, int height) const {
        const int left = static_cast<int>(x * 0.01 * width), top = static_cast<int>(y * 0.01 * height);
        const int side = static_cast<int>(0.05 * height);
        return {left, top, left + side, top + side};
    }
};
const Arrow Browse_arrows[] = {{"browse up", 27.5, 53.5, "show_6cdpanel_up"},
                               {"browse left", 27.5, 70.5, "show_6cdpanel_left"},
                               {"browse down", 27.5, 88, "show_6cdpanel_down"},
                               {"browse right", 91, 70.5, "show_6cdpanel_right"}};
// Down first: from the second sheet up has a page to go back to.
const Arrow Select_arrows[] = {{"select down", 55, 89, "show_songpaper_down"},
                               {"select up", 55, 50, "show_songpaper_up"}};

// The share of the arrow's face (its box less a sixth at each side, clear of the rounded rim) that
// shows the arrow picture: the light key cap or the blue arrow and its soft edge. A caption, a title
// or a panel drawn over it is dark glass or text and counts against it.
double Arrow_face_share(const Surface& shot, const Box& box) {
    const int inset_x = box.right - box.left > 0 ? (box.right - box.left) / 6 : 0;
    const int inset_y = box.bottom - box.top > 0 ? (box.bottom - box.top) / 6 : 0;
    int face = 0, all = 0;
    for (int y = box.top + inset_y; y < box.bottom - inset_y; ++y)
        for (int x = box.left + inset_x; x < box.right - inset_x; ++x) {
            const Pixel p = shot.Get_pixel(x, y);
            const bool cap = std::min({Red(p), Green(p), Blue(p)}) >= 140;
            const bool arrow = Blue(p) >= 110 && Blue(p) - Red(p) >= 50;
            face += cap || arrow;
            ++all;
        }
    return all > 0 ? static_cast<double>(face) / all : 0;
}

// The bounding box of the pixels inside the area that pass the test.
template <typename Test>
Box Pixels_where(const Surface& shot, const Box& area, Test test) {
    Box found{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (test(shot.Get_pixel(x, y))) {
                found.left = std::min(found.left, x), found.right = std::max(found.right, x + 1);
                found.top = std::min(found.top, y), found.bottom = std::max(found.bottom, y + 1);
            }
    return found;
}

// The reddish ink of the song sheet's line numbers and of the album's "N songs (score)" line.
bool Red_ink(Pixel p) { return Red(p) >= 90 && Red(p) - Green(p) >= 50 && Red(p) - Blue(p) >= 50; }

Box Percent_box(double left, double top, double right, double bottom, int width, int height) {
    return {static_cast<int>(left * 0.01 * width), static_cast<int>(top * 0.01 * height),
            static_cast<int>(right * 0.01 * width), static_cast<int>(bottom * 0.01 * height)};
}

class Screen : public JukeboxTest::Home {
protected:
    void SetUp() override {
        // A full first page of "A" albums with long names (the text beside each cover runs to its
        // six lines), twelve songs each (two sheets), and a "B" album for the start-character arrows.
        const char* albums[] = {
            "Alpha - One",     "Aardvark Brass Ensemble Orchestra - A Very Long Title That Wraps Over Three Lines",
            "Ab Artist - Two", "Ac Artist Long Name Wrapping - Three Album Long Title Words Here Again",
            "Ad - Four",       "Ae Long Artist Name Here Too - Sixth Album Of The Page Name With Many Words",
            "Beta - Two"};
        for (const char* album : albums) {
            TestSupport::Make_dirs(home + "/music/" + album);
            for (int n = 1; n <= 12; ++n)
                TestSupport::Write_file(home + "/music/" + album + "/" + (n < 10 ? "0" : "") + std::to_string(n) +
                                            " - Song number " + std::to_string(n) + " with a long name.mp3",
                                        "");
        }
    }
    std::unique_ptr<Surface> Shot(const std::string& file) {
        std::string error;
        auto shot = Surface::Load_bmp(run + "/" + file, error);
        EXPECT_TRUE(shot) << file << ": " << error;
        return shot;
    }
    std::string Click(const Arrow& arrow, int width, int height) {
        const Box box = arrow.On(width, height);
        return "click " + std::to_string(box.Centre_x()) + " " + std::to_string(box.Centre_y()) + "\nstill\n";
    }

    // Browse and select screens are shot, then each arrow is clicked once at its centre.
    void Check_arrows(int width, int height, const std::string& env) {
        std::string script = "wait 300\nkey b\nstill\nshot browse.bmp\nkey 1\nstill\nshot select.bmp\n";
        for (const Arrow& arrow : Select_arrows) script += Click(arrow, width, height);
        script += "key Escape\nstill\n";
        for (const Arrow& arrow : Browse_arrows) script += Click(arrow, width, height);
        script += "key Escape\nwait 300\nkey q\n";
        ASSERT_EQ(Start(script, env, 120), 0);  // a dozen slides, each waited for, on a loaded machine
        const auto browse = Shot("browse.bmp"), select = Shot("select.bmp");
        ASSERT_TRUE(browse && select);
        ASSERT_EQ(browse->Width(), width);
        ASSERT_EQ(browse->Height(), height);

        const std::string log = Log();
        auto check = [&](const Arrow& arrow, const Surface& shot) {
            const Box box = arrow.On(width, height);
            EXPECT_GE(Arrow_face_share(shot, box), 0.97) << arrow.name << " is covered at " << width << "x" << height;
            // The arrow's own code reached its mode: one entry into the handler its key calls.
            EXPECT_EQ(Count(log, std::string("> **(") + arrow.handler + ")**"), 1)
                << arrow.name << " at " << width << "x" << height;
        };
        for (const Arrow& arrow : Browse_arrows) check(arrow, *browse);
        for (const Arrow& arrow : Select_arrows) check(arrow, *select);

        // The "N songs (score)" line under the cover keeps clear of the select arrows (the sheet, whose
        // line numbers share its ink, starts at 60 %).
        const Box songs_line = Pixels_where(*select, Percent_box(26, 80, 59.5, 96, width, height), Red_ink);
        ASSERT_FALSE(songs_line.Empty());
        for (const Arrow& arrow : Select_arrows)
            EXPECT_FALSE(songs_line.Near(arrow.On(width, height), width / 200))
                << arrow.name << " touches the songs line at " << width << "x" << height;
    }
};

TEST_F(Screen, EveryArrowIsInSightAndAnswersItsClickAt4To3) { Check_arrows(1024, 768, ""); }

TEST_F(Screen, EveryArrowIsInSightAndAnswersItsClickAt16To9) {
    if (std::system("command -v Xvfb >/dev/null") != 0) GTEST_SKIP() << "Xvfb missing (scripts/install-deps.sh)";
    ASSERT_EQ(Start("wait 100\nkey q\n"), 0);  // settings in place
    ASSERT_TRUE(CIniFile::Set_value("WindowSize", "1920x1080", "DISPLAY SETTINGS", run + "/settings_v3.ini"));
    const TestSupport::Virtual_display x(1920, 1080);
    ASSERT_FALSE(x.Display().empty()) << "no virtual X server";
    Check_arrows(1920, 1080, "SDL_VIDEODRIVER=x11 DISPLAY=" + x.Display());
}

TEST_F(Screen, TheSongSheetEndsInsideItsPanelAndTheSearchTextCanBeRead) {
    const int width = 1024, height = 768;
    ASSERT_EQ(Start("wait 300\nkey b\nstill\nkey 1\nstill\nshot select.bmp\nkey Escape\nstill\n"
                    "key s\nkey a\nkey b\nstill\nshot search.bmp\nkey Escape\nwait 300\nkey Escape\nwait 300\nkey q\n"),
              0);
    const auto select = Shot("select.bmp"), search = Shot("search.bmp");
    ASSERT_TRUE(select && search);

    // The album panel under the sheet spans 47 % to 96 % of the height. Just below it, where the sheet
    // is (60 % to 99 % across), only the dark background shows; the last line number ("0" of line
    // ten) lies above the panel's end.
    const Box below = Percent_box(62, 96.5, 97, 97.5, width, height);
    const Box light = Pixels_where(*select, below, [](Pixel p) { return std::max({Red(p), Green(p), Blue(p)}) > 120; });
    EXPECT_TRUE(light.Empty()) << "the sheet shows below its panel down to y " << light.bottom;
    const Box numbers = Pixels_where(*select, Percent_box(60, 49, 70, 100, width, height), Red_ink);
    ASSERT_FALSE(numbers.Empty());
    EXPECT_LT(numbers.bottom, static_cast<int>(0.96 * height));

    // The search text ("'ab'", near white) in the type box line, against what surrounds it.
    const Box line = Percent_box(2, 39.5, 71.5, 44, width, height);
    const auto core = [](Pixel p) { return Red(p) >= 235 && Green(p) >= 230 && Blue(p) >= 215; };
    const Box text = Pixels_where(*search, line, core);
    ASSERT_FALSE(text.Empty()) << "no search text in the type box";
    double text_luminance = 0;
    int text_pixels = 0;
    std::vector<double> around;
    for (int y = text.top - 2; y < text.bottom + 2; ++y)
        for (int x = text.left - 2; x < text.right + 2; ++x) {
            const Pixel p = search->Get_pixel(x, y);
            if (core(p)) {
                text_luminance += Luminance(p);
                ++text_pixels;
            } else {
                around.push_back(Luminance(p));
            }
        }
    ASSERT_GT(text_pixels, 10);
    ASSERT_FALSE(around.empty());
    std::sort(around.begin(), around.end());
    const double background = around[around.size() / 2];
    const double contrast = (text_luminance / text_pixels + 0.05) / (background + 0.05);
    EXPECT_GE(contrast, 4.5) << "search text luminance " << text_luminance / text_pixels << " on " << background;
}

}  // namespace

namespace {

// The search keyboard over a queued playlist: its keys leave gaps and the playlist's left edge
// free, where the playlist's marks and header cover would show through unless the keyboard has a
// page of its own. The strip left of the keys and the gap below the last row are plain paper.
TEST_F(Screen, TheSearchKeyboardCoversThePlaylistUnderIt) {
    const int width = 1024, height = 768;
    ASSERT_EQ(Start("wait 300\nkey b\nstill\nkey 1\nstill\nkey a\nwait 500\nkey Escape\nstill\nshot queued.bmp\n"
                    "key s\nstill\nshot search.bmp\nkey Escape\nstill\nshot back.bmp\nkey Escape\nwait 300\nkey q\n"),
              0);
    const auto queued = Shot("queued.bmp"), search = Shot("search.bmp"), back = Shot("back.bmp");
    ASSERT_TRUE(queued && search && back);
    const auto ink = [](Pixel p) { return std::max({Red(p), Green(p), Blue(p)}) < 150; };
    // The playlist's marks and header cover lie in the strip left of the keys' first column (4 %).
    const Box strip = Percent_box(1.5, 51, 3.8, 85, width, height);
    ASSERT_FALSE(Pixels_where(*queued, strip, ink).Empty()) << "the queued playlist shows no marks";
    const Box through = Pixels_where(*search, strip, ink);
    EXPECT_TRUE(through.Empty()) << "the playlist shows beside the keys at y " << through.top;
    EXPECT_TRUE(Pixels_where(*search, Percent_box(1.5, 91, 26, 97, width, height), ink).Empty());
    // Leaving the search takes the keyboard's page along: the playlist is there again.
    EXPECT_FALSE(Pixels_where(*back, strip, ink).Empty()) << "the playlist stays covered after the search";
}

}  // namespace

namespace {

// A shot taken right after a key shows what the key did, though no frame may have been due
// between the two: queueing the album on the song sheet fills the visible playlist page in place,
// with nothing moving, so only the shot's own composition can show it.
TEST_F(Screen, AShotRightAfterAKeyShowsWhatTheKeyDid) {
    const int width = 1024, height = 768;
    ASSERT_EQ(Start("wait 300\nkey b\nstill\nkey 1\nstill\nshot empty.bmp\nkey a\nshot queued.bmp\n"
                    "key Escape\nwait 300\nkey Escape\nwait 300\nkey q\n"),
              0);
    const auto empty = Shot("empty.bmp"), queued = Shot("queued.bmp");
    ASSERT_TRUE(empty && queued);
    const auto ink = [](Pixel p) { return std::max({Red(p), Green(p), Blue(p)}) < 150; };
    const Box rows = Percent_box(1.5, 51, 25, 70, width, height);
    ASSERT_TRUE(Pixels_where(*empty, rows, ink).Empty()) << "the playlist is not empty before the key";
    EXPECT_FALSE(Pixels_where(*queued, rows, ink).Empty()) << "the shot after 'a' shows no queued song";
}

}  // namespace
