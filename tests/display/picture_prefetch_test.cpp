// The start-up's picture prefetch: what it hands over is what decoding in place gives (pixels, key,
// trace lines), and whatever it cannot serve falls back to that decoding with its own errors.
#include "display/Picture_prefetch.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "display/VxDirectX.h"
#include "tests/display/display_fixture.h"

using DisplayTest::Count_boxes;
using DisplayTest::Write_jpeg;

namespace {

class Prefetch : public DisplayTest::Display {
protected:
    // A picture with painted-in blue (the key) and a gradient, so that a wrong row or channel shows.
    void Write_picture(const std::string& name, int w, int h) {
        Write_jpeg(Path(name), w, h, [](int x, int y) {
            if ((x / 8 + y / 8) % 3 == 0) return VxRgb{10, 20, 250};
            return VxRgb{(x * 7) % 256, (y * 5) % 256, (x + y) % 200};
        });
    }
    std::vector<Platform::Pixel> Pixels(const Platform::Surface& s) {
        std::vector<Platform::Pixel> out;
        for (int y = 0; y < s.Height(); ++y) out.insert(out.end(), s.Row(y), s.Row(y) + s.Width());
        return out;
    }
    // The surface and the decoder's log lines of one load through the display.
    std::vector<Platform::Pixel> Load(const std::string& name, std::string* lines = nullptr) {
        const std::size_t before = TestSupport::Read_trace("log.txt").size();
        int w = 0, h = 0;
        auto s = dx().bitmap_surface(Path(name), w, h);
        if (lines) {
            std::istringstream fresh(TestSupport::Read_trace("log.txt").substr(before));
            lines->clear();
            for (std::string line; std::getline(fresh, line);)
                if (line.find("jpg") != std::string::npos) *lines += line + "\n";
        }
        return s ? Pixels(*s) : std::vector<Platform::Pixel>{};
    }
};

}  // namespace

TEST_F(Prefetch, HandsOverTheSurfacesAndLinesOfDecodingInPlace) {
    Write_picture("big.jpg", 400, 300);  // over the kept size: handed over once
    Write_picture("small.jpg", 60, 40);  // kept: every load gets it
    std::string big_lines, small_lines;
    const auto big = Load("big.jpg", &big_lines);
    const auto small = Load("small.jpg", &small_lines);
    ASSERT_FALSE(big.empty());
    ASSERT_FALSE(small.empty());

    dx().Prefetch_pictures({Path("big.jpg"), Path("small.jpg"), Path("unused.jpg")});
    std::string lines;
    EXPECT_EQ(Load("big.jpg", &lines), big);
    EXPECT_EQ(lines, big_lines) << "the header lines stand where decoding writes them";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Load("small.jpg", &lines), small) << "load " << i;
        EXPECT_EQ(lines, small_lines);
    }
    EXPECT_EQ(Load("big.jpg", &lines), big) << "a second load of a handed-over picture decodes it again";
    EXPECT_EQ(lines, big_lines);
    dx().End_prefetch();
    EXPECT_EQ(Load("small.jpg"), small) << "after the prefetch every load decodes in place";
    EXPECT_EQ(Count_boxes("VxDirectX", ""), 0);
}

TEST_F(Prefetch, WhatItCannotDecodeIsReportedByTheLoadAsWithoutIt) {
    TestSupport::Write_file(Path("bad.jpg"), "not a picture at all");
    std::string lines_without;
    EXPECT_TRUE(Load("bad.jpg", &lines_without).empty());
    EXPECT_EQ(Count_boxes("VxDirectX", "Could not load jpg"), 1);

    dx().Prefetch_pictures({Path("bad.jpg")});
    std::string lines;
    EXPECT_TRUE(Load("bad.jpg", &lines).empty());
    EXPECT_EQ(lines, lines_without);
    EXPECT_EQ(Count_boxes("VxDirectX", "Could not load jpg"), 2) << "the load's own error, once more";
    dx().End_prefetch();
}

TEST_F(Prefetch, EveryListedPictureIsServedWhateverTheOrderOfAsking) {
    std::vector<std::string> paths;
    std::vector<std::vector<Platform::Pixel>> serial;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "p" + std::to_string(i) + ".jpg";
        Write_picture(name, 300 + 13 * i, 200 + 7 * i);
        paths.push_back(Path(name));
        serial.push_back(Load(name));
    }
    dx().Prefetch_pictures(paths);
    // From the back: the first asks find their pictures unclaimed and decode them here, the
    // others wait for (or find done) what the workers took.
    for (int i = 11; i >= 0; --i) EXPECT_EQ(Load("p" + std::to_string(i) + ".jpg"), serial[i]) << i;
    dx().End_prefetch();

    // Ended before anything was taken: the workers stop, nothing is served, nothing is lost.
    Picture_prefetch prefetch;
    prefetch.Start(paths, 2);
    prefetch.Stop();
    EXPECT_EQ(prefetch.Take(paths[0]), nullptr);
}

TEST_F(Prefetch, APictureListedTwiceIsHandedOverTwice) {
    Write_picture("big.jpg", 400, 300);  // over the kept size
    Picture_prefetch prefetch;
    prefetch.Start({Path("big.jpg"), Path("big.jpg")}, 1);
    auto first = prefetch.Take(Path("big.jpg"));
    auto second = prefetch.Take(Path("big.jpg"));
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_EQ(Pixels(*first), Pixels(*second));
    EXPECT_EQ(prefetch.Take(Path("big.jpg")), nullptr) << "a third load decodes it itself";
    prefetch.Stop();
}
