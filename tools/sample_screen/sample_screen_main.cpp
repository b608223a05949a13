// Composes the sample screen and writes it as a BMP, to look at the theme as a user sees it.
// Usage: tavrix_sample_screen OUT.bmp [WIDTH HEIGHT [PICS_FOLDER]]   (default 1920 1080, the built theme)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/Sample_screen.h"
#include "display/VxDirectX.h"
#include "platform/dialogs.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavrix_sample_screen OUT.bmp [WIDTH HEIGHT [PICS_FOLDER]]\n");
        return 2;
    }
    const int width = argc > 3 ? std::atoi(argv[2]) : 1920;
    const int height = argc > 3 ? std::atoi(argv[3]) : 1080;
    const std::string pics = argc > 4 ? std::string(argv[4]) + "/" : TAVRIX_PICS_DIR;
    // No monitor needed: the screen is composed in memory.
    if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "dummy", 1);
    Platform::Set_headless(true);
    std::string error;
    if (!Platform::Window::Instance().Open("The Tavrix Jukebox", 0, 0, width, height, error)) {
        std::fprintf(stderr, "tavrix_sample_screen: no window: %s\n", error.c_str());
        return 1;
    }
    VxDisplay_config config;
    config.pics_folder = pics;
    VxDirectX::Instance().Init(&Platform::Window::Instance(), 0, 0, width, height, config);
    VxSample_screen screen(pics);
    screen.Compose();
    VxDirectX::Instance().Present();
    VxBitmap shot;
    shot.Make_surface();
    shot.Get_surface()->Blit(VxDirectX::Instance().Back_buffer(), {0, 0, width, height}, {0, 0, width, height},
                             {0, 0, width, height}, false);
    return shot.Save_surface(argv[1]) ? 0 : 1;
}
