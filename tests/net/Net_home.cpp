// The per-test jukebox home of the internet-services tests.
#include "tests/net/Net_home.h"

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "net/Software_source.h"
#include "platform/dialogs.h"

namespace TestSupport {

Net_home::Net_home() {
    for (const char* folder : {"home/run", "home/files", "home/covers", "home/music", "home/pics"}) Make_dirs(folder);
    if (chdir("home/run") != 0) throw std::runtime_error("no home");
    Open_trace_here();
    Platform::Set_headless(true);
    VxNet_shell::Install(&shell);
    // The offers as the Windows build makes them (downloads, installers); the tests of the system's
    // packages choose those themselves.
    Use_software_source(Platform::Software_source::downloaded_installers);
}

Net_home::~Net_home() { VxNet_shell::Install(nullptr); }

std::vector<std::string> Net_home::Dialogs() const {
    std::vector<std::string> lines;
    std::istringstream in(Read_file("dialogs.txt"));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::string Net_home::Errors() const { return Read_trace("error.txt"); }
std::string Net_home::Log() const { return Read_trace("log.txt"); }

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

}  // namespace TestSupport
