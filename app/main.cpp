// The jukebox program's entry point: reads the options and hands over to the part that serves them.
// It stays a thin dispatcher; the application shell hooks in here.
#include <cstring>
#include <iostream>

#include "app/Library_commands.h"
#include "platform/dialogs.h"
#include "settings/VxRead.h"

int main(int argc, char** argv) {
    bool headless = false, rebuild = false, list = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) headless = true;
        else if (std::strcmp(argv[i], "--rebuild-library") == 0) rebuild = true;
        else if (std::strcmp(argv[i], "--list") == 0) list = true;
    }
    if (headless) Platform::Set_headless(true);
    Install_trace_logging_switch();
    if (rebuild || list) return Library_commands::Run(rebuild, list, std::cout);
    return 0;
}
