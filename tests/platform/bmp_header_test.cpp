// The BMP header check before loading: headers of a few bytes that claim huge or negative sizes, and files
// cut short, are refused with a reason before SDL allocates their pixels; whole files of every header load.
#include "platform/bmp_header.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "platform/surface.h"
#include "tests/support/test_support.h"

namespace {

void Put(std::string& s, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
}

// A 24-bit bitmap with a 40-byte info header and pixel_bytes bytes of grey pixels after it.
std::string Bitmap(std::int32_t width, std::int32_t height, std::size_t pixel_bytes, std::uint32_t compression = 0) {
    std::string s(54, '\0');
    s[0] = 'B';
    s[1] = 'M';
    Put(s, 2, static_cast<std::uint32_t>(54 + pixel_bytes), 4);
    Put(s, 10, 54, 4);
    Put(s, 14, 40, 4);
    Put(s, 18, static_cast<std::uint32_t>(width), 4);
    Put(s, 22, static_cast<std::uint32_t>(height), 4);
    Put(s, 26, 1, 2);
    Put(s, 28, 24, 2);
    Put(s, 30, compression, 4);
    return s + std::string(pixel_bytes, '\x80');
}

// The same with the 12-byte core header of OS/2 (16-bit sides).
std::string Core_bitmap(std::uint16_t width, std::uint16_t height, std::size_t pixel_bytes) {
    std::string s(26, '\0');
    s[0] = 'B';
    s[1] = 'M';
    Put(s, 2, static_cast<std::uint32_t>(26 + pixel_bytes), 4);
    Put(s, 10, 26, 4);
    Put(s, 14, 12, 4);
    Put(s, 18, width, 2);
    Put(s, 20, height, 2);
    Put(s, 22, 1, 2);
    Put(s, 24, 24, 2);
    return s + std::string(pixel_bytes, '\x80');
}

std::string Load_error(const std::string& content) {
    TestSupport::Write_file("x.bmp", content);
    std::string error;
    auto surface = Platform::Surface::Load_bmp("x.bmp", error);
    EXPECT_EQ(surface == nullptr, !error.empty()) << error;
    return surface ? "" : error;
}

}  // namespace

TEST(BmpHeader, ClaimsBeyondThePictureLimitsAreRefusedBeforeLoading) {
    TestSupport::Scratch_dir dir;
    // Each of these is a file of a few dozen bytes; SDL alone would allocate gigabytes for the first ones.
    for (const auto& [name, content] :
         {std::pair{"30000 square", Bitmap(30000, 30000, 0)},
          std::pair{"two billion wide", Bitmap(2'000'000'000, 1, 0)}, std::pair{"INT_MIN high", Bitmap(10, INT_MIN, 0)},
          std::pair{"7000 square", Bitmap(7000, 7000, 0)},
          std::pair{"core 65535 square", Core_bitmap(65535, 65535, 0)}}) {
        EXPECT_NE(Load_error(content).find("more than a picture may have"), std::string::npos) << name;
    }
    // Compressed rows have no size known from the header, but their sides are checked all the same.
    EXPECT_NE(Load_error(Bitmap(20000, 20, 0, 1)).find("more than a picture may have"), std::string::npos);
}

TEST(BmpHeader, UncompressedPixelsMustBeInTheFileAndWholeFilesLoad) {
    TestSupport::Scratch_dir dir;
    // 3 x 2 pixels of 24 bits: rows of 9 bytes padded to 12.
    EXPECT_EQ(Load_error(Bitmap(3, 2, 24)), "");
    EXPECT_EQ(Load_error(Bitmap(3, -2, 24)), "");  // rows top-down
    EXPECT_EQ(Load_error(Core_bitmap(3, 2, 24)), "");
    EXPECT_NE(Load_error(Bitmap(3, 2, 23)).find("cut short: 3 x 2 pixels need 78 bytes, the file has 77"),
              std::string::npos);
    EXPECT_NE(Load_error(Core_bitmap(3, 2, 12)).find("cut short"), std::string::npos);
    EXPECT_NE(Load_error(Bitmap(4000, 4000, 0)).find("cut short"), std::string::npos);
    // A header that ends before its depth and compression: SDL would take the missing fields as it found them.
    EXPECT_EQ(Load_error(Bitmap(524288, 524288, 0).substr(0, 30)), "the bitmap's header is cut short");
    // What is no bitmap header at all is left to SDL's own words.
    EXPECT_EQ(Load_error(Bitmap(30000, 30000, 0).substr(0, 24)), "the bitmap's header is cut short");
    EXPECT_NE(Load_error("BM this is not a bitmap"), "");
    EXPECT_NE(Load_error(Bitmap(0, 5, 0)), "");
}
