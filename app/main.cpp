// The jukebox program's entry point: reads the options and hands over to the part that serves them:
// the library commands, or the jukebox window (optionally headless and driven by a script).
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "app/Jukebox.h"
#include "app/Library_commands.h"
#include "platform/dialogs.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

int main(int argc, char** argv) {
    bool headless = false, rebuild = false, list = false;
    std::string script;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) headless = true;
        else if (std::strcmp(argv[i], "--rebuild-library") == 0) rebuild = true;
        else if (std::strcmp(argv[i], "--list") == 0) list = true;
        else if (std::strcmp(argv[i], "--script") == 0 && i + 1 < argc) script = argv[++i];
        else {
            std::cerr << "usage: tavrix [--headless] [--script FILE] [--rebuild-library] [--list]\n";
            return 2;
        }
    }
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool no_display = (!display || !*display) && (!wayland || !*wayland);
    if (no_display) headless = true;  // nobody could answer a box
    if (headless) {
        Platform::Set_headless(true);
        if (no_display) setenv("SDL_VIDEODRIVER", "dummy", 0);
    }
    // The working folder is the home's run/ folder: the trace files live there, whichever thread writes first.
    VxTrace::Instance().Open(".");
    Install_trace_logging_switch();
    if (rebuild || list) return Library_commands::Run(rebuild, list, std::cout);
    return Jukebox::Run(script);
}
