// JPEG decoding and the cover cache's BMP writer: good files decode, bad ones raise the
// decoder error instead of ending the process, oversized headers are refused up front.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "display/Picture_rows.h"
#include "display/VxRaster.h"
#include "tests/display/display_fixture.h"
#include "tests/support/test_support.h"

using DisplayTest::Write_jpeg;

namespace {
std::uint32_t Le32(const std::string& d, size_t at) {
    return static_cast<unsigned char>(d[at]) | static_cast<unsigned char>(d[at + 1]) << 8 |
           static_cast<unsigned char>(d[at + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 3])) << 24;
}
}  // namespace

TEST(Raster, DecodesRgbAndGrey) {
    TestSupport::Scratch_dir dir;
    Write_jpeg("a.jpg", 40, 20, [](int x, int) { return x < 20 ? VxRgb{200, 40, 40} : VxRgb{20, 40, 220}; });
    VxRaster rgb(3);
    ASSERT_TRUE(rgb.Load_jpeg("a.jpg"));
    EXPECT_EQ(rgb.width(), 40);
    EXPECT_EQ(rgb.height(), 20);
    EXPECT_NEAR(rgb.Get_pixel(10, 5).r, 200, 3);
    EXPECT_NEAR(rgb.Get_pixel(10, 5).b, 40, 3);
    EXPECT_NEAR(rgb.Get_pixel(10, 35).b, 220, 3);
    VxRaster grey(1);
    ASSERT_TRUE(grey.Load_jpeg("a.jpg"));
    EXPECT_EQ(grey.channels(), 1);
    EXPECT_EQ(grey.Get_pixel(3, 3).r, grey.Get_pixel(3, 3).g);
    EXPECT_FALSE(rgb.Load_jpeg("missing.jpg"));
    // Outside the image nothing is read or written.
    rgb.Set_pixel(-1, 100, 1, 2, 3);
    EXPECT_EQ(rgb.Get_pixel(-1, 100).r, 0);
}

TEST(Raster, BrokenFilesRaiseTheDecoderError) {
    TestSupport::Scratch_dir dir;
    Write_jpeg("good.jpg", 64, 64, [](int x, int y) { return VxRgb{x * 4, y * 4, 128}; });
    const std::string good = TestSupport::Read_file("good.jpg");
    TestSupport::Write_file("empty.jpg", "");
    TestSupport::Write_file("garbage.jpg", "this is no image at all, only text pretending to be one");
    TestSupport::Write_file("truncated.jpg", good.substr(0, good.size() / 2));
    for (const char* name : {"empty.jpg", "garbage.jpg", "truncated.jpg"}) {
        VxRaster r;
        EXPECT_THROW(r.Load_jpeg(name), VxRaster::Decode_error) << name;
        EXPECT_EQ(r.width(), 0) << name;
    }
    VxRaster r;  // the decoder is usable again after an error
    EXPECT_TRUE(r.Load_jpeg("good.jpg"));
}

TEST(Raster, HugeHeadersAreRefusedBeforeDecoding) {
    TestSupport::Scratch_dir dir;
    Write_jpeg("bomb.jpg", 16, 16, [](int, int) { return VxRgb{1, 2, 3}; });
    DisplayTest::Patch_jpeg_size("bomb.jpg", 60000, 60000);
    VxRaster r;
    try {
        r.Load_jpeg("bomb.jpg");
        FAIL() << "a 60000 x 60000 header was accepted";
    } catch (const VxRaster::Too_large& e) {
        EXPECT_EQ(e.width, 60000);
        EXPECT_EQ(e.height, 60000);
    }
    Write_jpeg("wide.jpg", 3000, 10, [](int, int) { return VxRgb{9, 9, 9}; });
    EXPECT_THROW(r.Load_jpeg("wide.jpg", 2048), VxRaster::Too_large);
    EXPECT_TRUE(r.Load_jpeg("wide.jpg"));
    EXPECT_EQ(r.width(), 3000);
}

