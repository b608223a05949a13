// The program's options as getopt_long reads them, and the texts of --help, --version and the usage.
// Parsing has no side effects, so a test may parse as often as it likes (one thread at a time: getopt's state).
#pragma once

#include <string>
#include <vector>

struct Command_line {
    enum class Action {
        run_jukebox,       // the window (or headless), optionally driven by a script
        library_commands,  // --rebuild-library and/or --list, without the window
        help,              // --help: the usage and the options on stdout, exit 0
        version,           // --version: one line on stdout, exit 0
        refused,           // a bad option: error holds the one-line reason, exit 2
    };
    enum class Display { window, headless };

    Action action = Action::run_jukebox;
    Display display = Display::window;
    bool rebuild_library = false;
    bool list = false;
    std::string script;
    std::string home;  // --home DIR, "" when not given
    std::string error;
};

// Reads the arguments (argv[0] is the program and is skipped).
Command_line Parse_command_line(const std::vector<std::string>& arguments);

std::string Usage_line();    // "usage: tavrix [...]" with a line feed
std::string Help_text();     // the usage line, what the program is, one line per option
std::string Version_text();  // "tavrix v2.274" (the version check's identifier) with a line feed
