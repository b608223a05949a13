// The scratch jukebox: the settings object is created at once, before a test writes a library file,
// because its first start (no stored digest yet) removes "MusicDataBase.dat".
#include "tests/library/library_fixture.h"

#include <algorithm>
#include <boost/filesystem.hpp>
#include <sstream>

#include "platform/dialogs.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"

namespace fs = boost::filesystem;

namespace Library_test {

Jukebox::Jukebox(Options options) {
    Platform::Set_headless(true);
    TestSupport::Open_trace_here();
    fs::create_directories(Music());
    const std::string ini = VxRead::File_name;
    CIniFile::Create_file(ini);
    CIniFile::Set_value("MusicFolder", Music(), "MUSIC LOCATION", ini);
    CIniFile::Set_value("UseTwoDirectories", options.two_directories ? "yes" : "no", "REGULAR EXPRESSIONS", ini);
    if (!options.title_pattern.empty())
        CIniFile::Set_value("CD_TITLE", options.title_pattern, "REGULAR EXPRESSIONS", ini);
    CIniFile::Set_value("UseLogging", options.logging ? "yes" : "no", "SYSTEM SETTINGS", ini);
    VxRead::Instance();
}

void Jukebox::Touch(const std::string& relative) const {
    const fs::path p = fs::path(Music()) / relative;
    fs::create_directories(p.parent_path());
    TestSupport::Write_file(p.string(), "");
}

std::vector<std::string> Jukebox::Dialogs() const {
    std::vector<std::string> lines;
    std::istringstream in(TestSupport::Read_file("dialogs.txt"));
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder), end; it != end; ++it) names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());  // the scan takes a folder's entries in name order
    return names;
}

}  // namespace Library_test