TEST(Raster, SaveBmpWritesPaddedRowsBottomUp) {
    TestSupport::Scratch_dir dir;
    VxRaster r;
    r.Resize(3, 2);
    r.Set_pixel(0, 0, 255, 0, 0);  // top-left red
    r.Set_pixel(1, 2, 0, 0, 255);  // bottom-right blue
    ASSERT_EQ(r.Save_bmp("c.bmp"), 0);
    const std::string d = TestSupport::Read_file("c.bmp");
    ASSERT_EQ(d.size(), 82u);
    EXPECT_EQ(d.substr(0, 2), "BM");
    EXPECT_EQ(Le32(d, 2), 82u);
    EXPECT_EQ(Le32(d, 10), 58u);
    EXPECT_EQ(Le32(d, 14), 40u);
    EXPECT_EQ(Le32(d, 34), 24u);  // image size: 12 bytes a row
    EXPECT_EQ(Le32(d, 54), 3u);   // the padding word
    // First stored row is the bottom one: its third pixel is blue (B, G, R order).
    EXPECT_EQ(static_cast<unsigned char>(d[58 + 6]), 255);
    // Second stored row is the top one: its first pixel is red.
    EXPECT_EQ(static_cast<unsigned char>(d[58 + 12 + 2]), 255);
    EXPECT_EQ(r.Save_bmp("no/such/folder/c.bmp"), 1);
}

namespace {
// A JPEG as cameras and paint programs write them: libjpeg's defaults (4:2:0 chroma) or grey.
void Write_plain_jpeg(const std::string& path, int width, int height, int components) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 80, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int i = 0; i < width * components; ++i) {
            const int x = i / components, c = i % components;
            // Painted-in blue in one corner (the theme's key), edges and gradients elsewhere.
            const bool key = x < width / 4 && y < height / 4;
            row[i] =
                static_cast<JSAMPLE>(key ? (c == 2 ? 252 : 10) : ((x * (7 + c) + y * (3 + 2 * c)) ^ (x / 5)) & 0xFF);
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}
}  // namespace

TEST(Raster, DecodingIntoASurfaceGivesThePixelsOfTheSamples) {
    TestSupport::Scratch_dir dir;
    Write_plain_jpeg("colour.jpg", 333, 201, 3);  // sides that fill no whole block
    Write_plain_jpeg("grey.jpg", 97, 45, 1);
    for (const char* name : {"colour.jpg", "grey.jpg"}) {
        for (VxPicture picture : {VxPicture::Theme, VxPicture::Cover}) {
            VxRaster raster(3);
            ASSERT_TRUE(raster.Load_jpeg(name));
            auto surface =
                VxRaster::Load_jpeg_surface(name, VxRaster::Max_side, VxRaster::Header_trace::silent, picture);
            ASSERT_TRUE(surface) << name;
            ASSERT_EQ(surface->Width(), raster.width());
            ASSERT_EQ(surface->Height(), raster.height());
            std::vector<Platform::Pixel> expected(static_cast<std::size_t>(raster.width()));
            for (int y = 0; y < raster.height(); ++y) {
                Picture_rows::Convert(raster.Row_samples(y), raster.channels(), raster.width(), picture,
                                      expected.data());
                for (int x = 0; x < raster.width(); ++x)
                    ASSERT_EQ(surface->Row(y)[x], expected[x]) << name << " " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(VxRaster::Load_jpeg_surface("missing.jpg", VxRaster::Max_side, VxRaster::Header_trace::silent,
                                          VxPicture::Theme),
              nullptr);
    TestSupport::Write_file("cut.jpg", TestSupport::Read_file("colour.jpg").substr(0, 3000));
    EXPECT_THROW(
        VxRaster::Load_jpeg_surface("cut.jpg", VxRaster::Max_side, VxRaster::Header_trace::silent, VxPicture::Theme),
        VxRaster::Decode_error);
    EXPECT_THROW(VxRaster::Load_jpeg_surface("colour.jpg", 300, VxRaster::Header_trace::silent, VxPicture::Theme),
                 VxRaster::Too_large);
}
