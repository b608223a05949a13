// The test home and the child-process start shared by the settings tests.
#include "tests/settings/settings_home.h"

#include <boost/filesystem.hpp>
#include <sstream>

#include "platform/dialogs.h"
#include "settings/VxRead.h"
#include "tests/support/child_process.h"

namespace Settings_test {

Home::Home() {
    TestSupport::Make_dirs(scratch_.Path() + "/run");
    TestSupport::Make_dirs(scratch_.Path() + "/music");
    boost::filesystem::current_path(scratch_.Path() + "/run");
    TestSupport::Open_trace_here();
    Platform::Set_headless(true);
}

int Start_in_child() {
    const auto end = TestSupport::Run_in_child([] {
        Platform::Set_headless(true);
        VxRead::Instance();
    });
    return end.exited ? end.code : -1;
}

std::vector<std::string> Dialog_lines() {
    std::istringstream in(TestSupport::Read_file("dialogs.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace Settings_test
