// The display's start-up from the settings file; kept apart so that the display itself can
// be set up from a plain configuration (tools, tests) without a settings file.
#include "display/VxDirectX.h"
#include "settings/VxRead.h"

void VxDirectX::Init(Platform::Window* window, int left, int top, int right, int bottom) {
    VxRead& settings = VxRead::Instance();
    VxDisplay_config config;
    config.use_video_memory = settings.Get_use_video_memory();
    config.pics_folder = settings.Pics_folder();
    Init(window, left, top, right, bottom, config);
}
