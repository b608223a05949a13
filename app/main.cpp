// The jukebox program's entry point: reads the options, finds and enters the jukebox home, and hands
// over to the part that serves them: the library commands, or the jukebox window (optionally headless
// and driven by a script). Nothing is written anywhere before the home is entered.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/Command_line.h"
#include "app/Jukebox.h"
#include "app/Jukebox_home.h"
#include "app/Library_commands.h"
#include "platform/dialogs.h"
#include "platform/screen.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

int main(int argc, char** argv) {
    const Command_line options = Parse_command_line(std::vector<std::string>(argv, argv + argc));
    switch (options.action) {
        case Command_line::Action::help:
            std::cout << Help_text();
            return 0;
        case Command_line::Action::version:
            std::cout << Version_text();
            return 0;
        case Command_line::Action::refused:
            std::cerr << "tavrix: " << options.error << "\n" << Usage_line();
            return 2;
        default:
            break;
    }
    const bool window = options.action == Command_line::Action::run_jukebox;
    const bool headless = options.display == Command_line::Display::headless;
    if (window && !headless && !Platform::Open_display()) {
        std::cerr << "tavrix: no display (set DISPLAY, or use --headless)\n";
        return 1;
    }
    // The script is named from where the program was started; the home's run/ becomes the working folder.
    std::string script = options.script;
    if (!script.empty()) {
        std::error_code ec;
        script = std::filesystem::absolute(script, ec).string();
    }
    Jukebox_home::Choice home;
    std::string error;
    if (!Jukebox_home::Find(options.home, home, error) ||
        !Jukebox_home::Enter(home, window ? Jukebox_home::Theme::needed : Jukebox_home::Theme::not_needed, error)) {
        std::cerr << "tavrix: " << error << "\n";
        return 1;
    }
    if (headless) {
        Platform::Set_headless(true);
        // Without a display the window is drawn into memory only, which --headless asked for.
        if (!Platform::Display_available()) Platform::Use_memory_display();
    }
    // The working folder is the home's run/ folder: the trace files live there, whichever thread writes first.
    VxTrace::Instance().Open(".");
    Install_trace_logging_switch();
    if (!window) return Library_commands::Run(options.rebuild_library, options.list, std::cout);
    return Jukebox::Run(script);
}
