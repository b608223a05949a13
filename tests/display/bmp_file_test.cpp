// The BMP writer round trip: every depth and row padding loads back pixel for pixel through the
// platform's BMP loader; a file that cannot be made leaves nothing behind.
#include "display/Bmp_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/surface.h"
#include "settings/Atomic_file.h"
#include "tests/support/test_support.h"

namespace {
std::uint32_t Colour_at(int row, int col) {
    return static_cast<std::uint32_t>((row * 37 + col * 11) & 0xFF) << 16 |
           static_cast<std::uint32_t>(col * 53 & 0xFF) << 8 | static_cast<std::uint32_t>((row * 91 + 7) & 0xFF);
}
}  // namespace

TEST(BmpFile, EveryDepthAndPaddingLoadsBackPixelForPixel) {
    TestSupport::Scratch_dir dir;
    for (Bmp_depth depth : {Bmp_depth::bits_24, Bmp_depth::bits_32})
        for (Bmp_padding_word word : {Bmp_padding_word::absent, Bmp_padding_word::present})
            for (int width = 1; width <= 5; ++width) {  // every row padding of the 24-bit rows
                const int height = 3;
                const std::string path = "w" + std::to_string(width) + ".bmp";
                ASSERT_EQ(Write_bmp(path, width, height, depth, word, Colour_at), Bmp_result::written);
                const int bytes = depth == Bmp_depth::bits_24 ? 3 : 4;
                const auto header = word == Bmp_padding_word::present ? 58u : 54u;
                EXPECT_EQ(std::filesystem::file_size(path), header + ((width * bytes + 3) & ~3) * height);
                std::string error;
                auto back = Platform::Surface::Load_bmp(path, error);
                ASSERT_TRUE(back) << error;
                ASSERT_EQ(back->Width(), width);
                ASSERT_EQ(back->Height(), height);
                for (int row = 0; row < height; ++row)
                    for (int col = 0; col < width; ++col)
                        EXPECT_EQ(back->Get_pixel(col, row) & 0x00FFFFFF, Colour_at(row, col))
                            << "depth " << bytes * 8 << " width " << width << " at " << col << "," << row;
            }
}

TEST(BmpFile, AFileThatCannotBeMadeIsReportedAndLeavesNothing) {
    TestSupport::Scratch_dir dir;
    EXPECT_EQ(Write_bmp("no/such/folder/x.bmp", 2, 2, Bmp_depth::bits_24, Bmp_padding_word::absent, Colour_at),
              Bmp_result::cannot_create);
    // A full disk or a failing rename: the old file stays whole and no temporary file is left.
    TestSupport::Write_file("x.bmp", "old");
    for (Atomic_file::Fault fault : {Atomic_file::Fault::write, Atomic_file::Fault::sync, Atomic_file::Fault::rename}) {
        Atomic_file::Inject_fault(fault);
        EXPECT_EQ(Write_bmp("x.bmp", 2, 2, Bmp_depth::bits_32, Bmp_padding_word::absent, Colour_at),
                  Bmp_result::write_failed);
        Atomic_file::Inject_fault(Atomic_file::Fault::none);
        EXPECT_EQ(TestSupport::Read_file("x.bmp"), "old");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1);
    }
}
