// The display tests' window, display set-up, JPEG writer and dialog-log readers.
#include "tests/display/display_fixture.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/dialogs.h"
#include "platform/surface.h"
#include "tests/support/jpeg_file.h"

namespace DisplayTest {

void Write_jpeg(const std::string& path, int width, int height, const std::function<VxRgb(int, int)>& pixel) {
    ASSERT_TRUE(TestSupport::Write_jpeg_pixels(path, width, height, pixel)) << path;
}

void Patch_jpeg_size(const std::string& path, int width, int height) {
    ASSERT_TRUE(TestSupport::Patch_jpeg_size(path, width, height)) << "no frame header in " << path;
}

int Count_lines(const std::string& file, const std::string& text_start) {
    std::istringstream in(TestSupport::Read_trace(file));
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
    TestSupport::Set_env("SDL_VIDEODRIVER", "dummy");
    Platform::Set_headless(true);
    TestSupport::Open_trace_here();
    TestSupport::Make_dirs(Pics());
    std::string error;
    ASSERT_TRUE(Platform::Window::Instance().Open("test", 0, 0, 800, 600, error)) << error;
    VxDisplay_config config;
    config.pics_folder = Pics();
    VxDirectX::Instance().Init(&Platform::Window::Instance(), 0, 0, 800, 600, config);
}

}  // namespace DisplayTest
