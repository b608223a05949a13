// Writes JPEG files for tests that need real pictures (covers, theme images), and damages them.
// Header-only, like wav_file.h; the test executable links libjpeg through the display.
#pragma once

#include <jpeglib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace TestSupport {

// Quality 100 without chroma subsampling, so colours survive closely. pixel(x, y) gives the
// colour at a point as anything with r, g and b members. False when the file cannot be written.
template <typename Pixel_of>
bool Write_jpeg_pixels(const std::string& path, int width, int height, const Pixel_of& pixel) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int i = 0; i < 3; ++i) cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < width; ++x) {
            const auto p = pixel(x, static_cast<int>(cinfo.next_scanline));
            row[static_cast<std::size_t>(x) * 3] = static_cast<JSAMPLE>(p.r);
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<JSAMPLE>(p.g);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<JSAMPLE>(p.b);
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0;
}

// A solid colour.
inline bool Write_jpeg(const std::string& path, int width, int height, int r, int g, int b) {
    struct Rgb {
        int r, g, b;
    };
    return Write_jpeg_pixels(path, width, height, [=](int, int) { return Rgb{r, g, b}; });
}

// Makes a JPEG's frame header claim another size (its pixels stay as they are). False when the
// file has no baseline frame header.
inline bool Patch_jpeg_size(const std::string& path, int width, int height) {
    std::string data = Read_file(path);
    for (std::size_t i = 0; i + 9 < data.size(); ++i)
        if (static_cast<unsigned char>(data[i]) == 0xFF && static_cast<unsigned char>(data[i + 1]) == 0xC0) {
            data[i + 5] = static_cast<char>(height >> 8);
            data[i + 6] = static_cast<char>(height & 0xFF);
            data[i + 7] = static_cast<char>(width >> 8);
            data[i + 8] = static_cast<char>(width & 0xFF);
            Write_file(path, data);
            return true;
        }
    return false;
}

}  // namespace TestSupport
