// Scratch folders and file helpers for the tests.
#include "tests/support/test_support.h"

#include <boost/filesystem.hpp>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/paths.h"
#include "trace/VxTrace.h"

namespace fs = boost::filesystem;

namespace TestSupport {

namespace {
// The scratch folders this process made, in order; the test's own thread makes them.
std::vector<std::string>& Made_folders() {
    static std::vector<std::string> folders;
    return folders;
}

constexpr const char* Scratch_variable = "TAVRIX_TEST_CHILD_SCRATCH";

// The parent's folders, one a line, when this process runs a test again for it (a replaying child
// of child_process.h, or a death test's child on Windows, which starts the test program anew).
std::vector<std::string> Parent_folders() {
    std::vector<std::string> folders;
    if (const char* names = std::getenv(Scratch_variable)) {
        std::istringstream in(names);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) folders.push_back(line);
    }
    return folders;
}
}  // namespace

Scratch_dir::Scratch_dir() {
    previous_ = fs::current_path().string();
    static const std::vector<std::string> parent = Parent_folders();
    const std::size_t rank = Made_folders().size();
    if (rank < parent.size()) {
        path_ = parent[rank];
        adopted_ = true;
    } else {
        fs::path p = fs::temp_directory_path() / fs::unique_path("tavrix-test-%%%%-%%%%-%%%%");
        fs::create_directories(p);
        path_ = fs::canonical(p).make_preferred().string();  // one separator on Windows: the system's
    }
    Made_folders().push_back(path_);
#ifdef _WIN32
    // Every child this test starts inherits the names; on Linux a fork shares the memory instead.
    std::string names;
    for (const auto& folder : Made_folders()) names += folder + "\n";
    _putenv_s(Scratch_variable, names.c_str());
#endif
    fs::current_path(path_);
}

Scratch_dir::~Scratch_dir() {
    boost::system::error_code ec;
    fs::current_path(previous_, ec);
    if (!adopted_) fs::remove_all(path_, ec);
}

std::string Read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Open_trace_here() { VxTrace::Instance().Open(fs::current_path().string()); }

std::string Read_trace(const std::string& name) {
    VxTrace::Instance().Flush();
    return Read_file(name);
}

void Write_file(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

void Make_dirs(const std::string& path) { fs::create_directories(path); }

std::string Native(std::string path) {
    for (char& c : path)
        if (c == '/') c = Platform::Path_separator;
    return path;
}

std::string Theme_pics_folder() {
    const char* pics = std::getenv("TAVRIX_TEST_PICS");
    return pics && *pics ? pics : std::string(TAVRIX_BINARY_DIR) + "/pics";
}

void Set_env(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

void Unset_env(const std::string& name) {
#ifdef _WIN32
    _putenv_s(name.c_str(), "");  // an empty value takes the name away
#else
    unsetenv(name.c_str());
#endif
}

}  // namespace TestSupport
