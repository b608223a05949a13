// The BMP loader on a file with a colour table, which the program's own writer never makes but a
// cover.bmp in a music folder may be: every pixel comes out as its table entry, in 32-bit XRGB.
#include <gtest/gtest.h>

#include <string>

#include "platform/surface.h"
#include "tests/support/test_support.h"

namespace {
void Put(std::string& s, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
}
}  // namespace

TEST(BmpPalette, An8BitFileLoadsAsItsTableColoursRowsPaddedAndBottomUp) {
    TestSupport::Scratch_dir dir;
    const std::uint32_t table[4] = {0x000000, 0xFF0000, 0x00FF00, 0x123456};
    const int width = 3, height = 2, row_bytes = 4;           // three indices and one byte of padding
    const std::uint8_t index[2][3] = {{1, 2, 3}, {3, 0, 1}};  // top row first
    std::string file(54 + 4 * 4 + row_bytes * height, '\0');
    file[0] = 'B', file[1] = 'M';
    Put(file, 2, static_cast<std::uint32_t>(file.size()), 4);
    Put(file, 10, 54 + 16, 4);
    Put(file, 14, 40, 4);
    Put(file, 18, width, 4);
    Put(file, 22, height, 4);
    Put(file, 26, 1, 2);
    Put(file, 28, 8, 2);
    Put(file, 46, 4, 4);  // colours in the table, each as B, G, R and a zero byte
    for (int i = 0; i < 4; ++i) Put(file, 54 + 4 * static_cast<std::size_t>(i), table[i], 4);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            file[70 + static_cast<std::size_t>((height - 1 - row) * row_bytes + col)] =
                static_cast<char>(index[row][col]);
    TestSupport::Write_file("p.bmp", file);

    std::string error;
    auto surface = Platform::Surface::Load_bmp("p.bmp", error);
    ASSERT_TRUE(surface) << error;
    ASSERT_EQ(surface->Width(), width);
    ASSERT_EQ(surface->Height(), height);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            EXPECT_EQ(surface->Get_pixel(col, row), table[index[row][col]]) << col << "," << row;
}
