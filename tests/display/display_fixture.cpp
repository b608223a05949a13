// The display tests' window, display set-up, JPEG writer and dialog-log readers.
#include "tests/display/display_fixture.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/dialogs.h"
#include "platform/surface.h"

namespace DisplayTest {

void Write_jpeg(const std::string& path, int width, int height, const std::function<VxRgb(int, int)>& pixel) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int i = 0; i < 3; ++i) cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(width * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < width; ++x) {
            const VxRgb p = pixel(x, cinfo.next_scanline);
            row[x * 3] = p.r;
            row[x * 3 + 1] = p.g;
            row[x * 3 + 2] = p.b;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

void Patch_jpeg_size(const std::string& path, int width, int height) {
    std::string data = TestSupport::Read_file(path);
    for (size_t i = 0; i + 9 < data.size(); ++i)
        if (static_cast<unsigned char>(data[i]) == 0xFF && static_cast<unsigned char>(data[i + 1]) == 0xC0) {
            data[i + 5] = static_cast<char>(height >> 8);
            data[i + 6] = static_cast<char>(height & 0xFF);
            data[i + 7] = static_cast<char>(width >> 8);
            data[i + 8] = static_cast<char>(width & 0xFF);
            TestSupport::Write_file(path, data);
            return;
        }
    FAIL() << "no frame header in " << path;
}

int Count_lines(const std::string& file, const std::string& text_start) {
    std::istringstream in(TestSupport::Read_file(file));
    std::string line;
    int n = 0;
    while (std::getline(in, line))
        if (line.rfind(text_start, 0) == 0) ++n;
    return n;
}

int Count_boxes(const std::string& caption, const std::string& text_start) {
    return Count_lines("dialogs.txt", caption + "\t" + text_start);
}

void Display::SetUp() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    Platform::Set_headless(true);
    TestSupport::Make_dirs(Pics());
    std::string error;
    ASSERT_TRUE(Platform::Window::Instance().Open("test", 0, 0, 800, 600, error)) << error;
    VxDisplay_config config;
    config.pics_folder = Pics();
    VxDirectX::Instance().Init(&Platform::Window::Instance(), 0, 0, 800, 600, config);
}

}  // namespace DisplayTest
