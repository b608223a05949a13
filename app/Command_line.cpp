// The option parser: getopt_long over a copy of the arguments, with getopt's own messages off so
// that every refusal is one line of ours. Options are checked for sense after all are read.
#include "app/Command_line.h"

#include <getopt.h>

#include <algorithm>

#include "net/VxVersion_check.h"

namespace {
enum Option_id { Opt_headless = 1000, Opt_script, Opt_rebuild, Opt_list, Opt_home, Opt_help, Opt_version };

struct Option_help {
    const char* name;
    const char* argument;
    const char* text;
};
// One line each in --help, in the order a user reads them.
constexpr Option_help Options_help[] = {
    {"home", "DIR", "use the jukebox home DIR (made when it does not exist)"},
    {"headless", nullptr, "run without a display; message boxes go to dialogs.txt in run/"},
    {"script", "FILE", "drive the jukebox from FILE (wait, key, click, answer, folder, shot, close)"},
    {"rebuild-library", nullptr, "load the library, or scan the music folder when it must, and save it"},
    {"list", nullptr, "print the library: albums, songs, start-character index, random list"},
    {"help", nullptr, "print this help and exit"},
    {"version", nullptr, "print the version and exit"},
};
}  // namespace

std::string Usage_line() {
    return "usage: tavrix [--home DIR] [--headless] [--script FILE] [--rebuild-library] [--list] [--help] "
           "[--version]\n";
}

std::string Help_text() {
    std::string text = Usage_line() + "The Tavrix Jukebox: a full-screen music jukebox played from the keyboard.\n";
    for (const Option_help& o : Options_help) {
        std::string left = std::string("  --") + o.name + (o.argument ? std::string(" ") + o.argument : "");
        left.resize(std::max<size_t>(left.size() + 2, 24), ' ');
        text += left + o.text + "\n";
    }
    text +=
        "Without --home the jukebox works in the folder it is started in when that is a home's run/ folder,\n"
        "otherwise in $XDG_DATA_HOME/tavrix (~/.local/share/tavrix). See tavrix(1).\n";
    return text;
}

std::string Version_text() { return std::string("tavrix ") + Own_version + "\n"; }

Command_line Parse_command_line(const std::vector<std::string>& arguments) {
    static const option long_options[] = {
        {"headless", no_argument, nullptr, Opt_headless},       {"script", required_argument, nullptr, Opt_script},
        {"rebuild-library", no_argument, nullptr, Opt_rebuild}, {"list", no_argument, nullptr, Opt_list},
        {"home", required_argument, nullptr, Opt_home},         {"help", no_argument, nullptr, Opt_help},
        {"version", no_argument, nullptr, Opt_version},         {nullptr, 0, nullptr, 0},
    };
    std::vector<std::string> copy = arguments;
    if (copy.empty()) copy.push_back("tavrix");
    std::vector<char*> argv;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);

    Command_line c;
    bool help = false, version = false;
    auto refuse = [&](std::string reason) {
        c.action = Command_line::Action::refused;
        c.error = std::move(reason);
        return c;
    };
    optind = 0;  // glibc: start afresh, so the parser can run more than once
    opterr = 0;
    // "+": stop at the first argument that is not an option, so it can be refused by name; ":": a missing
    // value comes back as ':', apart from an unknown option.
    for (int id; (id = getopt_long(static_cast<int>(copy.size()), argv.data(), "+:", long_options, nullptr)) != -1;) {
        switch (id) {
            case Opt_headless:
                c.display = Command_line::Display::headless;
                break;
            case Opt_script:
                if (!*optarg) return refuse("option '--script' needs a file");
                c.script = optarg;
                break;
            case Opt_rebuild:
                c.rebuild_library = true;
                break;
            case Opt_list:
                c.list = true;
                break;
            case Opt_home:
                if (!*optarg) return refuse("option '--home' needs a folder");
                c.home = optarg;
                break;
            case Opt_help:
                help = true;
                break;
            case Opt_version:
                version = true;
                break;
            case ':':
                return refuse(std::string("option '") + argv[optind - 1] + "' needs a value");
            default: {
                const std::string given = optind - 1 < static_cast<int>(copy.size()) ? argv[optind - 1] : "?";
                if (optopt && given.rfind("--", 0) != 0)
                    return refuse(std::string("unknown option '-") + char(optopt) + "'");
                return refuse("unknown option '" + given + "'");
            }
        }
    }
    if (optind < static_cast<int>(copy.size()))
        return refuse(std::string("unexpected argument '") + argv[optind] + "'");
    if (help)
        c.action = Command_line::Action::help;
    else if (version)
        c.action = Command_line::Action::version;
    else if (c.rebuild_library || c.list)
        c.action = Command_line::Action::library_commands;
    if (c.action == Command_line::Action::library_commands && !c.script.empty())
        return refuse("--script drives the window; it cannot go with --rebuild-library or --list");
    return c;
}
