// The test home and the child-process start shared by the settings tests.
#include "tests/settings/settings_home.h"

#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <sstream>

#include "platform/dialogs.h"
#include "settings/VxRead.h"

namespace Settings_test {

Home::Home() {
    TestSupport::Make_dirs(scratch_.Path() + "/run");
    TestSupport::Make_dirs(scratch_.Path() + "/music");
    boost::filesystem::current_path(scratch_.Path() + "/run");
    TestSupport::Open_trace_here();
    Platform::Set_headless(true);
}

int Start_in_child() {
    pid_t pid = ::fork();
    if (pid == 0) {
        Platform::Set_headless(true);
        VxRead::Instance();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> Dialog_lines() {
    std::istringstream in(TestSupport::Read_file("dialogs.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace Settings_test
