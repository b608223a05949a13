// Writes solid-colour JPEG files for tests that need real pictures (covers, theme images).
// Header-only, like wav_file.h; the test executable links libjpeg through the display.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace TestSupport {

// Quality 100 without chroma subsampling, so a solid colour survives closely. False when the
// file cannot be written.
inline bool Write_jpeg(const std::string& path, int width, int height, int r, int g, int b) {
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
    for (int x = 0; x < width; ++x) {
        row[static_cast<std::size_t>(x) * 3] = static_cast<JSAMPLE>(r);
        row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<JSAMPLE>(g);
        row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<JSAMPLE>(b);
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0;
}

}  // namespace TestSupport
